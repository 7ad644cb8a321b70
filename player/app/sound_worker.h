#pragma once
// The thread the player's sounds play on. Opening a device, writing to it
// and draining it all block, sometimes for long (a busy or vanished device,
// a sound server that hangs), so none of it happens on the thread that
// paints the board. The worker holds at most one sound waiting behind the
// one playing; a new sound replaces the waiting one and cuts the playing
// one short, except that a join click never cuts the completion sound.

#include <QByteArray>

#include <functional>
#include <memory>
#include <thread>

class SoundBackend;

class SoundWorker {
public:
    enum class Kind { Join, Completion };
    using BackendLoader = std::function<std::unique_ptr<SoundBackend>()>;

    // `loader` is called on the worker's thread when the first sound is
    // played; a null backend makes every sound silent.
    explicit SoundWorker(BackendLoader loader);
    // Stops the sound playing and ends the thread. A thread stuck in a
    // device that no longer answers is left to end by itself; it owns all
    // it touches, so the program can go on without it.
    ~SoundWorker();
    SoundWorker(const SoundWorker&) = delete;
    SoundWorker& operator=(const SoundWorker&) = delete;

    // `wave` is a whole WAV file; one that does not decode is silent.
    void play(Kind kind, const QByteArray& wave);

    struct State;

private:
    std::shared_ptr<State> state_;
    std::thread thread_;
};
