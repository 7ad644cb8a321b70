// How long opening a 640 x 480 puzzle takes, and where the time goes:
// decoding both pictures, outlines, images (cut from the unturned picture)
// and the deal; the parts run one after another here, while the open makes
// the outlines and decodes the guide on a second core.
// The whole open is measured as the user waits for it: the first open in a
// fresh process, reading the file included, with no memory to reuse; each
// run is its own process, started by this one with --once.
// Each puzzle is opened for a screen of scale 1 and of scale 2 (a 2560 x 1600
// screen), where pieces are cut in four times the pixels. The whole open cuts
// what the player's does, the pieces its column shows; "all images" is every
// piece cut, as a game comes to in the end.

#include "crt_random.h"
#include "imaging.h"
#include "piece.h"
#include "piece_list.h"
#include "puzzle_file.h"
#include "strip_geometry.h"
#include "tile_mender_doc.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <ctime>
#include <sys/resource.h>

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
    double parse = 0, decode = 0, outlines = 0, images = 0, deal = 0, whole = 0;
    double imageMegabytes = 0;
};

// One cold open in this fresh process: wall and CPU milliseconds, page faults.
int openOnce(const QString& path, int scale)
{
    {
        // The player has decoded its background picture before it opens a
        // puzzle, so the JPEG decoder is loaded already when the user waits.
        ToolkitBitmap b;
        QByteArray tiny;
        QBuffer buf(&tiny);
        buf.open(QIODevice::WriteOnly);
        QImage(8, 8, QImage::Format_RGB32).save(&buf, "jpeg");
        imaging::loadFromData(tiny, b, 24);
    }
    PlayerState state;
    CTileMenderDoc doc(state);
    doc.setDevicePixelRatio(scale);
    doc.setPiecesShownAtOnce(&strip_geometry::visibleRows);
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    timespec c0{}, c1{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &c0);
    QElapsedTimer t;
    t.start();
    const auto result = doc.open(path);
    const double wall = double(t.nsecsElapsed()) / 1e6;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &c1);
    getrusage(RUSAGE_SELF, &after);
    const double cpu = double(c1.tv_sec - c0.tv_sec) * 1e3 + double(c1.tv_nsec - c0.tv_nsec) / 1e6;
    std::printf("%.3f %.3f %ld\n", wall, cpu, after.ru_minflt - before.ru_minflt);
    return result == CTileMenderDoc::OpenResult::Opened ? 0 : 1;
}

struct Cold {
    double wall = 0, cpu = 0, faults = 0;
};

Cold coldOpens(const QString& program, const QString& path, int scale, int runs)
{
    std::vector<double> wall, cpu, faults;
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        p.start(program, {QStringLiteral("--once"), path, QString::number(scale)});
        p.waitForFinished(-1);
        const QList<QByteArray> v = p.readAllStandardOutput().trimmed().split(' ');
        if (p.exitCode() != 0 || v.size() != 3)
            continue;
        wall.push_back(v[0].toDouble());
        cpu.push_back(v[1].toDouble());
        faults.push_back(v[2].toDouble());
    }
    auto median = [](std::vector<double> v) {
        if (v.empty())
            return 0.0;
        std::nth_element(v.begin(), v.begin() + long(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    return {median(wall), median(cpu), median(faults)};
}

double ms(QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

Parts measureOnce(const QByteArray& file, int scale)
{
    Parts p;
    QElapsedTimer t;
    t.start();
    PuzzleFileData d;
    puzzle_file::read(file, d);
    p.parse = ms(t);

    t.restart();
    ToolkitBitmap picture, guide;
    imaging::loadFromData(d.picture, picture, 24);
    imaging::loadFromData(d.guide, guide, 24);
    p.decode = ms(t);

    TurnedPictures turned;
    turned.byRotation[0] = &picture;

    t.restart();
    PieceList list;
    for (int i = 0; i < int(d.pieces.size()); ++i) {
        auto piece = std::make_unique<CPiece>();
        piece->setRecord(d.pieces[size_t(i)]);
        piece->rotation = crt::rand() % 4;
        piece->buildOutline(d.cellSize, i % d.columns, i / d.columns, scale);
        list.append(std::move(piece));
    }
    p.outlines = ms(t);

    t.restart();
    for (const auto& piece : list)
        piece->buildImage(turned, d.cellSize, d.columns, d.rows);
    p.images = ms(t);
    for (const auto& piece : list)
        p.imageMegabytes += double(piece->image().sizeInBytes()) / (1024.0 * 1024.0);

    t.restart();
    PieceList box;
    for (int k = list.size(); k >= 1; --k)
        box.append(list.take(crt::rand() % k));
    p.deal = ms(t);

    PlayerState state;
    CTileMenderDoc doc(state);
    doc.setDevicePixelRatio(scale);
    doc.setPiecesShownAtOnce(&strip_geometry::visibleRows);
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
    if (argc == 4 && QByteArray(argv[1]) == "--once")
        return openOnce(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    struct Case {
        int columns, rows, cell;
    };
    QTemporaryDir dir;
    std::printf("Opening a puzzle (milliseconds). Parts: median of 25 runs in one process.\n"
                "Whole open: median of 15 fresh processes, each timing its first open of the file\n"
                "(reading it, fresh allocations, the document and all its pieces; the JPEG decoder\n"
                "loaded, as the player's background picture loads it at start-up); the CPU time\n"
                "of both cores and the page faults of that open beside it. Load average now: %s\n\n",
                [] {
                    QFile f(QStringLiteral("/proc/loadavg"));
                    f.open(QIODevice::ReadOnly);
                    return f.readAll().left(14).trimmed();
                }().constData());
    std::printf("| puzzle | pieces | scale | parse | decode both | outlines | all images | deal | sum of parts | whole open, warm | whole open, cold | its CPU | its page faults | piece images, MB |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (int scale : {1, 2})
    for (Case c : {Case{13, 10, 48}, Case{20, 15, 32}}) {
        const QByteArray file = [&] {
            QByteArray out;
            QBuffer b(&out);
            b.open(QIODevice::WriteOnly);
            puzzle_file::write(&b, makePuzzle(c.columns, c.rows, c.cell));
            return out;
        }();
        const QString path = dir.filePath(QStringLiteral("bench%1.puz").arg(c.columns));
        {
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            f.write(file);
        }
        const Cold cold = coldOpens(QCoreApplication::applicationFilePath(), path, scale, 15);
        std::vector<Parts> runs;
        for (int i = 0; i < 25; ++i)
            runs.push_back(measureOnce(file, scale));
        auto median = [&](double Parts::*f) {
            std::vector<double> v;
            for (const Parts& p : runs)
                v.push_back(p.*f);
            std::nth_element(v.begin(), v.begin() + long(v.size() / 2), v.end());
            return v[v.size() / 2];
        };
        const int n = c.columns * c.rows;
        const double sum = median(&Parts::parse) + median(&Parts::decode) + median(&Parts::outlines)
            + median(&Parts::images) + median(&Parts::deal);
        std::printf("| %d x %d of %d | %d | %d | %.2f | %.2f | %.2f | %.2f | %.3f | %.2f | %.2f | %.2f | %.2f | %.0f | %.1f |\n",
                    c.columns, c.rows, c.cell, n, scale, median(&Parts::parse), median(&Parts::decode),
                    median(&Parts::outlines), median(&Parts::images),
                    median(&Parts::deal), sum, median(&Parts::whole), cold.wall, cold.cpu, cold.faults,
                    runs.front().imageMegabytes);
    }
    return 0;
}
