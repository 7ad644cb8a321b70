// The player's sound path: the WAV reader on files written here byte by byte
// (every sample width, chunks in any order, padding, and files that lie about
// their sizes), and the worker with a recording device in place of the
// desktop's, which shows what reaches the device, in what order, and that a
// device that fails or hangs never takes the game with it.
#include "game_fixture.h"
#include "paths.h"
#include "sound.h"
#include "sound_device.h"
#include "sound_worker.h"
#include "wave_file.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <limits>
#include <mutex>
#include <vector>

namespace {

// --- writing WAV files --------------------------------------------------

QByteArray le16(int v)
{
    const char b[2] = {char(v & 0xFF), char((v >> 8) & 0xFF)};
    return QByteArray(b, 2);
}
QByteArray le32(uint32_t v) { return le16(int(v & 0xFFFF)) + le16(int(v >> 16)); }

QByteArray chunk(const char* id, const QByteArray& body, bool pad = true)
{
    QByteArray c = QByteArray(id, 4) + le32(uint32_t(body.size())) + body;
    if (pad && body.size() % 2)
        c.append('\0');
    return c;
}

QByteArray riff(const QByteArray& chunks) { return "RIFF" + le32(uint32_t(4 + chunks.size())) + "WAVE" + chunks; }

QByteArray fmt(int tag, int channels, uint32_t rate, int bits, int blockAlign = -1)
{
    if (blockAlign < 0)
        blockAlign = channels * bits / 8;
    return le16(tag) + le16(channels) + le32(rate) + le32(rate * uint32_t(blockAlign)) + le16(blockAlign) +
           le16(bits);
}

QByteArray fmtExtensible(int subTag, int channels, uint32_t rate, int bits)
{
    static const char guidTail[] = "\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71";
    return fmt(0xFFFE, channels, rate, bits) + le16(22) + le16(bits) + le32(channels == 2 ? 3 : 4) + le16(subTag) +
           QByteArray(guidTail, 14);
}

QByteArray pcm16(const std::vector<int16_t>& samples)
{
    QByteArray b;
    for (int16_t s : samples)
        b += le16(s);
    return b;
}

QByteArray wav16(uint32_t rate, int channels, const std::vector<int16_t>& samples)
{
    return riff(chunk("fmt ", fmt(1, channels, rate, 16)) + chunk("data", pcm16(samples)));
}

std::vector<int16_t> ramp(size_t count, int step = 7)
{
    std::vector<int16_t> s(count);
    for (size_t i = 0; i < count; ++i)
        s[i] = int16_t(int(i * size_t(step)) % 60000 - 30000);
    return s;
}

wave_file::Sound decoded(const QByteArray& bytes)
{
    wave_file::Sound s;
    QString why;
    EXPECT_TRUE(wave_file::decode(bytes, s, &why)) << qPrintable(why);
    return s;
}

} // namespace

TEST(WaveFile, EverySampleWidthBecomesTheSameSixteenBitSamples)
{
    const std::vector<int16_t> want = {-32768, -16384, 0, 16384, 32767};
    QByteArray u8, s24, s32, f32, f64;
    for (int16_t v : want) {
        u8.append(char((v >> 8) + 128));
        s24 += QByteArray(1, char(0xAB)) + le16(v); // the low byte is below what we keep
        s32 += le16(0x1234) + le16(v);
        const float f = float(v) / 32768.0f;
        const double d = double(v) / 32768.0;
        char fb[4], db[8];
        std::memcpy(fb, &f, 4);
        std::memcpy(db, &d, 8);
        f32 += QByteArray(fb, 4);
        f64 += QByteArray(db, 8);
    }
    std::vector<int16_t> u8want = want;
    u8want.back() = 32512; // 8 bits cannot reach the top

    EXPECT_EQ(decoded(riff(chunk("fmt ", fmt(1, 1, 8000, 16)) + chunk("data", pcm16(want)))).samples, want);
    EXPECT_EQ(decoded(riff(chunk("fmt ", fmt(1, 1, 8000, 8)) + chunk("data", u8))).samples, u8want);
    EXPECT_EQ(decoded(riff(chunk("fmt ", fmt(1, 1, 8000, 24)) + chunk("data", s24))).samples, want);
    EXPECT_EQ(decoded(riff(chunk("fmt ", fmt(1, 1, 8000, 32)) + chunk("data", s32))).samples, want);
    EXPECT_EQ(decoded(riff(chunk("fmt ", fmtExtensible(1, 1, 8000, 24)) + chunk("data", s24))).samples, want);

    // Float is scaled to 32767 and clamped; a sample that is no number is silence.
    const std::vector<int16_t> fwant = {-32767, -16384, 0, 16384, 32766};
    EXPECT_EQ(decoded(riff(chunk("fmt ", fmt(3, 1, 8000, 32)) + chunk("data", f32))).samples, fwant);
    EXPECT_EQ(decoded(riff(chunk("fmt ", fmt(3, 1, 8000, 64)) + chunk("data", f64))).samples, fwant);
    EXPECT_EQ(decoded(riff(chunk("fmt ", fmtExtensible(3, 1, 8000, 32)) + chunk("data", f32))).samples, fwant);
    QByteArray odd;
    for (float f : {2.5f, -7.0f, std::numeric_limits<float>::quiet_NaN()}) {
        char fb[4];
        std::memcpy(fb, &f, 4);
        odd += QByteArray(fb, 4);
    }
    EXPECT_EQ(decoded(riff(chunk("fmt ", fmt(3, 1, 8000, 32)) + chunk("data", odd))).samples,
              (std::vector<int16_t>{32767, -32767, 0}));
}

TEST(WaveFile, StereoAtAnyRateKeepsItsFramesAndDropsACutOffOne)
{
    const auto samples = ramp(2 * 1000);
    for (int rate : {1000, 11025, 22050, 96000, 384000}) {
        const auto s = decoded(wav16(rate, 2, samples));
        EXPECT_EQ(s.rate, rate);
        EXPECT_EQ(s.channels, 2);
        EXPECT_EQ(s.frames(), 1000u);
        EXPECT_EQ(s.samples, samples);
    }
    // Three bytes past the last whole frame of 16-bit stereo are no frame.
    const auto cut = decoded(riff(chunk("fmt ", fmt(1, 2, 8000, 16)) + chunk("data", pcm16(samples) + "xyz")));
    EXPECT_EQ(cut.samples, samples);
}

TEST(WaveFile, ChunksInAnyOrderWithUnknownAndOddSizedOnesBetween)
{
    const auto samples = ramp(301);
    const QByteArray format = chunk("fmt ", fmt(1, 1, 22050, 16));
    const QByteArray data = chunk("data", pcm16(samples));
    const QByteArray list = chunk("LIST", QByteArray("INFOISFT\x05\0\0\0Tool\0", 17)); // odd, padded
    const QByteArray junk = chunk("JUNK", QByteArray(3, 'j'));
    for (const QByteArray& body : {list + format + junk + data, data + junk + format, format + data + list,
                                   junk + data + list + format}) {
        const auto s = decoded(riff(body));
        EXPECT_EQ(s.samples, samples);
        EXPECT_EQ(s.rate, 22050);
    }
    // An odd chunk last in the file, its pad byte missing, is read as it is.
    const QByteArray unpadded = chunk("data", QByteArray(5, '\x10'), false);
    const auto s = decoded(riff(format + unpadded));
    EXPECT_EQ(s.samples, (std::vector<int16_t>{0x1010, 0x1010}));
    // A fmt chunk longer than its 16 bytes (an extension size of 0).
    EXPECT_EQ(decoded(riff(chunk("fmt ", fmt(1, 1, 22050, 16) + le16(0)) + data)).samples, samples);
}

TEST(WaveFile, FilesThatLieOrAreNoPcmAreRefusedWithAReason)
{
    const QByteArray good = fmt(1, 1, 8000, 16);
    const QByteArray data = chunk("data", pcm16(ramp(64)));
    QByteArray hugeData = riff(chunk("fmt ", good)) + "data" + le32(0xFFFFFFF0u) + pcm16(ramp(8));
    hugeData.replace(4, 4, le32(uint32_t(hugeData.size() - 8)));
    QByteArray longRiff = riff(chunk("fmt ", good) + data);
    longRiff.replace(4, 4, le32(uint32_t(longRiff.size()) + 100));
    QByteArray chunkPastEnd = riff(chunk("fmt ", good) + chunk("data", pcm16(ramp(8))));
    chunkPastEnd.replace(chunkPastEnd.size() - 16 - 4, 4, le32(17)); // one byte more than the file holds
    QByteArray fmtPastEnd = riff(chunk("fmt ", good) + data);
    fmtPastEnd.replace(16, 4, le32(0x7FFFFFFF));

    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"empty", QByteArray()},
        {"a header cut short", QByteArray("RIFF\x04\0\0\0WAV", 11)},
        {"big-endian RIFX", "RIFX" + riff(chunk("fmt ", good) + data).mid(4)},
        {"no WAVE", "RIFF" + le32(4) + "AVI "},
        {"data far larger than the file", hugeData},
        {"an outer size past the end", longRiff},
        {"a data chunk one byte past the end", chunkPastEnd},
        {"a fmt chunk past the end", fmtPastEnd},
        {"no fmt chunk", riff(data)},
        {"no data chunk", riff(chunk("fmt ", good))},
        {"a fmt chunk too short", riff(chunk("fmt ", good.left(14)) + data)},
        {"zero channels", riff(chunk("fmt ", fmt(1, 0, 8000, 16, 2)) + data)},
        {"65535 channels", riff(chunk("fmt ", fmt(1, 65535, 8000, 16, 2)) + data)},
        {"a rate of 0", riff(chunk("fmt ", fmt(1, 1, 0, 16)) + data)},
        {"a rate of 4 GHz", riff(chunk("fmt ", fmt(1, 1, 0xF0000000u, 16)) + data)},
        {"12-bit samples", riff(chunk("fmt ", fmt(1, 1, 8000, 12, 2)) + data)},
        {"16-bit float", riff(chunk("fmt ", fmt(3, 1, 8000, 16)) + data)},
        {"a frame size that does not fit", riff(chunk("fmt ", fmt(1, 2, 8000, 16, 2)) + data)},
        {"ADPCM", riff(chunk("fmt ", fmt(2, 1, 8000, 16)) + data)},
        {"mu-law", riff(chunk("fmt ", fmt(7, 1, 8000, 16)) + data)},
        {"an extensible header of MP3", riff(chunk("fmt ", fmtExtensible(0x55, 1, 8000, 16)) + data)},
        {"an extensible header cut short", riff(chunk("fmt ", fmtExtensible(1, 1, 8000, 16).left(30)) + data)},
    };
    for (const auto& c : cases) {
        wave_file::Sound s;
        s.samples = {1, 2, 3};
        QString why;
        EXPECT_FALSE(wave_file::decode(c.bytes, s, &why)) << c.what;
        EXPECT_TRUE(s.samples.empty() && s.channels == 0) << c.what;
        EXPECT_FALSE(why.isEmpty()) << c.what;
    }
}

// --- the worker and the player ----------------------------------------

namespace {

using namespace std::chrono_literals;

// A device that records everything and can be made to hang in a write or
// to fail one. Shared with the worker's thread; every field under `m`.
struct Recorder {
    std::mutex m;
    std::condition_variable cv;
    int loads = 0;
    std::vector<SoundFormat> opens;
    std::vector<int16_t> written;
    int writes = 0, drains = 0, closes = 0;
    int failingWrite = 0; // that write (counted from 1) reports a failed device
    bool gateOpen = true;

    template <typename Pred>
    bool waitUntil(Pred pred)
    {
        std::unique_lock lock(m);
        return cv.wait_for(lock, 30s, pred); // only a guard against a hang
    }
    void hold()
    {
        std::lock_guard lock(m);
        gateOpen = false;
    }
    void release()
    {
        std::lock_guard lock(m);
        gateOpen = true;
        cv.notify_all();
    }
};

class RecordingStream : public SoundStream {
public:
    RecordingStream(std::shared_ptr<Recorder> r, int channels) : r_(std::move(r)), channels_(channels) {}
    ~RecordingStream() override
    {
        std::lock_guard lock(r_->m);
        ++r_->closes;
        r_->cv.notify_all();
    }
    bool write(const int16_t* samples, size_t frames) override
    {
        std::unique_lock lock(r_->m);
        const bool fails = ++r_->writes == r_->failingWrite;
        if (!fails)
            r_->written.insert(r_->written.end(), samples, samples + frames * size_t(channels_));
        r_->cv.notify_all();
        r_->cv.wait(lock, [this] { return r_->gateOpen; });
        return !fails;
    }
    bool drain() override
    {
        std::lock_guard lock(r_->m);
        ++r_->drains;
        r_->cv.notify_all();
        return true;
    }

private:
    std::shared_ptr<Recorder> r_;
    int channels_;
};

class RecordingBackend : public SoundBackend {
public:
    explicit RecordingBackend(std::shared_ptr<Recorder> r) : r_(std::move(r)) {}
    std::unique_ptr<SoundStream> open(const SoundFormat& format) override
    {
        std::lock_guard lock(r_->m);
        r_->opens.push_back(format);
        return std::make_unique<RecordingStream>(r_, format.channels);
    }

private:
    std::shared_ptr<Recorder> r_;
};

SoundWorker::BackendLoader recordingLoader(const std::shared_ptr<Recorder>& r)
{
    return [r]() -> std::unique_ptr<SoundBackend> {
        std::lock_guard lock(r->m);
        ++r->loads;
        r->cv.notify_all();
        return std::make_unique<RecordingBackend>(r);
    };
}

std::vector<int16_t> join(std::initializer_list<std::vector<int16_t>> parts)
{
    std::vector<int16_t> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

std::vector<int16_t> head(const std::vector<int16_t>& v, size_t n) { return {v.begin(), v.begin() + long(n)}; }

// One second at 8 kHz is 40 pieces of 200 frames.
constexpr int kRate = 8000;
constexpr size_t kPiece = 200;

} // namespace

TEST(SoundWorker, EveryFrameReachesTheDeviceInOrderThenItDrains)
{
    auto r = std::make_shared<Recorder>();
    SoundWorker worker(recordingLoader(r));
    const auto stereo = ramp(2 * 8123); // not a whole number of pieces
    worker.play(SoundWorker::Kind::Completion, wav16(kRate, 2, stereo));
    ASSERT_TRUE(r->waitUntil([&] { return r->drains == 1; }));
    EXPECT_EQ(r->written, stereo);
    EXPECT_EQ(r->writes, int((8123 + kPiece - 1) / kPiece));
    EXPECT_EQ(r->opens, (std::vector<SoundFormat>{{kRate, 2}}));

    // Another format needs a stream of its own; the sound still arrives whole.
    const auto mono = ramp(500, 3);
    worker.play(SoundWorker::Kind::Join, wav16(16000, 1, mono));
    ASSERT_TRUE(r->waitUntil([&] { return r->drains == 2; }));
    EXPECT_EQ(r->written, join({stereo, mono}));
    EXPECT_EQ(r->opens.back(), (SoundFormat{16000, 1}));
    EXPECT_EQ(r->loads, 1);
}

TEST(SoundWorker, ANewSoundCutsTheOnePlayingButAClickNeverCutsTheCompletion)
{
    const auto a = ramp(kRate, 5), b = ramp(kRate, 11), c = ramp(kRate / 2, 13), d = ramp(300, 17);
    const auto play = [](SoundWorker& w, SoundWorker::Kind k, const std::vector<int16_t>& s) {
        w.play(k, wav16(kRate, 1, s));
    };
    using K = SoundWorker::Kind;
    struct Case {
        const char* what;
        std::vector<std::pair<K, const std::vector<int16_t>*>> later; // asked for while the first piece plays
        K first;
        std::vector<int16_t> heard;
    } cases[] = {
        {"click cuts click", {{K::Join, &c}}, K::Join, join({head(a, kPiece), c, d})},
        {"completion cuts click", {{K::Completion, &b}}, K::Join, join({head(a, kPiece), b, d})},
        {"click during completion", {{K::Join, &c}}, K::Completion, join({a, d})},
        {"click after a waiting completion", {{K::Completion, &b}, {K::Join, &c}}, K::Join,
         join({head(a, kPiece), b, d})},
        {"the last of many clicks", {{K::Join, &b}, {K::Join, &c}}, K::Join, join({head(a, kPiece), c, d})},
    };
    for (const auto& k : cases) {
        auto r = std::make_shared<Recorder>();
        SoundWorker worker(recordingLoader(r));
        r->hold();
        play(worker, k.first, a);
        ASSERT_TRUE(r->waitUntil([&] { return r->writes == 1; })) << k.what;
        for (const auto& [kind, sound] : k.later)
            play(worker, kind, *sound);
        r->release();
        ASSERT_TRUE(r->waitUntil([&] { return r->drains == 1; })) << k.what;
        // A last sound shows that nothing dropped was kept for later.
        play(worker, K::Join, d);
        ASSERT_TRUE(r->waitUntil([&] { return r->drains == 2; })) << k.what;
        EXPECT_EQ(r->written, k.heard) << k.what;
    }
}

TEST(SoundWorker, AFailingDeviceLosesOnlyThatSoundAndABadFileIsSilence)
{
    auto r = std::make_shared<Recorder>();
    r->failingWrite = 3;
    SoundWorker worker(recordingLoader(r));
    const auto a = ramp(kRate), b = ramp(kRate / 4, 9);
    worker.play(SoundWorker::Kind::Join, wav16(kRate, 1, a));
    ASSERT_TRUE(r->waitUntil([&] { return r->closes == 1; }));
    worker.play(SoundWorker::Kind::Join, QByteArray("RIFF, but not really"));
    worker.play(SoundWorker::Kind::Join, QByteArray());
    worker.play(SoundWorker::Kind::Join, wav16(kRate, 1, b));
    ASSERT_TRUE(r->waitUntil([&] { return r->drains == 1; }));
    EXPECT_EQ(r->written, join({head(a, 2 * kPiece), b}));
    EXPECT_EQ(r->opens.size(), 2u); // opened anew after the failure
}

TEST(SoundWorker, ExitLeavesADeviceThatHangsAndTheWorkerEndsOnceItReturns)
{
    auto r = std::make_shared<Recorder>();
    const auto a = ramp(kRate);
    {
        SoundWorker worker(recordingLoader(r));
        r->hold();
        worker.play(SoundWorker::Kind::Completion, wav16(kRate, 1, a));
        ASSERT_TRUE(r->waitUntil([&] { return r->writes == 1; }));
    } // returns although the write never does
    {
        std::lock_guard lock(r->m);
        EXPECT_EQ(r->closes, 0);
    }
    r->release();
    ASSERT_TRUE(r->waitUntil([&] { return r->closes == 1; }));
    EXPECT_EQ(r->written, head(a, kPiece)); // nothing more after the exit
    EXPECT_EQ(r->drains, 0);
}

TEST(SoundPlayer, WithoutASoundSystemPlaysAreCountedAndSilent)
{
    int loads = 0;
    std::mutex m;
    std::condition_variable cv;
    {
        SoundPlayer player([&]() -> std::unique_ptr<SoundBackend> {
            std::lock_guard lock(m);
            ++loads;
            cv.notify_all();
            return nullptr;
        });
        player.playJoin();
        player.playData(wav16(kRate, 1, ramp(100)));
        player.playData(QByteArray());
        player.playJoin();
        EXPECT_EQ(player.joinPlays(), 2);
        EXPECT_EQ(player.dataPlays(), 2);
        std::unique_lock lock(m);
        EXPECT_TRUE(cv.wait_for(lock, 30s, [&] { return loads > 0; }));
    }
    EXPECT_EQ(loads, 1); // tried once, not at every sound

    // Libraries that are missing or are not what they claim to be load as none.
    EXPECT_EQ(sound_device::loadPulse("libsuite-no-such-sound.so.0"), nullptr);
    EXPECT_EQ(sound_device::loadAlsa("libsuite-no-such-sound.so.2"), nullptr);
    EXPECT_EQ(sound_device::loadPulse("libm.so.6"), nullptr);
    EXPECT_EQ(sound_device::loadAlsa("libm.so.6"), nullptr);
}

TEST(SoundPlayer, PlaysTheGameClickAndTheCompletionAndIsSilentWhenAsked)
{
    auto r = std::make_shared<Recorder>();
    QFile click(QStringLiteral(":/player/134.wav"));
    ASSERT_TRUE(click.open(QIODevice::ReadOnly));
    const auto clickSamples = decoded(click.readAll()).samples;
    const auto fanfare = ramp(kRate / 2);
    {
        SoundPlayer player(recordingLoader(r));
        player.playJoin();
        ASSERT_TRUE(r->waitUntil([&] { return r->drains == 1; }));
        player.playData(wav16(kRate, 1, fanfare));
        ASSERT_TRUE(r->waitUntil([&] { return r->drains == 2; }));
        EXPECT_EQ(r->written, join({clickSamples, fanfare}));
    }

    auto quiet = std::make_shared<Recorder>();
    qputenv("TILEMENDER_SILENT", "1");
    {
        SoundPlayer player(recordingLoader(quiet));
        player.playJoin();
        player.playData(wav16(kRate, 1, fanfare));
        EXPECT_EQ(player.joinPlays(), 1);
        EXPECT_EQ(player.dataPlays(), 1);
    }
    qunsetenv("TILEMENDER_SILENT");
    EXPECT_EQ(quiet->loads, 0); // the sound system was never even loaded
}

// A game starts with nothing of the sound system loaded, no thread and no
// library; its first join starts it, and both the joins and the completion
// fanfare (app.wav beside the program) still reach the device.
TEST(SoundPlayer, AGameStartsSilentAndItsFirstJoinStartsTheSoundThatPlaysTheFinishToo)
{
    const QString path = paths::programFolder() + "app.wav";
    QFile existing(path);
    const QByteArray kept = existing.open(QIODevice::ReadOnly) ? existing.readAll() : QByteArray();
    existing.close();
    const auto fanfare = ramp(kRate / 4);
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(wav16(kRate, 1, fanfare));
    }
    QFile click(QStringLiteral(":/player/134.wav"));
    ASSERT_TRUE(click.open(QIODevice::ReadOnly));
    const auto clickSamples = decoded(click.readAll()).samples;
    ASSERT_FALSE(clickSamples.empty());

    auto r = std::make_shared<Recorder>();
    {
        Game g(2, 1, 48, false);
        g.app.state.soundOption = 1;
        EXPECT_FALSE(g.app.sound.started()) << "the start loaded the sound system";
        g.app.sound.useBackend(recordingLoader(r));

        auto take = [&](int c, int row) { return g.doc->boxList().take(g.doc->boxList().find(c, row)); };
        g.view->dropSinglePiece(take(0, 0), g.view->mapToGlobal(g.home(0, 0)));
        EXPECT_TRUE(g.app.sound.started());
        ASSERT_TRUE(r->waitUntil([&] { return r->writes > 0; }));
        g.view->dropSinglePiece(take(1, 0), g.view->mapToGlobal(g.home(1, 0)));
        EXPECT_EQ(g.view->fixedCount(), 2);
        EXPECT_EQ(g.app.sound.joinPlays(), 2);
        EXPECT_EQ(g.app.sound.dataPlays(), 1);

        // Whatever of the clicks was cut short, the fanfare comes last and whole.
        ASSERT_TRUE(r->waitUntil([&] {
            return r->written.size() >= fanfare.size()
                && std::equal(fanfare.begin(), fanfare.end(), r->written.end() - long(fanfare.size()));
        }));
        EXPECT_EQ(r->written.front(), clickSamples.front());
        EXPECT_EQ(r->loads, 1);
    }
    if (kept.isEmpty()) {
        QFile::remove(path);
    } else {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kept);
    }
}

// The real ALSA path, through ALSA's own file plugin in place of a card: what
// reaches "default" is the sound byte for byte; a card that is not there
// gives no stream (and no line on standard error). Skipped on a machine
// without ALSA's library, where the player is silent anyway.
TEST(AlsaDevice, TheDefaultDeviceGetsEverySampleAndAMissingCardGivesNoStream)
{
    auto alsa = sound_device::loadAlsa();
    if (!alsa)
        GTEST_SKIP() << "no libasound.so.2 on this machine";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString output = dir.filePath(QStringLiteral("out.raw"));
    // ALSA reads its configuration again when the path names another file.
    const auto useConfig = [&](const QString& name, const QString& text) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
        f.close();
        qputenv("ALSA_CONFIG_PATH", QFile::encodeName(f.fileName()));
    };
    const QByteArray before = qgetenv("ALSA_CONFIG_PATH");

    useConfig(QStringLiteral("file.conf"),
              QStringLiteral("pcm.!default { type file slave.pcm { type null } file \"%1\" format \"raw\" }\n")
                  .arg(output));
    const auto stereo = ramp(2 * 3001, 19);
    {
        auto stream = alsa->open({22050, 2});
        ASSERT_NE(stream, nullptr);
        EXPECT_TRUE(stream->write(stereo.data(), 1000));
        EXPECT_TRUE(stream->write(stereo.data() + 2000, 2001));
        EXPECT_TRUE(stream->drain());
    }
    QFile raw(output);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    EXPECT_EQ(raw.readAll(), pcm16(stereo));

    useConfig(QStringLiteral("nocard.conf"), QStringLiteral("pcm.!default { type hw card 29 }\n"));
    EXPECT_EQ(alsa->open({22050, 1}), nullptr);

    if (before.isNull())
        qunsetenv("ALSA_CONFIG_PATH");
    else
        qputenv("ALSA_CONFIG_PATH", before);
}
