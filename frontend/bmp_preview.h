#pragma once
// What the picture file dialog shows about the selected file, without any
// widget: the four information lines, where the preview goes in its box, and
// a preview decoded no larger than the box from a file of any size.

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

namespace bmppreview {

// A picture file as the dialog describes it.
struct PictureInfo {
    bool ok = false;
    // As the user will get it: EXIF orientation applied.
    QSize size;
    // The file's own depth: a BMP's stored bit count, 24 for a colour JPEG.
    int bitsPerPixel = 0;
    qint64 fileBytes = 0;
    // At most the size asked for, never larger than the picture itself.
    QImage preview;
};

QString widthText(int width);
QString heightText(int height);
// Empty for depths that have no text (32 bits among them).
QString colorText(int bitsPerPixel);
QString sizeText(qint64 fileBytes);
// Width, height, colours, size; four empty lines when the file did not load.
QStringList infoLines(const PictureInfo& info);

// Where a picture of that size is drawn in the box: a wide picture spans the
// box's width and is centred vertically, any other spans its height and is
// centred horizontally. Empty for an empty picture.
QRect previewRect(const QRect& box, const QSize& picture);

// What a BMP file's headers say, read from its first bytes.
struct BmpHeader {
    bool valid = false;
    int width = 0;
    int height = 0; // negative for top-down rows
    int bitCount = 0;
    // The bytes an uncompressed file must hold; 0 when compressed (not knowable).
    qint64 requiredBytes = 0;
};
BmpHeader readBmpHeader(const QByteArray& head);

// Reads the file's header and decodes only as much as a preview of at most
// maxPreview pixels needs. Regular files only; a file that cannot be read,
// a BMP shorter than its headers promise and a picture larger than the
// imaging layer accepts all give ok == false.
PictureInfo readPicture(const QString& path, const QSize& maxPreview);

} // namespace bmppreview
