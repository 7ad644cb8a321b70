#include "picture_fit.h"

#include "file_write.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <sys/stat.h>

namespace picture_fit {
namespace {

void fail(QString* why, const QString& text)
{
    if (why)
        *why = text;
}

// A picture of one pixel row or column cannot be cut into pieces.
bool tooSmall(QSize s)
{
    return s.width() <= 1 || s.height() <= 1;
}

// Only regular files: a fifo or a device would block or never end.
bool isRegularFile(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

// Lets a decoder that cannot scale while decoding hold a full picture up to
// the toolkit's pixel limit, for the one read it is needed for.
class AllocationLimit {
public:
    explicit AllocationLimit(int megabytes)
        : old_(QImageReader::allocationLimit())
    {
        if (old_ != 0 && old_ < megabytes)
            QImageReader::setAllocationLimit(megabytes);
    }
    ~AllocationLimit() { QImageReader::setAllocationLimit(old_); }
    AllocationLimit(const AllocationLimit&) = delete;
    AllocationLimit& operator=(const AllocationLimit&) = delete;

private:
    int old_;
};

} // namespace

QSize fittedSize(QSize size)
{
    const int w = size.width();
    const int h = size.height();
    const float fx = float(w) * 0.0015625f;
    const float fy = float(h) * 0.0020833334f;
    if (!(fx > 1.0f || fy > 1.0f))
        return size;
    if (fx <= fy)
        return QSize(std::max(1, int(float(w) / fy)), kMaxHeight);
    return QSize(kMaxWidth, std::max(1, int(float(h) / fx)));
}

bool loadPicture(const QString& path, ToolkitBitmap& picture, QString* why)
{
    if (!QFileInfo::exists(path)) {
        fail(why, QStringLiteral("The picture \"%1\" does not exist.").arg(path));
        return false;
    }
    if (!isRegularFile(path)) {
        fail(why, QStringLiteral("\"%1\" is not a picture file.").arg(path));
        return false;
    }
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    // Phones store a portrait photo lying on its side with a note to turn it.
    reader.setAutoTransform(true);

    const QSize stored = reader.size();
    if (!reader.canRead()) {
        fail(why, QStringLiteral("Cannot read the picture \"%1\": %2.").arg(path, reader.errorString()));
        return false;
    }
    if (stored.isValid() && tooSmall(stored)) {
        fail(why, QStringLiteral("The picture \"%1\" is too small to make a puzzle of.").arg(path));
        return false;
    }

    bool scaling = false;
    if (stored.isValid()) {
        // The fitted size comes from the picture as it is shown, upright; the
        // decoder scales the picture as it is stored, before turning it.
        const bool sideways = reader.transformation() & QImageIOHandler::TransformationRotate90;
        const QSize upright = sideways ? stored.transposed() : stored;
        const QSize fitted = fittedSize(upright);
        if (fitted != upright) {
            reader.setScaledSize(sideways ? fitted.transposed() : fitted);
            scaling = true;
        }
    }

    QImage image;
    {
        const bool decoderScales = reader.supportsOption(QImageIOHandler::ScaledSize);
        const int fullMegabytes = int(imaging::kMaxPixels * 4 / (1024 * 1024));
        AllocationLimit limit(scaling && !decoderScales ? fullMegabytes : 0);
        if (scaling && !decoderScales && qint64(stored.width()) * stored.height() > imaging::kMaxPixels) {
            fail(why, QStringLiteral("The picture \"%1\" is too large (%2 x %3 pixels).")
                          .arg(path).arg(stored.width()).arg(stored.height()));
            return false;
        }
        if (!reader.read(&image) || image.isNull()) {
            fail(why, QStringLiteral("Cannot read the picture \"%1\": %2.").arg(path, reader.errorString()));
            return false;
        }
    }
    if (tooSmall(image.size())) {
        fail(why, QStringLiteral("The picture \"%1\" is too small to make a puzzle of.").arg(path));
        return false;
    }
    const int depth = image.depth() == 32 && !image.hasAlphaChannel() ? 24 : image.depth();
    picture.image = image.convertToFormat(QImage::Format_RGB32);
    picture.bitsPerPixel = depth;
    return !picture.isNull();
}

bool writeScratch(const QString& scratchPath, const QByteArray& bytes, QString* why)
{
    // Written over and then cut to length rather than emptied first: file
    // systems flush a file emptied and rewritten when it is closed, which
    // the user would wait for.
    int error = 0;
    if (!bytes.isEmpty() && file_write::overwrite(scratchPath, bytes, &error))
        return true;
    fail(why, file_write::failure(QStringLiteral("scratch picture"), scratchPath, error));
    return false;
}

bool fitAndNormalise(ToolkitBitmap& picture, const QString& scratchPath, QString* why)
{
    if (picture.isNull() || tooSmall(picture.image.size())) {
        fail(why, QStringLiteral("There is no picture to make a puzzle of."));
        return false;
    }
    const QSize fitted = fittedSize(picture.image.size());
    if (fitted != picture.image.size() && !imaging::resize(picture, fitted.width(), fitted.height())) {
        fail(why, QStringLiteral("Cannot bring the picture to %1 x %2 pixels.").arg(fitted.width()).arg(fitted.height()));
        return false;
    }
    if (!writeScratch(scratchPath, imaging::encode(picture, imaging::kFormatJpeg, 100), why))
        return false;
    imaging::release(picture);
    if (!imaging::load(scratchPath, picture, 0)) {
        fail(why, QStringLiteral("Cannot read back the scratch picture \"%1\".").arg(scratchPath));
        return false;
    }
    return true;
}

bool loadAndFit(const QString& path, const QString& scratchPath, ToolkitBitmap& picture, QString* why)
{
    ToolkitBitmap loaded;
    if (!loadPicture(path, loaded, why) || !fitAndNormalise(loaded, scratchPath, why))
        return false;
    picture = std::move(loaded);
    return true;
}

} // namespace picture_fit
