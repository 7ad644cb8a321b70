#include "sound.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QBuffer>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QSoundEffect>
#include <QUrl>

SoundPlayer::SoundPlayer(QObject* parent) : QObject(parent) {}

SoundPlayer::~SoundPlayer() = default;

bool SoundPlayer::haveOutput() const
{
    if (qEnvironmentVariableIsSet("TILEMENDER_SILENT"))
        return false;
    return !QMediaDevices::audioOutputs().isEmpty();
}

void SoundPlayer::playJoin()
{
    ++joinPlays_;
    if (!haveOutput())
        return;
    if (!join_) {
        join_ = new QSoundEffect(this);
        join_->setSource(QUrl(QStringLiteral("qrc:/player/134.wav")));
    }
    join_->play();
}

void SoundPlayer::playData(const QByteArray& wave)
{
    ++dataPlays_;
    if (wave.isEmpty() || !haveOutput())
        return;
    if (!player_) {
        player_ = new QMediaPlayer(this);
        output_ = new QAudioOutput(this);
        player_->setAudioOutput(output_);
        buffer_ = new QBuffer(this);
    }
    player_->stop();
    buffer_->close();
    buffer_->setData(wave);
    buffer_->open(QIODevice::ReadOnly);
    player_->setSourceDevice(buffer_, QUrl(QStringLiteral("app.wav")));
    player_->play();
}
