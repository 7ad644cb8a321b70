#include "bitmaps.h"

#include <QHash>
#include <QResource>

#include <cstring>

namespace {

quint32 little32(const uchar* p) { return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24; }

// The raw copy the build embeds (width, height, format, then RGB32 rows, the
// layout artgen writes for both programs): copied, not decoded, so the first
// paint waits for no image plugin and no inflate. Null when it is missing or
// not what it says it is.
QImage rawBitmap(int id)
{
    const QResource r(QStringLiteral(":/player/%1.raw").arg(id));
    if (!r.isValid() || r.compressionAlgorithm() != QResource::NoCompression || r.size() < 12)
        return {};
    const auto* d = r.data();
    const quint32 w = little32(d), h = little32(d + 4), f = little32(d + 8);
    if (f != QImage::Format_RGB32 || w == 0 || h == 0 || w > 4096 || h > 4096
        || qint64(r.size()) != 12 + qint64(w) * h * 4)
        return {};
    QImage img(int(w), int(h), QImage::Format_RGB32);
    if (img.isNull())
        return {};
    for (int y = 0; y < int(h); ++y)
        std::memcpy(img.scanLine(y), d + 12 + qint64(y) * w * 4, size_t(w) * 4);
    return img;
}

} // namespace

QImage playerBitmap(int id)
{
    static QHash<int, QImage> cache;
    auto it = cache.find(id);
    if (it == cache.end())
        it = cache.insert(id, rawBitmap(id));
    return *it;
}
