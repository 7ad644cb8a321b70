// artgen OUTDIR [player|frontend]: draws the bitmaps and side files of the
// player or of the front end (both when no part is named) and synthesises
// the player's sounds. The build runs it and embeds or copies what it writes.
#include "art.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>

#include <cstdio>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "artgen: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool writeImage(const QString &path, const QImage &img, const char *format, int quality = -1)
{
    QImageWriter w(path, format);
    if (quality >= 0) w.setQuality(quality);
    if (!w.write(img)) {
        std::fprintf(stderr, "artgen: cannot write %s: %s\n", qPrintable(path), qPrintable(w.errorString()));
        return false;
    }
    return true;
}

// A bitmap's embedded copy, for the player and the front end alike: width,
// height and QImage format (32 bits each, little-endian), then the rows;
// RGB32, or ARGB32 where an icon keeps its transparent corners. The programs
// copy it into an image without a decoder: no image plugin is looked up and
// nothing is inflated before their first paint.
QByteArray rawImage(const QImage &img)
{
    const QImage::Format f = img.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    const QImage c = img.convertToFormat(f);
    QByteArray out;
    const auto put = [&out](quint32 v) {
        for (int i = 0; i < 4; ++i)
            out.append(char((v >> (8 * i)) & 0xff));
    };
    put(quint32(c.width()));
    put(quint32(c.height()));
    put(quint32(f));
    for (int y = 0; y < c.height(); ++y)
        out.append(reinterpret_cast<const char *>(c.constScanLine(y)), c.width() * 4);
    return out;
}

bool writePlayer(const QDir &out)
{
    if (!out.mkpath(QStringLiteral("player"))) {
        std::fprintf(stderr, "artgen: cannot create %s/player\n", qPrintable(out.path()));
        return false;
    }
    bool ok = true;
    const QImage bg = art::background();
    for (const art::Bitmap &b : art::playerBitmaps(bg))
    {
        ok &= writeImage(out.filePath(QStringLiteral("player/%1.png").arg(b.id)),
                         b.image.convertToFormat(QImage::Format_RGB32), "png");
        ok &= writeFile(out.filePath(QStringLiteral("player/%1.raw").arg(b.id)),
                        rawImage(b.image.convertToFormat(QImage::Format_RGB32)));
    }
    ok &= writeFile(out.filePath(QStringLiteral("player/134.wav")), art::joinSound());

    ok &= writeImage(out.filePath(QStringLiteral("TileMenderBk.JPG")), bg, "jpeg", 92);
    // BMP is written by Qt at 24 bits for an opaque RGB888 image.
    ok &= writeImage(out.filePath(QStringLiteral("finish.bmp")),
                     art::finishPicture().convertToFormat(QImage::Format_RGB888), "bmp");
    ok &= writeFile(out.filePath(QStringLiteral("app.wav")), art::fanfareSound());
    ok &= writeImage(out.filePath(QStringLiteral("Sample.jpg")), art::samplePicture(), "jpeg", 92);
    // The desktop launcher's icon; the player has no bitmap for it.
    ok &= writeImage(out.filePath(QStringLiteral("TileMender.png")), art::tileMenderIcon(256), "png");
    return ok;
}

bool writeFrontend(const QDir &out)
{
    if (!out.mkpath(QStringLiteral("frontend"))) {
        std::fprintf(stderr, "artgen: cannot create %s/frontend\n", qPrintable(out.path()));
        return false;
    }
    bool ok = true;
    std::vector<art::NamedBitmap> all = art::frontendBitmaps();
    for (art::NamedBitmap &b : art::keyboardBitmaps()) all.push_back(std::move(b));
    for (const art::NamedBitmap &b : all) {
        // Icons keep their transparent corners; the rest is opaque.
        const QImage img = b.image.hasAlphaChannel() ? b.image.convertToFormat(QImage::Format_ARGB32)
                                                     : b.image.convertToFormat(QImage::Format_RGB32);
        ok &= writeImage(out.filePath(QStringLiteral("frontend/%1.png").arg(b.name)), img, "png");
        ok &= writeFile(out.filePath(QStringLiteral("frontend/%1.raw").arg(b.name)), rawImage(img));
    }
    ok &= writeImage(out.filePath(QStringLiteral("Vorlin.png")), art::vorlinIcon(256), "png");
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    // Drawing needs no screen; the build machine may have none.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString part = argc == 3 ? QString::fromLocal8Bit(argv[2]) : QString();
    if (argc < 2 || argc > 3 || (argc == 3 && part != QLatin1String("player") && part != QLatin1String("frontend"))) {
        std::fprintf(stderr, "usage: artgen OUTDIR [player|frontend]\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    bool ok = true;
    if (part.isEmpty() || part == QLatin1String("player")) ok &= writePlayer(out);
    if (part.isEmpty() || part == QLatin1String("frontend")) ok &= writeFrontend(out);
    return ok ? 0 : 1;
}
