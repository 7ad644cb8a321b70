#include "sound_device.h"

#include <QByteArray>

#include <bit>
#include <dlfcn.h>
#include <sys/stat.h>

// The few entry points we call, declared here so that building needs no
// development headers of either sound system. The layouts and numbers are
// those of their stable C interfaces.
namespace {

constexpr bool kLittleEndian = std::endian::native == std::endian::little;
// Both systems buffer this much ahead of what is heard: short enough that a
// new sound cuts the last one promptly, long enough not to stutter on a busy
// machine.
constexpr unsigned kLatencyMs = 100;

// Loaded once and never unloaded: a worker left running at exit may still be
// inside the library, and neither library expects to be unloaded.
void* openLibrary(const char* name) { return ::dlopen(name, RTLD_NOW | RTLD_LOCAL); }

template <typename F>
bool resolve(void* library, const char* name, F& f)
{
    f = reinterpret_cast<F>(::dlsym(library, name));
    return f != nullptr;
}

// --- PulseAudio simple API --------------------------------------------------

struct PaSampleSpec {
    int format; // pa_sample_format_t
    uint32_t rate;
    uint8_t channels;
};
struct PaBufferAttr {
    uint32_t maxlength, tlength, prebuf, minreq, fragsize;
};
constexpr int kPaStreamPlayback = 1;
constexpr int kPaSampleS16Le = 3;
constexpr int kPaSampleS16Be = 4;
constexpr uint32_t kPaDefault = uint32_t(-1);

struct PulseApi {
    void* (*simpleNew)(const char* server, const char* name, int direction, const char* device,
                       const char* streamName, const PaSampleSpec* sampleSpec, const void* channelMap,
                       const PaBufferAttr* attributes, int* error) = nullptr;
    int (*simpleWrite)(void* stream, const void* data, size_t bytes, int* error) = nullptr;
    int (*simpleDrain)(void* stream, int* error) = nullptr;
    void (*simpleFree)(void* stream) = nullptr;
};

bool isSocket(const QByteArray& path)
{
    struct stat st {};
    return !path.isEmpty() && ::stat(path.constData(), &st) == 0 && S_ISSOCK(st.st_mode);
}

// Whether a server is there to take a connection. Without one the client
// library would start a server itself (and with it a session bus), which a
// game asking for a click must never do.
bool pulseServerRunning()
{
    if (!qgetenv("PULSE_SERVER").isEmpty())
        return true;
    const QByteArray runtime = qgetenv("PULSE_RUNTIME_PATH");
    if (!runtime.isEmpty())
        return isSocket(runtime + "/native");
    const QByteArray xdg = qgetenv("XDG_RUNTIME_DIR");
    return isSocket(xdg.isEmpty() ? QByteArray() : xdg + "/pulse/native") || isSocket("/run/pulse/native");
}

class PulseStream : public SoundStream {
public:
    PulseStream(const PulseApi& api, void* stream, int channels) : api_(api), stream_(stream), channels_(channels) {}
    ~PulseStream() override { api_.simpleFree(stream_); }
    bool write(const int16_t* samples, size_t frames) override
    {
        int error = 0;
        return api_.simpleWrite(stream_, samples, frames * size_t(channels_) * sizeof(int16_t), &error) >= 0;
    }
    bool drain() override
    {
        int error = 0;
        return api_.simpleDrain(stream_, &error) >= 0;
    }

private:
    PulseApi api_;
    void* stream_;
    int channels_;
};

class PulseBackend : public SoundBackend {
public:
    explicit PulseBackend(const PulseApi& api) : api_(api) {}
    std::unique_ptr<SoundStream> open(const SoundFormat& format) override
    {
        if (!pulseServerRunning())
            return nullptr;
        const PaSampleSpec sampleSpec{kLittleEndian ? kPaSampleS16Le : kPaSampleS16Be, uint32_t(format.rate),
                                uint8_t(format.channels)};
        const uint32_t ahead = uint32_t(format.rate) * kLatencyMs / 1000 * uint32_t(format.channels) * 2;
        const PaBufferAttr attributes{kPaDefault, ahead, kPaDefault, kPaDefault, kPaDefault};
        int error = 0;
        void* stream = api_.simpleNew(nullptr, "TileMender", kPaStreamPlayback, nullptr, "Game sound", &sampleSpec,
                                      nullptr, &attributes, &error);
        if (!stream)
            return nullptr;
        return std::make_unique<PulseStream>(api_, stream, format.channels);
    }

private:
    PulseApi api_;
};

// --- ALSA -------------------------------------------------------------------

constexpr int kAlsaStreamPlayback = 0;
constexpr int kAlsaNonBlocking = 1;
constexpr int kAlsaFormatS16Le = 2;
constexpr int kAlsaFormatS16Be = 3;
constexpr int kAlsaAccessRwInterleaved = 3;

using AlsaErrorHandler = void (*)(const char* file, int line, const char* function, int error, const char* format, ...);

struct AlsaApi {
    int (*open)(void** pcm, const char* name, int stream, int mode) = nullptr;
    int (*nonblock)(void* pcm, int nonblock) = nullptr;
    int (*setParams)(void* pcm, int format, int access, unsigned channels, unsigned rate, int softResample,
                     unsigned latencyUs) = nullptr;
    long (*writei)(void* pcm, const void* buffer, unsigned long frames) = nullptr;
    int (*recover)(void* pcm, int error, int silent) = nullptr;
    int (*drain)(void* pcm) = nullptr;
    int (*prepare)(void* pcm) = nullptr;
    int (*close)(void* pcm) = nullptr;
};

// ALSA prints every failure (no card, no such device) on standard error;
// a machine without sound is normal for us and not worth a line.
void quietAlsa(const char*, int, const char*, int, const char*, ...) {}

class AlsaStream : public SoundStream {
public:
    AlsaStream(const AlsaApi& api, void* pcm, int channels) : api_(api), pcm_(pcm), channels_(channels) {}
    ~AlsaStream() override { api_.close(pcm_); }
    bool write(const int16_t* samples, size_t frames) override
    {
        // An underrun or a suspend is recovered; a device that keeps failing
        // after that has gone away.
        int failures = 0;
        while (frames > 0) {
            const long n = api_.writei(pcm_, samples, frames);
            if (n < 0) {
                if (++failures > 4 || api_.recover(pcm_, int(n), 1) < 0)
                    return false;
                continue;
            }
            failures = 0;
            samples += size_t(n) * size_t(channels_);
            frames -= size_t(n);
        }
        return true;
    }
    bool drain() override
    {
        // Draining leaves the device stopped; prepared again, it takes the
        // next sound without being opened anew.
        return api_.drain(pcm_) >= 0 && api_.prepare(pcm_) >= 0;
    }

private:
    AlsaApi api_;
    void* pcm_;
    int channels_;
};

class AlsaBackend : public SoundBackend {
public:
    explicit AlsaBackend(const AlsaApi& api) : api_(api) {}
    std::unique_ptr<SoundStream> open(const SoundFormat& format) override
    {
        void* pcm = nullptr;
        // Opened without waiting: a device another program holds is busy
        // now, and the sound is skipped rather than queued behind it.
        if (api_.open(&pcm, "default", kAlsaStreamPlayback, kAlsaNonBlocking) < 0 || !pcm)
            return nullptr;
        const bool ready =
            api_.nonblock(pcm, 0) >= 0 &&
            api_.setParams(pcm, kLittleEndian ? kAlsaFormatS16Le : kAlsaFormatS16Be, kAlsaAccessRwInterleaved,
                           unsigned(format.channels), unsigned(format.rate), 1, kLatencyMs * 1000) >= 0;
        if (!ready) {
            api_.close(pcm);
            return nullptr;
        }
        return std::make_unique<AlsaStream>(api_, pcm, format.channels);
    }

private:
    AlsaApi api_;
};

// Pulse while its server runs, else ALSA (which may reach the same server
// through its own plugin, or the card directly).
class SystemBackend : public SoundBackend {
public:
    SystemBackend(std::unique_ptr<SoundBackend> pulse, std::unique_ptr<SoundBackend> alsa)
        : pulse_(std::move(pulse)), alsa_(std::move(alsa))
    {
    }
    std::unique_ptr<SoundStream> open(const SoundFormat& format) override
    {
        if (pulse_)
            if (auto stream = pulse_->open(format))
                return stream;
        return alsa_ ? alsa_->open(format) : nullptr;
    }

private:
    std::unique_ptr<SoundBackend> pulse_;
    std::unique_ptr<SoundBackend> alsa_;
};

} // namespace

namespace sound_device {

std::unique_ptr<SoundBackend> loadPulse(const char* library)
{
    void* handle = openLibrary(library);
    if (!handle)
        return nullptr;
    PulseApi api;
    if (!resolve(handle, "pa_simple_new", api.simpleNew) || !resolve(handle, "pa_simple_write", api.simpleWrite) ||
        !resolve(handle, "pa_simple_drain", api.simpleDrain) || !resolve(handle, "pa_simple_free", api.simpleFree))
        return nullptr;
    return std::make_unique<PulseBackend>(api);
}

std::unique_ptr<SoundBackend> loadAlsa(const char* library)
{
    void* handle = openLibrary(library);
    if (!handle)
        return nullptr;
    AlsaApi api;
    if (!resolve(handle, "snd_pcm_open", api.open) || !resolve(handle, "snd_pcm_nonblock", api.nonblock) ||
        !resolve(handle, "snd_pcm_set_params", api.setParams) || !resolve(handle, "snd_pcm_writei", api.writei) ||
        !resolve(handle, "snd_pcm_recover", api.recover) || !resolve(handle, "snd_pcm_drain", api.drain) ||
        !resolve(handle, "snd_pcm_prepare", api.prepare) || !resolve(handle, "snd_pcm_close", api.close))
        return nullptr;
    int (*setErrorHandler)(AlsaErrorHandler) = nullptr;
    if (resolve(handle, "snd_lib_error_set_handler", setErrorHandler))
        setErrorHandler(quietAlsa);
    return std::make_unique<AlsaBackend>(api);
}

std::unique_ptr<SoundBackend> loadSystem()
{
    auto pulse = loadPulse();
    auto alsa = loadAlsa();
    if (!pulse && !alsa)
        return nullptr;
    return std::make_unique<SystemBackend>(std::move(pulse), std::move(alsa));
}

} // namespace sound_device
