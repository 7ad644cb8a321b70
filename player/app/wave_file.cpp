#include "wave_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace wave_file {
namespace {

constexpr uint16_t kTagPcm = 1;
constexpr uint16_t kTagFloat = 3;
constexpr uint16_t kTagExtensible = 0xFFFE;

// Bytes 2 to 15 of every sub-format GUID of the extensible header: the
// first two bytes are the plain format tag.
constexpr unsigned char kGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                         0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint16_t le16(const unsigned char* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t le32(const unsigned char* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

struct Format {
    uint16_t tag = 0; // kTagPcm or kTagFloat once read
    int channels = 0;
    uint32_t rate = 0;
    int bits = 0;
    int blockAlign = 0;
};

bool fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

bool readFormat(const unsigned char* p, uint32_t size, Format& f, QString* error)
{
    if (size < 16)
        return fail(error, QStringLiteral("the format chunk is too short"));
    f.tag = le16(p);
    f.channels = le16(p + 2);
    f.rate = le32(p + 4);
    f.blockAlign = le16(p + 12);
    f.bits = le16(p + 14);
    if (f.tag == kTagExtensible) {
        if (size < 40 || le16(p + 16) < 22)
            return fail(error, QStringLiteral("the extensible format chunk is too short"));
        const unsigned char* guid = p + 24;
        if (std::memcmp(guid + 2, kGuidTail, sizeof kGuidTail) != 0)
            return fail(error, QStringLiteral("an unknown sub-format"));
        f.tag = le16(guid);
    }
    if (f.tag != kTagPcm && f.tag != kTagFloat)
        return fail(error, QStringLiteral("not PCM (format %1)").arg(f.tag));
    if (f.channels < 1 || f.channels > kMaxChannels)
        return fail(error, QStringLiteral("%1 channels").arg(f.channels));
    if (f.rate < uint32_t(kMinRate) || f.rate > uint32_t(kMaxRate))
        return fail(error, QStringLiteral("a rate of %1 Hz").arg(f.rate));
    const bool bitsOk = f.tag == kTagPcm ? (f.bits == 8 || f.bits == 16 || f.bits == 24 || f.bits == 32)
                                         : (f.bits == 32 || f.bits == 64);
    if (!bitsOk)
        return fail(error, QStringLiteral("%1-bit samples").arg(f.bits));
    if (f.blockAlign != f.channels * f.bits / 8)
        return fail(error, QStringLiteral("a frame of %1 bytes for %2 channels of %3 bits")
                               .arg(f.blockAlign)
                               .arg(f.channels)
                               .arg(f.bits));
    return true;
}

int16_t fromFloat(double v)
{
    if (!(v == v)) // NaN
        return 0;
    return int16_t(std::lround(std::clamp(v, -1.0, 1.0) * 32767.0));
}

// One sample of the file's encoding at p, as a signed 16-bit value.
int16_t sampleAt(const unsigned char* p, const Format& f)
{
    if (f.tag == kTagFloat) {
        if (f.bits == 32) {
            uint32_t u = le32(p);
            float v;
            std::memcpy(&v, &u, sizeof v);
            return fromFloat(v);
        }
        const uint64_t u = uint64_t(le32(p)) | (uint64_t(le32(p + 4)) << 32);
        double v;
        std::memcpy(&v, &u, sizeof v);
        return fromFloat(v);
    }
    switch (f.bits) {
    case 8: // unsigned, silence at 128
        return int16_t((int(p[0]) - 128) * 256);
    case 16:
        return int16_t(le16(p));
    default: // 24 and 32 bits: the two most significant bytes
        return int16_t(le16(p + f.bits / 8 - 2));
    }
}

} // namespace

bool decode(const QByteArray& bytes, Sound& out, QString* error)
{
    out = Sound{};
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const size_t size = size_t(bytes.size());
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
        return fail(error, QStringLiteral("not a RIFF/WAVE file"));
    const uint64_t riffEnd = 8 + uint64_t(le32(data + 4));
    if (riffEnd > size)
        return fail(error, QStringLiteral("the file is shorter than its header says"));

    Format format;
    bool haveFormat = false;
    const unsigned char* samples = nullptr;
    uint32_t sampleBytes = 0;
    uint64_t pos = 12;
    while (pos + 8 <= riffEnd) {
        const unsigned char* chunk = data + pos;
        const uint32_t chunkSize = le32(chunk + 4);
        if (chunkSize > riffEnd - pos - 8)
            return fail(error, QStringLiteral("a chunk runs past the end of the file"));
        const unsigned char* body = chunk + 8;
        if (!haveFormat && std::memcmp(chunk, "fmt ", 4) == 0) {
            if (!readFormat(body, chunkSize, format, error))
                return false;
            haveFormat = true;
        } else if (!samples && std::memcmp(chunk, "data", 4) == 0) {
            samples = body;
            sampleBytes = chunkSize;
        }
        // Chunks are padded to even lengths; a missing pad byte at the very
        // end is common and harmless.
        pos += 8 + uint64_t(chunkSize) + (chunkSize & 1);
    }
    if (!haveFormat)
        return fail(error, QStringLiteral("no format chunk"));
    if (!samples)
        return fail(error, QStringLiteral("no data chunk"));

    const size_t bytesPerSample = size_t(format.bits / 8);
    const size_t frames = sampleBytes / size_t(format.blockAlign); // a cut-off last frame is dropped
    const size_t count = frames * size_t(format.channels);
    if (count > kMaxSamples)
        return fail(error, QStringLiteral("longer than any sound the player plays"));

    out.samples.resize(count);
    for (size_t i = 0; i < count; ++i)
        out.samples[i] = sampleAt(samples + i * bytesPerSample, format);
    out.rate = int(format.rate);
    out.channels = format.channels;
    return true;
}

} // namespace wave_file
