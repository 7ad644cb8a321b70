#pragma once
// Getting a picture the way users have it into the size puzzles are made
// from: at most 640 x 480, never enlarged, and always a decoded JPEG, because
// every picture passes through the scratch JPEG file at quality 100.

#include "imaging.h"

#include <QSize>

class QIODevice;
#include <QString>

namespace picture_fit {

constexpr int kMaxWidth = 640;
constexpr int kMaxHeight = 480;

// The size a picture of `size` is brought to. The factors are single
// precision on purpose: an 800 x 600 picture becomes 639 x 480, as it always
// has, so a picture gives the same puzzle it gave before.
QSize fittedSize(QSize size);

// Reads a picture file: turned upright by its EXIF orientation, and decoded
// straight at its fitted size, so a camera photo far beyond the decoder's
// memory limit still loads. A file that is no picture, or one of a single
// pixel row or column, is refused with a sentence in `why`.
bool loadPicture(const QString& path, ToolkitBitmap& picture, QString* why = nullptr);

// The bytes imaging::encode makes of a JPEG at `quality`, written by the
// JPEG plugin alone: the toolkit's writer would load and ask every image
// plugin before it for a format it was told.
QByteArray jpegBytes(const ToolkitBitmap& picture, int quality);
// The same bytes, written to a device.
bool jpegWrite(const ToolkitBitmap& picture, int quality, QIODevice* device);
// The picture through the scratch JPEG at quality 100: `bytes` are the
// JPEG's (empty when it could not be made), and the picture becomes what they
// decode to (null, and false, when they do not). The decode starts on the
// bytes as the encoder makes them, on the other core when a thread is free.
bool throughScratchJpeg(ToolkitBitmap& picture, QByteArray& bytes);
// Loads that plugin now, in this thread: the toolkit expects its plugins to
// belong to the thread that runs the application, and complains when one
// was first loaded in a worker.
void loadJpegWriter();

// Puts bytes into the scratch file, overwriting it in place: it is scratch,
// so it needs neither a new file renamed over it nor a flush to the disk.
// On failure `why` (when given) says what is wrong, the disk being full say.
bool writeScratch(const QString& scratchPath, const QByteArray& bytes, QString* why = nullptr);

// Brings the picture to its fitted size and passes it through the scratch
// JPEG; on success `picture` is the decoded scratch file.
bool fitAndNormalise(ToolkitBitmap& picture, const QString& scratchPath, QString* why = nullptr);

// Both steps, for a picture file.
bool loadAndFit(const QString& path, const QString& scratchPath, ToolkitBitmap& picture,
                QString* why = nullptr);

} // namespace picture_fit
