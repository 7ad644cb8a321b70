#include "bitmaps.h"

#include <QHash>

QImage playerBitmap(int id)
{
    static QHash<int, QImage> cache;
    auto it = cache.find(id);
    if (it == cache.end())
        it = cache.insert(id, QImage(QStringLiteral(":/player/%1.png").arg(id)).convertToFormat(QImage::Format_RGB32));
    return *it;
}
