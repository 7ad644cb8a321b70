// How long opening a 640 x 480 puzzle takes, and where the time goes:
// decoding both pictures, the three turns, outlines, images and the deal.

#include "crt_random.h"
#include "imaging.h"
#include "piece.h"
#include "piece_list.h"
#include "puzzle_file.h"
#include "tile_mender_doc.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

QImage photoLike(int w, int h)
{
    // Smooth gradients with detail, so the JPEG is as large as a real photo's.
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 255 / w + (x * y) % 17) & 0xFF, (y * 255 / h + (x ^ y) % 23) & 0xFF,
                                    ((x + y) * 3 + x * x % 31) & 0xFF));
    return img;
}

PuzzleFileData makePuzzle(int columns, int rows, int cell)
{
    PuzzleFileData d;
    d.columns = columns;
    d.rows = rows;
    d.cellSize = cell;
    QByteArray jpeg;
    QBuffer b(&jpeg);
    b.open(QIODevice::WriteOnly);
    photoLike(columns * cell, rows * cell).save(&b, "jpeg", 100);
    d.picture = d.guide = jpeg;
    std::vector<std::unique_ptr<CPiece>> owned;
    std::vector<CPiece*> made;
    crt::srand(1);
    for (int i = 0; i < columns * rows; ++i) {
        owned.push_back(std::make_unique<CPiece>());
        ChooseEdges(*owned.back(), columns, rows, i % columns, i / columns, made, cell);
        made.push_back(owned.back().get());
    }
    for (CPiece* p : made)
        d.pieces.push_back(p->record());
    return d;
}

struct Parts {
    double parse = 0, decode = 0, turns = 0, outlines = 0, images = 0, deal = 0, whole = 0;
};

double ms(QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

Parts measureOnce(const QByteArray& file)
{
    Parts p;
    QElapsedTimer t;
    t.start();
    PuzzleFileData d;
    puzzle_file::read(file, d);
    p.parse = ms(t);

    t.restart();
    ToolkitBitmap pics[4], guide;
    imaging::loadFromData(d.picture, pics[0], 24);
    imaging::loadFromData(d.guide, guide, 24);
    p.decode = ms(t);

    t.restart();
    for (int r = 1; r < 4; ++r) {
        imaging::copy(pics[r], pics[0]);
        imaging::turn(pics[r], 90 * r);
    }
    p.turns = ms(t);

    TurnedPictures turned;
    for (int r = 0; r < 4; ++r)
        turned.byRotation[r] = &pics[r];

    t.restart();
    PieceList list;
    for (int i = 0; i < int(d.pieces.size()); ++i) {
        auto piece = std::make_unique<CPiece>();
        piece->setRecord(d.pieces[size_t(i)]);
        piece->rotation = crt::rand() % 4;
        piece->buildOutline(d.cellSize, i % d.columns, i / d.columns);
        list.append(std::move(piece));
    }
    p.outlines = ms(t);

    t.restart();
    for (const auto& piece : list)
        piece->buildImage(turned, d.cellSize, d.columns, d.rows);
    p.images = ms(t);

    t.restart();
    PieceList box;
    for (int k = list.size(); k >= 1; --k)
        box.append(list.take(crt::rand() % k));
    p.deal = ms(t);

    PlayerState state;
    CTileMenderDoc doc(state);
    t.restart();
    doc.openData(file, QStringLiteral("bench.puz"));
    p.whole = ms(t);
    return p;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    struct Case {
        int columns, rows, cell;
    };
    std::printf("Opening a puzzle (median of 25 runs, milliseconds)\n\n");
    std::printf("| puzzle | pieces | parse | decode both | 3 turns | outlines | images | deal | whole open | outline+image per piece |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|\n");
    for (Case c : {Case{13, 10, 48}, Case{20, 15, 32}}) {
        const QByteArray file = [&] {
            QByteArray out;
            QBuffer b(&out);
            b.open(QIODevice::WriteOnly);
            puzzle_file::write(&b, makePuzzle(c.columns, c.rows, c.cell));
            return out;
        }();
        std::vector<Parts> runs;
        for (int i = 0; i < 25; ++i)
            runs.push_back(measureOnce(file));
        auto median = [&](double Parts::*f) {
            std::vector<double> v;
            for (const Parts& p : runs)
                v.push_back(p.*f);
            std::nth_element(v.begin(), v.begin() + long(v.size() / 2), v.end());
            return v[v.size() / 2];
        };
        const int n = c.columns * c.rows;
        std::printf("| %d x %d of %d | %d | %.2f | %.2f | %.2f | %.2f | %.2f | %.3f | %.2f | %.1f us |\n",
                    c.columns, c.rows, c.cell, n, median(&Parts::parse), median(&Parts::decode),
                    median(&Parts::turns), median(&Parts::outlines), median(&Parts::images),
                    median(&Parts::deal), median(&Parts::whole),
                    (median(&Parts::outlines) + median(&Parts::images)) * 1000.0 / n);
    }
    return 0;
}
