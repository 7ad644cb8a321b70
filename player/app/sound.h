#pragma once
// The join click and the completion fanfare. Without a sound system, without
// an audio device, or with a sound that cannot be decoded, playing is silent
// and never an error. Nothing of the sound system is loaded before the first
// sound, and nothing of it runs on the caller's thread.

#include "sound_worker.h"

#include <QByteArray>
#include <QObject>

#include <memory>

class SoundPlayer : public QObject {
    Q_OBJECT
public:
    // Plays through the desktop's sound system.
    explicit SoundPlayer(QObject* parent = nullptr);
    // Plays through the backend `loader` gives at the first sound.
    explicit SoundPlayer(SoundWorker::BackendLoader loader, QObject* parent = nullptr);
    ~SoundPlayer() override;

    // The join sound, wave resource 134.
    void playJoin();
    // A whole wave file held in memory (the completion sound).
    void playData(const QByteArray& wave);

    // Where sounds go from the next first sound on: the worker, and with it
    // the backend, is made only then. For tests; a player that already
    // played keeps the backend it has.
    void useBackend(SoundWorker::BackendLoader loader) { loader_ = std::move(loader); }
    // Whether anything of the sound system was started yet: a game starts
    // without, and the first sound starts it.
    bool started() const { return worker_ != nullptr; }

    // Counts of plays asked for, so tests can tell a sound was requested
    // even where there is no audio device.
    int joinPlays() const { return joinPlays_; }
    int dataPlays() const { return dataPlays_; }

private:
    // The worker, started at the first sound; null while silent.
    SoundWorker* worker();

    SoundWorker::BackendLoader loader_;
    std::unique_ptr<SoundWorker> worker_;
    QByteArray joinWave_;
    int joinPlays_ = 0;
    int dataPlays_ = 0;
};
