#pragma once
// Reading a RIFF/WAVE file held in memory into 16-bit samples the sound
// devices take as they are. The completion sound is a file anyone can
// replace, so nothing it declares is trusted: every chunk must lie inside
// the data, the header's numbers must describe a sound a device can play,
// and only what the data really holds is ever allocated.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace wave_file {

// What the decoder accepts; beyond these a file is refused.
constexpr int kMaxChannels = 8;
constexpr int kMinRate = 1000;
constexpr int kMaxRate = 384000;
// About six minutes of 48 kHz stereo: more than a game's sound ever is.
constexpr size_t kMaxSamples = size_t(32) * 1024 * 1024;

struct Sound {
    int rate = 0;
    int channels = 0;
    std::vector<int16_t> samples; // interleaved, channels per frame

    size_t frames() const { return channels > 0 ? samples.size() / size_t(channels) : 0; }
};

// Decodes integer PCM of 8 (unsigned), 16, 24 or 32 bits, or IEEE float of
// 32 or 64 bits, plain or in the extensible header. Chunks may come in any
// order; unknown ones are skipped. On failure `out` is left empty and
// `error` (when given) says why in a few words.
bool decode(const QByteArray& bytes, Sound& out, QString* error = nullptr);

} // namespace wave_file
