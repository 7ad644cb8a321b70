#include "thumbnail_command.h"

#include "file_write.h"
#include "imaging.h"
#include "puzzle_file.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageWriter>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace thumbnail_command {
namespace {

bool refuse(QString* why, const QString& text)
{
    if (why)
        *why = text;
    return false;
}

// The file managers pass a whole number; anything else is a caller's mistake
// worth naming rather than a size to guess.
bool parseSize(const QString& text, int& size)
{
    bool ok = false;
    size = text.toInt(&ok);
    return ok && size > 0;
}

QByteArray pngBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        bytes.clear();
    return bytes;
}

} // namespace

bool requested(int argc, char** argv)
{
    return argc > 1 && std::strcmp(argv[1], kOption) == 0;
}

QSize fitted(QSize picture, int size)
{
    if (picture.isEmpty() || size < 1)
        return QSize();
    const int longer = std::max(picture.width(), picture.height());
    if (longer <= size)
        return picture;
    // Rounded to the nearest pixel, but a thin picture keeps at least one.
    auto side = [&](int s) { return std::max(1, int((qint64(s) * size + longer / 2) / longer)); };
    return QSize(side(picture.width()), side(picture.height()));
}

QImage make(const QString& puzzle, int size, QString* why)
{
    QByteArray picture;
    QString reason;
    if (puzzle_file::readPictureFile(puzzle, picture, &reason) != puzzle_file::ReadResult::Ok) {
        refuse(why, QStringLiteral("%1: %2").arg(puzzle, reason));
        return QImage();
    }
    ToolkitBitmap bmp;
    const QSize maxPicture(puzzle_file::kMaxPictureSide, puzzle_file::kMaxPictureSide);
    if (!imaging::loadFromData(picture, bmp, 24, maxPicture, &reason)) {
        refuse(why, QStringLiteral("%1: cannot read the picture: %2").arg(puzzle, reason));
        return QImage();
    }
    const QSize target = fitted(bmp.image.size(), size);
    QImage scaled = target == bmp.image.size()
        ? bmp.image
        : bmp.image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Thumbnails are 8-bit RGBA PNGs; the picture itself is opaque.
    return scaled.convertToFormat(QImage::Format_ARGB32);
}

bool write(const QString& puzzle, const QString& out, int size, QString* why)
{
    const QImage image = make(puzzle, size, why);
    if (image.isNull())
        return false;
    const QByteArray bytes = pngBytes(image);
    if (bytes.isEmpty())
        return refuse(why, QStringLiteral("%1: the thumbnail could not be encoded as PNG").arg(puzzle));
    int error = 0;
    if (!file_write::replace(out, bytes, &error))
        return refuse(why, file_write::failure(QStringLiteral("thumbnail"), out, error));
    return true;
}

int run(int argc, char** argv)
{
    // Image format plugins need an application object, and nothing here
    // may need a display: a core application is all there is.
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    auto say = [](const QString& text) {
        std::fprintf(stderr, "TileMender: %s\n", text.toLocal8Bit().constData());
    };
    int size = 0;
    if (args.size() != 5) {
        say(QStringLiteral("usage: TileMender --thumbnail PUZZLE OUT.png SIZE"));
        return 2;
    }
    if (!parseSize(args[4], size)) {
        say(QStringLiteral("the thumbnail size must be a whole number of pixels above 0, not \"%1\"")
                .arg(args[4]));
        return 2;
    }
    QString why;
    if (!write(args[2], args[3], size, &why)) {
        say(why);
        return 1;
    }
    return 0;
}

} // namespace thumbnail_command
