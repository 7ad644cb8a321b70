#include "sound.h"

#include "sound_device.h"

#include <QFile>

SoundPlayer::SoundPlayer(QObject* parent) : SoundPlayer(&sound_device::loadSystem, parent) {}

SoundPlayer::SoundPlayer(SoundWorker::BackendLoader loader, QObject* parent)
    : QObject(parent), loader_(std::move(loader))
{
}

SoundPlayer::~SoundPlayer() = default;

SoundWorker* SoundPlayer::worker()
{
    // Read at every sound, as a test or a user may set it at any time.
    if (qEnvironmentVariableIsSet("TILEMENDER_SILENT"))
        return nullptr;
    if (!worker_)
        worker_ = std::make_unique<SoundWorker>(loader_);
    return worker_.get();
}

void SoundPlayer::playJoin()
{
    ++joinPlays_;
    SoundWorker* w = worker();
    if (!w)
        return;
    if (joinWave_.isEmpty()) {
        QFile resource(QStringLiteral(":/player/134.wav"));
        if (resource.open(QIODevice::ReadOnly))
            joinWave_ = resource.readAll();
    }
    if (!joinWave_.isEmpty())
        w->play(SoundWorker::Kind::Join, joinWave_);
}

void SoundPlayer::playData(const QByteArray& wave)
{
    ++dataPlays_;
    if (wave.isEmpty())
        return;
    if (SoundWorker* w = worker())
        w->play(SoundWorker::Kind::Completion, wave);
}
