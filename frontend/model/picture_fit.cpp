#include "picture_fit.h"

#include "byte_stream.h"
#include "file_read.h"
#include "file_write.h"
#include "picture_check.h"

#include <QBuffer>
#include <QFile>
#include <QImageIOPlugin>
#include <QImageReader>
#include <QLibraryInfo>
#include <QPluginLoader>
#include <QSemaphore>
#include <QThreadPool>
#include <QVariant>

#include <memory>
#include <utility>

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

QString cannotRead(const QString& path, const QString& reason)
{
    return QStringLiteral("Cannot read the picture \"%1\": %2.").arg(path, reason);
}

QString tooSmallText(const QString& path)
{
    return QStringLiteral("The picture \"%1\" is too small to make a puzzle of.").arg(path);
}

// Lets a decoder that cannot scale while decoding hold a full picture up to
// the toolkit's pixel limit (Qt's own default is half of it), for the one
// read it is needed for. The front end reads one picture at a time.
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

// The reader of a picture's bytes, after the checks of picture_check. A
// JPEG (all our scratch pictures, most users' photos) goes straight to the
// JPEG decoder: asking the content for its format would load and ask every
// image plugin before it, for a picture whose first bytes already say what
// it is. Everything else is recognised by its content.
bool openReader(const QByteArray& bytes, QBuffer& buffer, QImageReader& reader, QString* why, bool scaledDecode)
{
    if (!bytes.startsWith("\xFF\xD8"))
        return picture_check::openChecked(bytes, buffer, reader, why, scaledDecode);
    if (const QString text = picture_check::whyRefused(bytes, scaledDecode); !text.isEmpty()) {
        fail(why, text);
        return false;
    }
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly)) {
        fail(why, QStringLiteral("it cannot be opened"));
        return false;
    }
    reader.setDevice(&buffer);
    reader.setFormat("jpeg");
    // Only the plugin of that format, not each one asked in turn.
    reader.setAutoDetectImageFormat(false);
    return true;
}

// The scratch JPEG decoded as the toolkit loads a file of its own depth.
bool decodeScratchWith(QImageReader& reader, ToolkitBitmap& picture)
{
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > imaging::kMaxPixels)
        return false;
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return false;
    const int depth = image.depth() == 32 && !image.hasAlphaChannel() ? 24 : image.depth();
    picture.image = image.convertToFormat(QImage::Format_RGB32);
    picture.bitsPerPixel = depth;
    return !picture.isNull();
}

// From the bytes just made rather than read back from the disk.
bool decodeScratch(const QByteArray& bytes, ToolkitBitmap& picture)
{
    QBuffer buffer;
    QImageReader reader;
    return openReader(bytes, buffer, reader, nullptr, false) && decodeScratchWith(reader, picture);
}

// The JPEG plugin of the toolkit's own plugin folder; null when it is not
// there (then the general writer finds one, or says why not).
QImageIOPlugin* jpegPlugin()
{
    static QImageIOPlugin* const plugin = [] {
        QPluginLoader loader(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/imageformats/libqjpeg.so"));
        auto* p = qobject_cast<QImageIOPlugin*>(loader.instance());
        return p && (p->capabilities(nullptr, "jpeg") & QImageIOPlugin::CanWrite) ? p : nullptr;
    }();
    return plugin;
}

} // namespace

void loadJpegWriter()
{
    jpegPlugin();
}

bool jpegWrite(const ToolkitBitmap& picture, int quality, QIODevice* device)
{
    QImageIOPlugin* plugin = jpegPlugin();
    const std::unique_ptr<QImageIOHandler> handler(plugin && !picture.isNull() ? plugin->create(device, "jpeg")
                                                                                : nullptr);
    if (!handler) {
        const QByteArray bytes = imaging::encode(picture, imaging::kFormatJpeg, quality);
        return !bytes.isEmpty() && device->write(bytes) == bytes.size();
    }
    // The options the toolkit's writer hands every handler, at its defaults
    // but the quality; the pixels go as encode gives them (32-bit RGB as it
    // is, anything else as 24-bit).
    const std::pair<QImageIOHandler::ImageOption, QVariant> options[] = {
        {QImageIOHandler::Quality, quality > 0 ? quality : 75},
        {QImageIOHandler::CompressionRatio, -1},
        {QImageIOHandler::Gamma, 0.0f},
        {QImageIOHandler::OptimizedWrite, false},
        {QImageIOHandler::ProgressiveScanWrite, false},
        {QImageIOHandler::ImageTransformation, int(QImageIOHandler::TransformationNone)},
    };
    for (const auto& [option, value] : options)
        if (handler->supportsOption(option))
            handler->setOption(option, value);
    const bool direct = picture.image.format() == QImage::Format_RGB32;
    return handler->write(direct ? picture.image : picture.image.convertToFormat(QImage::Format_RGB888));
}

QByteArray jpegBytes(const ToolkitBitmap& picture, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return jpegWrite(picture, quality, &buffer) ? bytes : QByteArray();
}

bool throughScratchJpeg(ToolkitBitmap& picture, QByteArray& bytes)
{
    bytes.clear();
    loadJpegWriter();
    auto stream = std::make_shared<ByteStream>();
    const ToolkitBitmap source = picture;
    bool written = false;
    QSemaphore done;
    // On a pool thread, where the toolkit converts in line.
    const bool started = QThreadPool::globalInstance()->tryStart([&] {
        {
            ByteStreamWriter writer(stream);
            written = jpegWrite(source, 100, &writer);
        }
        done.release();
    });
    if (!started) {
        bytes = jpegBytes(picture, 100);
        imaging::release(picture);
        return !bytes.isEmpty() && decodeScratch(bytes, picture);
    }
    // The bytes are our encoder's, made this moment: they need none of the
    // checks a file from outside gets before its decode.
    ToolkitBitmap back;
    bool decoded = false;
    {
        ByteStreamReader device(stream);
        QImageReader reader;
        reader.setDevice(&device);
        reader.setFormat("jpeg");
        reader.setAutoDetectImageFormat(false);
        decoded = decodeScratchWith(reader, back);
    }
    done.acquire();
    if (written)
        bytes = stream->take();
    picture = decoded && written ? std::move(back) : ToolkitBitmap();
    return !picture.isNull();
}

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
    // The whole file first, through the reader that takes regular files only
    // (a fifo or a device would block or never end), so that its structure
    // is checked before a decoder trusts any length in it.
    QByteArray bytes;
    QString readError;
    switch (file_read::readWhole(path, imaging::kMaxFileBytes, bytes, &readError)) {
    case file_read::Result::Ok:
        break;
    case file_read::Result::Missing:
        fail(why, QStringLiteral("The picture \"%1\" does not exist.").arg(path));
        return false;
    case file_read::Result::NotRegular:
        fail(why, QStringLiteral("\"%1\" is not a picture file.").arg(path));
        return false;
    case file_read::Result::TooLarge:
        fail(why, cannotRead(path, QStringLiteral("the file is larger than any picture we read (%1 MB)")
                                       .arg(imaging::kMaxFileBytes >> 20)));
        return false;
    case file_read::Result::Failed:
        fail(why, cannotRead(path, readError));
        return false;
    }

    QBuffer buffer;
    QImageReader reader;
    QString reason;
    if (!openReader(bytes, buffer, reader, &reason, true)) {
        fail(why, cannotRead(path, reason));
        return false;
    }
    // Phones store a portrait photo lying on its side with a note to turn it.
    reader.setAutoTransform(true);

    const QSize stored = reader.size();
    bool scaling = false;
    if (stored.isValid()) {
        // The fitted size comes from the picture as it is shown, upright; the
        // decoder scales the picture as it is stored, before turning it. A
        // picture that fits into a single row or column is refused before
        // it costs a decode.
        const bool sideways = reader.transformation() & QImageIOHandler::TransformationRotate90;
        const QSize upright = sideways ? stored.transposed() : stored;
        const QSize fitted = fittedSize(upright);
        if (tooSmall(upright) || tooSmall(fitted)) {
            fail(why, tooSmallText(path));
            return false;
        }
        if (fitted != upright) {
            reader.setScaledSize(sideways ? fitted.transposed() : fitted);
            scaling = true;
        }
    }

    QImage image;
    {
        const bool decoderScales = reader.supportsOption(QImageIOHandler::ScaledSize);
        AllocationLimit limit(scaling && !decoderScales ? int(imaging::kMaxPixels * 4 / (1024 * 1024)) : 0);
        if (!reader.read(&image) || image.isNull()) {
            fail(why, cannotRead(path, reader.errorString()));
            return false;
        }
    }
    // A format that did not tell its size beforehand is held to the same bounds now.
    if (!stored.isValid()) {
        if (const QString text = picture_check::whySizeRefused(image.size(), bytes.size(), false); !text.isEmpty()) {
            fail(why, cannotRead(path, text));
            return false;
        }
    }
    if (tooSmall(image.size()) || tooSmall(fittedSize(image.size()))) {
        fail(why, tooSmallText(path));
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
    if (picture.isNull()) {
        fail(why, QStringLiteral("There is no picture to make a puzzle of."));
        return false;
    }
    // Fitting a long strip (20 x 55 295) leaves a single column: checked on
    // the size it is brought to, not only on the size it came in.
    const QSize fitted = fittedSize(picture.image.size());
    if (tooSmall(picture.image.size()) || tooSmall(fitted)) {
        fail(why, QStringLiteral("The picture is too small to make a puzzle of."));
        return false;
    }
    if (fitted != picture.image.size() && !imaging::resize(picture, fitted.width(), fitted.height())) {
        fail(why, QStringLiteral("Cannot bring the picture to %1 x %2 pixels.").arg(fitted.width()).arg(fitted.height()));
        return false;
    }
    ToolkitBitmap normalised = std::move(picture);
    QByteArray scratch;
    const bool decoded = throughScratchJpeg(normalised, scratch);
    if (!writeScratch(scratchPath, scratch, why))
        return false;
    if (!decoded) {
        fail(why, QStringLiteral("Cannot read back the scratch picture \"%1\".").arg(scratchPath));
        return false;
    }
    picture = std::move(normalised);
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
