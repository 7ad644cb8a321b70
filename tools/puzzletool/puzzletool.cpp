// A developer's tool for puzzle files.
//   puzzletool make PICTURE CELL OUT.puz [--fixed]   cut a picture into a puzzle
//   puzzletool inspect FILE.puz                      print what a puzzle holds
// The build uses `make` for the sample puzzle that ships in Data/.

#include "imaging.h"
#include "piece.h"
#include "puzzle_file.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageWriter>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

QByteArray jpeg(const ToolkitBitmap& b, int quality)
{
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    QImageWriter w(&buf, "jpeg");
    w.setQuality(quality);
    w.write(b.image.convertToFormat(QImage::Format_RGB888));
    return out;
}

int make(const QString& picturePath, int cell, const QString& out, bool rotation)
{
    ToolkitBitmap pic;
    if (cell < 1 || !imaging::load(picturePath, pic, 24)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(picturePath));
        return 1;
    }
    PuzzleFileData d;
    d.columns = std::max(1, pic.width() / cell);
    d.rows = std::max(1, pic.height() / cell);
    d.cellSize = cell;
    imaging::resize(pic, d.columns * cell, d.rows * cell);
    d.picture = jpeg(pic, 100);
    d.guide = d.picture;
    d.rotationAllowed = rotation ? 1 : 0;

    std::vector<std::unique_ptr<CPiece>> owned;
    std::vector<CPiece*> made;
    for (int i = 0; i < d.columns * d.rows; ++i) {
        owned.push_back(std::make_unique<CPiece>());
        ChooseEdges(*owned.back(), d.columns, d.rows, i % d.columns, i / d.columns, made, cell);
        made.push_back(owned.back().get());
    }
    for (const CPiece* p : made)
        d.pieces.push_back(p->record());
    if (!puzzle_file::writeFile(out, d)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}

int inspect(const QString& path)
{
    PuzzleFileData d;
    QString why;
    const auto r = puzzle_file::readFile(path, d, &why);
    if (r != puzzle_file::ReadResult::Ok) {
        std::printf("%s: not readable (%s)\n", qPrintable(path), qPrintable(why));
        return 1;
    }
    ToolkitBitmap pic, guide;
    const bool picOk = imaging::loadFromData(d.picture, pic, 24);
    const bool guideOk = imaging::loadFromData(d.guide, guide, 24);
    std::printf("%s\n  grid %d x %d, cell %d, rotation %s\n", qPrintable(path), d.columns, d.rows,
                d.cellSize, d.rotationAllowed ? "allowed" : "off");
    std::printf("  picture %lld bytes, %s %d x %d\n", qint64(d.picture.size()), picOk ? "decodes to" : "does not decode",
                pic.width(), pic.height());
    std::printf("  guide   %lld bytes, %s %d x %d\n", qint64(d.guide.size()), guideOk ? "decodes to" : "does not decode",
                guide.width(), guide.height());
    std::printf("  piece   kinds(t r b l)  dx/dy top     right    bottom   left\n");
    for (size_t i = 0; i < d.pieces.size() && i < 400; ++i) {
        const PieceRecord& p = d.pieces[i];
        std::printf("  %3d,%-3d %2d %2d %2d %2d    %3d/%-3d  %3d/%-3d  %3d/%-3d  %3d/%-3d\n",
                    int(i) % d.columns, int(i) / d.columns, p.topKind, p.rightKind, p.bottomKind,
                    p.leftKind, p.topDx, p.topDy, p.rightDx, p.rightDy, p.bottomDx, p.bottomDy,
                    p.leftDx, p.leftDy);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() >= 5 && a[1] == "make")
        return make(a[2], a[3].toInt(), a[4], !a.contains("--fixed"));
    if (a.size() == 3 && a[1] == "inspect")
        return inspect(a[2]);
    std::fprintf(stderr, "usage: puzzletool make PICTURE CELL OUT.puz [--fixed]\n"
                         "       puzzletool inspect FILE.puz\n");
    return 2;
}
