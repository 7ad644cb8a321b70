// artgen OUTDIR: draws the player's bitmaps and side files and synthesises
// its sounds. The build runs it and embeds or copies what it writes.
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

} // namespace

int main(int argc, char **argv)
{
    // Drawing needs no screen; the build machine may have none.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: artgen OUTDIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("player"))) {
        std::fprintf(stderr, "artgen: cannot create %s/player\n", argv[1]);
        return 1;
    }

    bool ok = true;
    const QImage bg = art::background();
    for (const art::Bitmap &b : art::playerBitmaps(bg))
        ok &= writeImage(out.filePath(QStringLiteral("player/%1.png").arg(b.id)),
                         b.image.convertToFormat(QImage::Format_RGB32), "png");
    ok &= writeFile(out.filePath(QStringLiteral("player/134.wav")), art::joinSound());

    ok &= writeImage(out.filePath(QStringLiteral("TileMenderBk.JPG")), bg, "jpeg", 92);
    // BMP is written by Qt at 24 bits for an opaque RGB888 image.
    ok &= writeImage(out.filePath(QStringLiteral("finish.bmp")),
                     art::finishPicture().convertToFormat(QImage::Format_RGB888), "bmp");
    ok &= writeFile(out.filePath(QStringLiteral("app.wav")), art::fanfareSound());
    ok &= writeImage(out.filePath(QStringLiteral("Sample.jpg")), art::samplePicture(), "jpeg", 92);
    return ok ? 0 : 1;
}
