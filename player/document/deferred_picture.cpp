#include "deferred_picture.h"

#include "jpeg_decode.h"
#include "picture_check.h"

#include <QBuffer>
#include <QImageReader>

bool DeferredPicture::prepare(const QByteArray& bytes, QSize maxSize)
{
    clear();
    // A JPEG (as every puzzle the suite makes carries) is read by the
    // library itself: the toolkit's reader would load its plugin for it.
    QSize declared = jpeg_decode::declaredSize(bytes);
    if (declared.isValid() && qint64(declared.width()) * declared.height() > imaging::kMaxPixels)
        return false;
    if (!declared.isValid()) {
        QBuffer buffer;
        QImageReader reader;
        if (!picture_check::openChecked(bytes, buffer, reader, nullptr))
            return false;
        declared = reader.size();
    }
    if (!declared.isValid()) {
        // Nothing to lay the board out by without the pixels.
        if (!imaging::loadFromData(bytes, decoded_, 24, maxSize))
            return false;
        decodeTried_ = true;
        size_ = decoded_.image.size();
        return true;
    }
    if (declared.width() > maxSize.width() || declared.height() > maxSize.height())
        return false;
    bytes_ = bytes; // shared, not copied
    size_ = declared;
    maxSize_ = maxSize;
    return true;
}

const ToolkitBitmap& DeferredPicture::picture() const
{
    if (!decodeTried_ && size_.isValid()) {
        decodeTried_ = true;
        // A picture that decodes to another size than it declared would not
        // fit the board laid out by the declared one.
        if (!imaging::loadFromData(bytes_, decoded_, 24, maxSize_) || decoded_.image.size() != size_)
            imaging::release(decoded_);
        bytes_.clear();
    }
    return decoded_;
}

void DeferredPicture::clear()
{
    bytes_.clear();
    size_ = QSize();
    maxSize_ = QSize();
    imaging::release(decoded_);
    decodeTried_ = false;
}
