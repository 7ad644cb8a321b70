#include "start_ahead.h"

#include "crt_random.h"
#include "file_read.h"
#include "jpeg_decode.h"
#include "paths.h"

#include <fontconfig/fontconfig.h>

#include <QFileInfo>
#include <QStringList>
#include <QThread>

#include <system_error>

StartAhead::StartAhead(int argc, char** argv)
{
    // The toolkit takes the first thread that asks for its thread data for
    // the main one; whatever of it the reading thread touches before the
    // application object exists must not take that place: this thread asks first.
    (void)QThread::currentThread();
    try {
        // fontconfig builds its default configuration once and publishes it
        // atomically, so the toolkit asking for it meanwhile is safe (it would
        // only read the files a second time).
        fonts_ = std::thread([] { (void)FcInit(); });
    } catch (const std::system_error&) {
        // No thread to spare: the first text reads the configuration itself.
    }

    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QString folder = paths::programFolder();
    const QString puzzlePath = puzzleFor(arguments, folder);
    const QString backgroundPath = folder + QStringLiteral("TileMenderBk.JPG");

    // The ratio the screen will most likely have, before the application
    // can say: the scale asked for, or none. A wrong guess only costs the
    // open its outlines asked again.
    bool scaled = false;
    qreal ratio = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&scaled);
    if (!scaled || !(ratio > 0))
        ratio = 1;
    seed_ = crt::startSeed();

    // The deal comes before the background: the open waits for it first.
    // The background on the font thread instead, to be ready sooner, made
    // the start no faster on two cores already busy with the application's
    // own start.
    std::promise<std::unique_ptr<CTileMenderDoc::ReadAhead>> puzzle;
    std::promise<std::unique_ptr<ToolkitBitmap>> background;
    puzzle_ = puzzle.get_future();
    background_ = background.get_future();
    auto work = [path = puzzlePath, backgroundPath, seed = seed_, ratio](auto puzzle, auto background) {
        std::unique_ptr<CTileMenderDoc::ReadAhead> read;
        if (!path.isEmpty()) {
            read = std::make_unique<CTileMenderDoc::ReadAhead>();
            CTileMenderDoc::readAhead(path, *read);
            CTileMenderDoc::dealAhead(*read, seed, ratio);
        }
        puzzle.set_value(std::move(read));
        // Our own art, a JPEG; without the toolkit's plugins, as above.
        std::unique_ptr<ToolkitBitmap> bk;
        QByteArray bytes;
        QImage image;
        if (file_read::readWhole(backgroundPath, imaging::kMaxFileBytes, bytes) == file_read::Result::Ok
            && jpeg_decode::decode(bytes, QSize(), image)) {
            bk = std::make_unique<ToolkitBitmap>();
            bk->image = image;
            bk->bitsPerPixel = 24;
        }
        background.set_value(std::move(bk));
    };
    try {
        files_ = std::thread(work, std::move(puzzle), std::move(background));
    } catch (const std::system_error&) {
        // The promises went with the failed start; the start reads for itself.
        puzzle_ = {};
        background_ = {};
    }
}

StartAhead::~StartAhead()
{
    if (fonts_.joinable())
        fonts_.join();
    if (files_.joinable())
        files_.join();
}

QString StartAhead::puzzleFor(const QStringList& arguments, const QString& folder)
{
    // Anything else (the toolkit's own options among them) is left to the
    // start itself, which reads the puzzle then.
    if (arguments.size() == 1 && !arguments.first().startsWith(QLatin1Char('-')))
        return arguments.first();
    if (arguments.isEmpty()) {
        const QString packaged = folder + QStringLiteral("Vorlin.puz");
        if (QFileInfo::exists(packaged))
            return packaged;
    }
    return QString();
}

std::unique_ptr<CTileMenderDoc::ReadAhead> StartAhead::takePuzzle(const QString& path)
{
    if (!puzzle_.valid())
        return nullptr;
    auto read = puzzle_.get();
    return read && read->path == path ? std::move(read) : nullptr;
}

std::unique_ptr<ToolkitBitmap> StartAhead::takeBackground()
{
    return background_.valid() ? background_.get() : nullptr;
}
