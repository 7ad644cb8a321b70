#pragma once
// Where the player's sounds go: a playback stream of 16-bit samples in the
// machine's byte order, opened through whatever sound system the desktop
// runs. The libraries are loaded at run time, so a machine without them
// gives a silent game, never a program that does not start.
//
// Everything here blocks (opening a stream, writing to it, draining it), so
// it is only ever called from the sound worker's thread.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct SoundFormat {
    int rate = 0;
    int channels = 0;
    bool operator==(const SoundFormat&) const = default;
};

// One open playback stream; destroying it closes it, dropping what it has
// not played yet.
class SoundStream {
public:
    virtual ~SoundStream() = default;
    // Blocks until the device took all `frames` frames of `samples`
    // (interleaved). False when the device failed or went away.
    virtual bool write(const int16_t* samples, size_t frames) = 0;
    // Blocks until everything written has been played.
    virtual bool drain() = 0;
};

// Opens streams on one sound system.
class SoundBackend {
public:
    virtual ~SoundBackend() = default;
    // Null when no stream can be opened now (no server, no device, device
    // busy); a later call may succeed.
    virtual std::unique_ptr<SoundStream> open(const SoundFormat& format) = 0;
};

namespace sound_device {

// The PulseAudio simple API (PipeWire serves it too) from `library`, used
// only while a server is running: connecting without one would start one.
std::unique_ptr<SoundBackend> loadPulse(const char* library = "libpulse-simple.so.0");
// ALSA's "default" device from `library`.
std::unique_ptr<SoundBackend> loadAlsa(const char* library = "libasound.so.2");
// Whichever of the two this machine has, PulseAudio first; null when it has
// neither, and the game stays silent.
std::unique_ptr<SoundBackend> loadSystem();

} // namespace sound_device
