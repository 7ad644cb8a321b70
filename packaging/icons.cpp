// deb_icons OUTDIR: the programs' icons drawn at each size of the desktop's
// icon theme, so a small icon is drawn for its size and not shrunk from a
// large one. Writes OUTDIR/hicolor/NxN/{apps,mimetypes}/NAME.png; a puzzle
// file shows the player's icon.
#include "art.h"

#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>

#include <cstdio>

namespace {

struct Icon {
    const char* folder;
    const char* name;
    QImage (*draw)(int size);
};

const Icon kIcons[] = {
    {"apps", "puzzle-suite-vorlin", art::vorlinIcon},
    {"apps", "puzzle-suite-tilemender", art::tileMenderIcon},
    {"mimetypes", "application-x-snappit-puzzle", art::tileMenderIcon},
};

const int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256, 512};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: deb_icons OUTDIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (const int size : kSizes)
        for (const Icon& icon : kIcons) {
            const QString folder = QStringLiteral("hicolor/%1x%1/%2").arg(size).arg(QLatin1String(icon.folder));
            const QString path = out.filePath(folder + QLatin1Char('/') + QLatin1String(icon.name) + ".png");
            QImageWriter writer(path, "png");
            if (!out.mkpath(folder) || !writer.write(icon.draw(size).convertToFormat(QImage::Format_ARGB32))) {
                std::fprintf(stderr, "deb_icons: cannot write %s: %s\n", qPrintable(path),
                             qPrintable(writer.errorString()));
                return 1;
            }
        }
    return 0;
}
