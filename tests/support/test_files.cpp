#include "test_files.h"

#include "crt_random.h"
#include "piece.h"

#include <QBuffer>
#include <QImageWriter>

#include <memory>
#include <vector>

namespace testfiles {

QImage patternImage(int width, int height)
{
    QImage img(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            img.setPixel(x, y, qRgb((x * 7 + y * 3) & 0xFF, (x * 13 + y * 29) & 0xFF, (x ^ y) & 0xFF));
    return img;
}

QByteArray encode(const QImage& image, const char* format, int quality)
{
    QByteArray out;
    QBuffer b(&out);
    b.open(QIODevice::WriteOnly);
    image.save(&b, format, quality);
    return out;
}

PuzzleFileData makePuzzle(int columns, int rows, int a, bool rotation, bool lossless)
{
    PuzzleFileData d;
    d.columns = columns;
    d.rows = rows;
    d.cellSize = a;
    const QImage pic = patternImage(columns * a, rows * a);
    d.picture = lossless ? encode(pic, "png") : encode(pic, "jpeg");
    d.guide = d.picture;
    d.rotationAllowed = rotation ? 1 : 0;
    std::vector<std::unique_ptr<CPiece>> owned;
    std::vector<CPiece*> made;
    for (int i = 0; i < columns * rows; ++i) {
        owned.push_back(std::make_unique<CPiece>());
        ChooseEdges(*owned.back(), columns, rows, i % columns, i / columns, made, a);
        made.push_back(owned.back().get());
    }
    for (CPiece* p : made)
        d.pieces.push_back(p->record());
    return d;
}

QByteArray puzzleBytes(const PuzzleFileData& data)
{
    QByteArray out;
    QBuffer b(&out);
    b.open(QIODevice::WriteOnly);
    puzzle_file::write(&b, data);
    return out;
}

PuzzleFileData largestPuzzle()
{
    PuzzleFileData d;
    d.columns = d.rows = 1;
    d.cellSize = 2048;
    d.picture = d.guide = encode(patternImage(2048, 2048), "jpeg", 50);
    d.pieces = {PieceRecord{1024, 1024, 1, 1, 1, 1, 0, -512, 0, 512, -512, 0, 512, 0}};
    return d;
}

QByteArray manyScanJpeg(int width, int height, int extraScans)
{
    QImage grey = patternImage(width, height).convertToFormat(QImage::Format_Grayscale8);
    QByteArray out;
    QBuffer b(&out);
    b.open(QIODevice::WriteOnly);
    QImageWriter w(&b, "jpeg");
    w.setProgressiveScanWrite(true);
    w.write(grey);
    // Start of scan, length 8, one component (1, tables 0/0), spectrum 1..63, no bits.
    const QByteArray emptyScan = QByteArray::fromHex("ffda000801010001" "3f00");
    const qsizetype end = out.lastIndexOf(QByteArray::fromHex("ffd9"));
    out.insert(end, emptyScan.repeated(extraScans));
    return out;
}

} // namespace testfiles
