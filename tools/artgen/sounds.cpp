// The join click and the completion fanfare, synthesised as 16-bit mono PCM.
#include "art.h"
#include "theme.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <vector>

namespace art {
namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

void put16(QByteArray &b, quint16 v)
{
    char c[2];
    qToLittleEndian(v, c);
    b.append(c, 2);
}
void put32(QByteArray &b, quint32 v)
{
    char c[4];
    qToLittleEndian(v, c);
    b.append(c, 4);
}

// Scales the mix so its loudest sample reaches peak, then writes a WAV file.
QByteArray wav(std::vector<double> samples, double peak)
{
    double top = 0;
    for (double s : samples) top = std::max(top, std::abs(s));
    const double gain = top > 0 ? peak / top : 0;

    QByteArray data;
    data.reserve(int(samples.size() * 2));
    for (double s : samples)
        put16(data, quint16(qint16(std::lround(std::clamp(s * gain, -1.0, 1.0) * 32767))));

    QByteArray out;
    out.append("RIFF", 4);
    put32(out, quint32(36 + data.size()));
    out.append("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, 1); // mono
    put32(out, kRate);
    put32(out, kRate * 2);
    put16(out, 2);
    put16(out, 16);
    out.append("data", 4);
    put32(out, quint32(data.size()));
    out.append(data);
    return out;
}

// A brass-like note: a few harmonics with their own decays, soft attack.
void addNote(std::vector<double> &mix, double start, double length, double freq, double level)
{
    static const double harm[] = {1.0, 0.55, 0.38, 0.24, 0.14, 0.08};
    const int first = int(start * kRate);
    const int count = int((length + 0.25) * kRate); // ring on after release
    for (int i = 0; i < count && first + i < int(mix.size()); ++i) {
        const double t = double(i) / kRate;
        const double attack = std::min(1.0, t / 0.018);
        const double body = t < length ? std::exp(-t * 1.6) : std::exp(-length * 1.6) * std::exp(-(t - length) * 14);
        const double vibrato = 1.0 + 0.004 * std::sin(2 * kPi * 5.5 * t) * std::min(1.0, t / 0.2);
        double v = 0;
        for (int h = 0; h < 6; ++h)
            v += harm[h] * std::exp(-t * (0.8 + h * 1.1)) * std::sin(2 * kPi * freq * (h + 1) * vibrato * t);
        mix[size_t(first + i)] += level * attack * body * v;
    }
}

} // namespace

// A short, dry snap: a noise tick, a bright ping and a low knock, all over
// within a tenth of a second.
QByteArray joinSound()
{
    const int n = int(0.09 * kRate);
    std::vector<double> mix(size_t(n), 0.0);
    Rng rng(134);
    double prev = 0;
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / kRate;
        const double white = rng.real(-1, 1);
        const double hp = white - prev; // crude high-pass keeps the tick crisp
        prev = white;
        const double tick = hp * std::exp(-t / 0.0025) * 0.6;
        const double ping = std::sin(2 * kPi * 2300 * t) * std::exp(-t / 0.008) * 0.5;
        const double knock = std::sin(2 * kPi * 170 * t * (1.0 - t * 2)) * std::exp(-t / 0.02) * 0.9;
        const double fade = i > n - 200 ? double(n - i) / 200 : 1.0;
        mix[size_t(i)] = (tick + ping + knock) * fade;
    }
    return wav(std::move(mix), 0.7);
}

// A rising C-major call ending on a held chord, about 1.9 seconds.
QByteArray fanfareSound()
{
    const double total = 1.9;
    std::vector<double> mix(size_t(total * kRate), 0.0);
    const double G4 = 392.00, C5 = 523.25, E5 = 659.25, G5 = 783.99, C6 = 1046.50;
    addNote(mix, 0.00, 0.12, G4, 0.8);
    addNote(mix, 0.13, 0.12, C5, 0.8);
    addNote(mix, 0.26, 0.12, E5, 0.8);
    addNote(mix, 0.39, 0.26, G5, 0.9);
    addNote(mix, 0.68, 0.10, E5, 0.7);
    // Final chord, with a low C underneath.
    for (double f : {C5, E5, G5, C6})
        addNote(mix, 0.80, 0.85, f, f == C6 ? 0.8 : 0.55);
    addNote(mix, 0.80, 0.85, C5 / 2, 0.5);
    // Fade the tail so the file ends in silence.
    const size_t fade = size_t(0.25 * kRate);
    for (size_t i = 0; i < fade; ++i)
        mix[mix.size() - 1 - i] *= double(i) / fade;
    return wav(std::move(mix), 0.8);
}

} // namespace art
