#include "bitmaps.h"

#include "imaging.h"

#include <QHash>

QImage playerBitmap(int id)
{
    static QHash<int, QImage> cache;
    auto it = cache.find(id);
    if (it == cache.end())
        it = cache.insert(id, imaging::rawResource(QStringLiteral(":/player/%1.raw").arg(id)));
    return *it;
}
