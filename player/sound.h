#pragma once
// The join click and the completion fanfare. Without an audio device, or with
// a sound that cannot be decoded, playing is silent and never an error.

#include <QByteArray>
#include <QObject>

#include <memory>

class QBuffer;
class QMediaPlayer;
class QAudioOutput;
class QSoundEffect;

class SoundPlayer : public QObject {
    Q_OBJECT
public:
    explicit SoundPlayer(QObject* parent = nullptr);
    ~SoundPlayer() override;

    // The join sound, wave resource 134.
    void playJoin();
    // A whole wave file held in memory (the completion sound).
    void playData(const QByteArray& wave);

    // Counts of plays asked for, so tests can tell a sound was requested
    // even where there is no audio device.
    int joinPlays() const { return joinPlays_; }
    int dataPlays() const { return dataPlays_; }

private:
    bool haveOutput() const;
    int joinPlays_ = 0;
    int dataPlays_ = 0;
    QSoundEffect* join_ = nullptr;
    QMediaPlayer* player_ = nullptr;
    QAudioOutput* output_ = nullptr;
    QBuffer* buffer_ = nullptr;
};
