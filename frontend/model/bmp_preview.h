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

// Reads the file and decodes only as much as a preview of at most maxPreview
// pixels needs. Regular files only; a file that cannot be read, one whose
// structure the imaging layer refuses (a BMP shorter than its headers
// promise, a chunk running past the end, a canvas its data cannot fill) and
// a picture larger than the imaging layer accepts all give ok == false.
PictureInfo readPicture(const QString& path, const QSize& maxPreview);

} // namespace bmppreview
