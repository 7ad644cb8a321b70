#pragma once
// One puzzle of the load window's list: its library record, its thumbnail
// and where its two texts sit inside a slot.

#include "library_file.h"

#include <QImage>
#include <QPoint>

class QFontMetrics;

class CPuzzleEntry {
public:
    // Thumbnails are made 100 pixels on their long side; a picture far past
    // a slot is no thumbnail of ours and is not decoded.
    static constexpr QSize kMaxThumbnail{1024, 1024};

    explicit CPuzzleEntry(LibraryRecord record) : record_(std::move(record)) {}

    const QString& name() const { return record_.name; }
    const QString& sizeText() const { return record_.sizeText; }
    const LibraryRecord& record() const { return record_; }
    const QImage& thumbnail() const { return thumbnail_; }
    QPoint namePos() const { return namePos_; }
    QPoint sizePos() const { return sizePos_; }

    // Reads the thumbnail in whatever case its file is spelt; false when it
    // is missing or unreadable (the entry is then shown without a picture).
    bool loadThumbnail(const QString& dataFolder);
    // Centres both texts in a slot for this font.
    void place(const QFontMetrics& metrics);
    void rename(const QString& name, const QString& dataFolder, const QFontMetrics& metrics);

private:
    LibraryRecord record_;
    QImage thumbnail_;
    QPoint namePos_;
    QPoint sizePos_;
};
