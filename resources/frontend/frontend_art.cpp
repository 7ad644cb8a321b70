#include "frontend_art.h"

#include <QResource>
#include <QtCore/qglobal.h>

#include <cstring>

void initFrontendArt()
{
#ifdef FRONTEND_ART_EMBEDDED
    Q_INIT_RESOURCE(frontend_art);
    Q_INIT_RESOURCE(frontend_art_raw);
#endif
}

namespace {

quint32 little32(const uchar* p) { return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24; }

// The raw copy (width, height, format, rows): copied, not decoded, so the
// main menu's 800 x 600 picture costs a copy instead of a PNG decode at every
// start. Null when it is missing or not what it says it is.
QImage rawBitmap(const QString& name)
{
    const QResource r(QStringLiteral(":/frontend/") + name + QStringLiteral(".raw"));
    if (!r.isValid() || r.compressionAlgorithm() != QResource::NoCompression || r.size() < 12)
        return {};
    const uchar* d = r.data();
    const quint32 w = little32(d), h = little32(d + 4), f = little32(d + 8);
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32)
        return {};
    if (w == 0 || h == 0 || w > 4096 || h > 4096 || qint64(r.size()) != 12 + qint64(w) * h * 4)
        return {};
    QImage img(static_cast<int>(w), static_cast<int>(h), static_cast<QImage::Format>(f));
    if (img.isNull())
        return {};
    for (int y = 0; y < int(h); ++y)
        std::memcpy(img.scanLine(y), d + 12 + qint64(y) * w * 4, size_t(w) * 4);
    return img;
}

} // namespace

QImage frontendBitmap(const QString& name)
{
    QImage raw = rawBitmap(name);
    return raw.isNull() ? QImage(QStringLiteral(":/frontend/") + name + QStringLiteral(".png")) : raw;
}
