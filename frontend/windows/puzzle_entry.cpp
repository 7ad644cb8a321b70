#include "puzzle_entry.h"

#include "imaging.h"
#include "load_model.h"

#include <QFontMetrics>

bool CPuzzleEntry::loadThumbnail(const QString& dataFolder)
{
    thumbnail_ = QImage();
    if (record_.name.isEmpty())
        return false;
    const QString path = load_model::existingSpelling(dataFolder, record_.name + QStringLiteral(".bmp"));
    ToolkitBitmap bmp;
    if (!imaging::load(path, bmp, 0, kMaxThumbnail))
        return false;
    thumbnail_ = bmp.image;
    return true;
}

void CPuzzleEntry::place(const QFontMetrics& metrics)
{
    using namespace load_model;
    namePos_ = QPoint((kSlotWidth - metrics.horizontalAdvance(record_.name)) / 2, kNameTop);
    sizePos_ = QPoint((kSlotWidth - metrics.horizontalAdvance(record_.sizeText)) / 2, kSizeBottom - metrics.height());
}

void CPuzzleEntry::rename(const QString& name, const QString& dataFolder, const QFontMetrics& metrics)
{
    record_.name = name;
    record_.thumbnailPath = dataFolder + name + QStringLiteral(".bmp");
    place(metrics);
}
