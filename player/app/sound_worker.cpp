#include "sound_worker.h"

#include "sound_device.h"
#include "wave_file.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

namespace {

using namespace std::chrono_literals;

// The stream stays open this long after a sound, so that the clicks of a
// quick series of joins do not each wait for a device to open.
constexpr auto kKeepOpen = 3s;
// How long the program's exit waits for the worker before leaving it.
constexpr auto kExitWait = 1s;
// Sounds are written in pieces of this many milliseconds; between two
// pieces the worker sees a newer sound or the program's exit.
constexpr int kPieceMs = 25;

struct Request {
    SoundWorker::Kind kind;
    QByteArray wave;
};

} // namespace

struct SoundWorker::State {
    std::mutex mutex;
    std::condition_variable wake;  // a request, or stop
    std::condition_variable ended; // finished
    std::optional<Request> pending;
    bool stop = false;
    bool finished = false;
    BackendLoader loader;
};

namespace {

// Everything the worker's thread owns; nothing of it is shared.
class Playback {
public:
    explicit Playback(SoundWorker::State& state) : s_(state) {}

    void run()
    {
        while (std::optional<Request> request = next())
            play(std::move(*request));
        stream_.reset();
    }

private:
    enum class Outcome { Played, CutIn, Failed, Stopped };

    // The next request, or nothing once the program ends. An open stream is
    // closed when no sound came for a while.
    std::optional<Request> next()
    {
        std::unique_lock lock(s_.mutex);
        const auto ready = [this] { return s_.stop || s_.pending.has_value(); };
        while (stream_ && !s_.wake.wait_for(lock, kKeepOpen, ready)) {
            lock.unlock();
            stream_.reset();
            lock.lock();
        }
        s_.wake.wait(lock, ready);
        if (s_.stop)
            return std::nullopt;
        std::optional<Request> r = std::move(s_.pending);
        s_.pending.reset();
        return r;
    }

    void play(Request current)
    {
        for (;;) {
            wave_file::Sound sound;
            if (!wave_file::decode(current.wave, sound) || sound.frames() == 0 || !openFor(sound))
                return;
            switch (write(sound, current)) {
            case Outcome::Played:
                if (!stream_->drain())
                    stream_.reset();
                return;
            case Outcome::CutIn:
                continue; // `current` is the newer sound now
            case Outcome::Failed:
                stream_.reset(); // the device went away; the next sound opens it anew
                return;
            case Outcome::Stopped:
                return;
            }
        }
    }

    bool openFor(const wave_file::Sound& sound)
    {
        if (!backendLoaded_) {
            backendLoaded_ = true;
            if (s_.loader)
                backend_ = s_.loader();
        }
        if (!backend_)
            return false;
        const SoundFormat format{sound.rate, sound.channels};
        if (stream_ && format_ == format)
            return true;
        stream_.reset();
        stream_ = backend_->open(format);
        format_ = format;
        return stream_ != nullptr;
    }

    Outcome write(const wave_file::Sound& sound, Request& current)
    {
        const size_t piece = std::max<size_t>(1, size_t(sound.rate) * kPieceMs / 1000);
        const size_t frames = sound.frames();
        for (size_t at = 0; at < frames; at += piece) {
            if (!stream_->write(sound.samples.data() + at * size_t(sound.channels), std::min(piece, frames - at)))
                return Outcome::Failed;
            std::lock_guard lock(s_.mutex);
            if (s_.stop)
                return Outcome::Stopped;
            if (!s_.pending)
                continue;
            // The completion sound is the last of a game: a click that
            // comes with it does not cut it.
            if (current.kind == SoundWorker::Kind::Completion && s_.pending->kind == SoundWorker::Kind::Join) {
                s_.pending.reset();
                continue;
            }
            current = std::move(*s_.pending);
            s_.pending.reset();
            return Outcome::CutIn;
        }
        return Outcome::Played;
    }

    SoundWorker::State& s_;
    bool backendLoaded_ = false;
    std::unique_ptr<SoundBackend> backend_;
    std::unique_ptr<SoundStream> stream_;
    SoundFormat format_;
};

} // namespace

SoundWorker::SoundWorker(BackendLoader loader) : state_(std::make_shared<State>())
{
    state_->loader = std::move(loader);
    thread_ = std::thread([state = state_] {
        Playback(*state).run();
        {
            std::lock_guard lock(state->mutex);
            state->finished = true;
        }
        state->ended.notify_all();
    });
}

SoundWorker::~SoundWorker()
{
    std::unique_lock lock(state_->mutex);
    state_->stop = true;
    state_->pending.reset();
    state_->wake.notify_all();
    const bool ended = state_->ended.wait_for(lock, kExitWait, [this] { return state_->finished; });
    lock.unlock();
    if (ended)
        thread_.join();
    else
        thread_.detach();
}

void SoundWorker::play(Kind kind, const QByteArray& wave)
{
    {
        std::lock_guard lock(state_->mutex);
        // A click never takes the place of a completion sound still waiting.
        if (kind == Kind::Join && state_->pending && state_->pending->kind == Kind::Completion)
            return;
        state_->pending = Request{kind, wave};
    }
    state_->wake.notify_all();
}
