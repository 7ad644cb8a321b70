// What the user waits for when a puzzle is made: PrepareLevel (resize, cut,
// outlines, shading) and WritePuzzle (two JPEG encodes through the scratch
// file, the puzzle file, thumbnail, library entry), for a 640 x 480 picture
// at hard (130 pieces) and at the custom level's finest grid (300 pieces);
// and loading and fitting a 48-megapixel camera photo.

#include "library_file.h"
#include "maker_ui.h"
#include "picture_fit.h"
#include "puzzle_file.h"
#include "puzzle_maker.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <vector>

namespace {

double ms(qint64 ns) { return double(ns) / 1e6; }

// Processor time of this process: on a machine shared with busy neighbours
// it tells our own work from waiting for the processor and the disk.
double cpuMs()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

QImage photoLike(int w, int h, QImage::Format format = QImage::Format_RGB32)
{
    // Smooth gradients with detail, so the JPEGs are as large as a photo's.
    QImage img(w, h, format);
    for (int y = 0; y < h; ++y) {
        uchar* line = img.scanLine(y);
        const int step = img.depth() / 8;
        for (int x = 0; x < w; ++x) {
            uchar* p = line + x * step;
            const int r = (x * 255 / w + (x * y) % 17) & 0xFF, g = (y * 255 / h + (x ^ y) % 23) & 0xFF,
                      b = ((x + y) * 3 + x * x % 31) & 0xFF;
            if (step == 4)
                *reinterpret_cast<QRgb*>(p) = qRgb(r, g, b);
            else
                p[0] = uchar(r), p[1] = uchar(g), p[2] = uchar(b);
        }
    }
    return img;
}

// Notes the time at the progress bar's milestones: after the resize (40),
// after cutting (40 + n), after the outlines (40 + 2n), at the end.
class StopwatchUi : public MakerUi {
public:
    int customRows = 15;
    QElapsedTimer clock;
    std::vector<qint64> marks;
    int position = 0, pieces = 0;

    bool chooseCustomLevel(int, int, int& rows, int& columns, int& cell) override
    {
        rows = customRows;
        cell = 480 / rows;
        columns = 640 / cell;
        return true;
    }
    bool confirmOverwrite() override { return true; }
    void progressStart(int range) override
    {
        pieces = (range - 40) / 7;
        position = 0;
        marks.assign(1, clock.nsecsElapsed());
    }
    void progressAdvance(int by) override
    {
        position += by;
        if (position == 40 || position == 40 + pieces || position == 40 + 2 * pieces)
            marks.push_back(clock.nsecsElapsed());
    }
    void progressEnd() override { marks.push_back(clock.nsecsElapsed()); }
};

struct Row {
    double resize = 0, cut = 0, outlines = 0, shading = 0, prepare = 0;
    double write = 0, whole = 0, cpu = 0;
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void makeRuns(const char* title, int level, int rows, const QTemporaryDir& dir)
{
    SuiteFolders folders = SuiteFolders::fromProgramPath(dir.filePath("Bin/Vorlin"));
    QDir().mkpath(folders.program);
    QDir().mkpath(folders.data);
    ToolkitBitmap picture;
    picture.image = photoLike(640, 480);
    picture.bitsPerPixel = 24;

    constexpr int kRuns = 15;
    std::vector<Row> runs;
    int pieceCount = 0;
    for (int i = 0; i < kRuns; ++i) {
        // A new maker each time: its pictures and pieces are allocated cold.
        PuzzleMaker maker(folders);
        maker.workingImage = picture;
        maker.workingImage.image.detach();
        StopwatchUi ui;
        ui.customRows = rows;
        const double cpu0 = cpuMs();
        ui.clock.start();
        maker.PrepareLevel(level, ui);
        const qint64 prepared = ui.clock.nsecsElapsed();
        maker.WritePuzzle(QStringLiteral("Bench"), ui);
        const qint64 written = ui.clock.nsecsElapsed();
        const double cpu = cpuMs() - cpu0;
        pieceCount = int(maker.pieces.size());
        Row r;
        r.resize = ms(ui.marks[1] - ui.marks[0]);
        r.cut = ms(ui.marks[2] - ui.marks[1]);
        r.outlines = ms(ui.marks[3] - ui.marks[2]);
        r.shading = ms(ui.marks[4] - ui.marks[3]);
        r.prepare = ms(prepared);
        r.write = ms(written - prepared);
        r.whole = ms(written);
        r.cpu = cpu;
        runs.push_back(r);
    }
    auto col = [&](double Row::*f, bool first) {
        if (first)
            return runs.front().*f;
        std::vector<double> v;
        for (size_t i = 1; i < runs.size(); ++i)
            v.push_back(runs[i].*f);
        return median(v);
    };
    std::printf("%-30s %6d | %7s %7s %8s %7s | %7s | %7s | %7s | %7s\n", title, pieceCount, "resize", "cut",
                "outlines", "shading", "prepare", "write", "total", "cpu");
    for (const bool first : {true, false})
        std::printf("  %-35s | %7.2f %7.2f %8.2f %7.2f | %7.2f | %7.2f | %7.2f | %7.2f\n",
                    first ? "first run (cold)" : "median of later runs", col(&Row::resize, first),
                    col(&Row::cut, first), col(&Row::outlines, first), col(&Row::shading, first),
                    col(&Row::prepare, first), col(&Row::write, first), col(&Row::whole, first),
                    col(&Row::cpu, first));
}

// The parts of WritePuzzle, each on its own, for the 300-piece puzzle.
void writeParts(const QTemporaryDir& dir)
{
    SuiteFolders folders = SuiteFolders::fromProgramPath(dir.filePath("Parts/Bin/Vorlin"));
    QDir().mkpath(folders.program);
    QDir().mkpath(folders.data);
    PuzzleMaker maker(folders);
    maker.workingImage.image = photoLike(640, 480);
    StopwatchUi ui;
    ui.clock.start();
    maker.PrepareLevel(PuzzleMaker::Custom, ui);
    imaging::resize(maker.workingImage, maker.puzzleImage.width(), maker.puzzleImage.height());

    constexpr int kRuns = 15;
    std::vector<double> jpeg, puz, thumb, lib;
    PuzzleFileData data;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        data.picture = imaging::encode(maker.puzzleImage, imaging::kFormatJpeg, 50);
        QFile f(folders.scratchPicture());
        f.open(QIODevice::ReadWrite);
        f.write(data.picture);
        f.resize(data.picture.size());
        f.close();
        jpeg.push_back(ms(t.nsecsElapsed()));

        data.guide = data.picture;
        data.columns = maker.columns;
        data.rows = maker.rows;
        data.cellSize = maker.pieceSize;
        data.pieces.clear();
        for (const auto& p : maker.pieces)
            data.pieces.push_back(p->record());
        t.restart();
        puzzle_file::writeFile(folders.data + "Bench.puz", data);
        puz.push_back(ms(t.nsecsElapsed()));

        t.restart();
        maker.WriteThumbnail(folders.data + "Bench.bmp");
        thumb.push_back(ms(t.nsecsElapsed()));

        t.restart();
        LibraryFile l(folders.libraryFile);
        l.WriteLibraryEntry("Bench", l.FindLibraryEntry("Bench"), maker.columns, maker.rows);
        lib.push_back(ms(t.nsecsElapsed()));
    }
    std::printf("WritePuzzle parts, 300 pieces (median ms): one JPEG encode through the scratch file %.2f,"
                " puzzle file %.2f, thumbnail %.2f, library entry %.2f\n",
                median(jpeg), median(puz), median(thumb), median(lib));
}

// What --make does before the level: the user's 640 x 480 JPEG read,
// passed through the scratch JPEG at quality 100 and decoded again.
void loadParts(const QTemporaryDir& dir)
{
    SuiteFolders folders = SuiteFolders::fromProgramPath(dir.filePath("Load/Bin/Vorlin"));
    QDir().mkpath(folders.program);
    const QString path = dir.filePath("photo.jpg");
    {
        QImageWriter w(path, "jpeg");
        w.setQuality(85);
        w.write(photoLike(640, 480));
    }
    constexpr int kRuns = 15;
    std::vector<double> decode, fit;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        ToolkitBitmap pic;
        picture_fit::loadPicture(path, pic);
        decode.push_back(ms(t.nsecsElapsed()));
        t.restart();
        picture_fit::fitAndNormalise(pic, folders.scratchPicture());
        fit.push_back(ms(t.nsecsElapsed()));
    }
    std::printf("LoadFromPath parts, 640 x 480 JPEG (median ms): decode %.2f, through the scratch JPEG"
                " (encode, write, decode) %.2f\n",
                median(decode), median(fit));
}

void cameraPhoto(const QTemporaryDir& dir)
{
    const QString path = dir.filePath("camera.jpg");
    {
        QImageWriter w(path, "jpeg");
        w.setQuality(85);
        w.write(photoLike(8000, 6000, QImage::Format_RGB888));
    }
    const QString scratch = dir.filePath("Nuvark_Puzzle.JPG");
    std::vector<double> load, fit;
    QSize size;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        ToolkitBitmap pic;
        picture_fit::loadPicture(path, pic);
        load.push_back(ms(t.nsecsElapsed()));
        t.restart();
        picture_fit::fitAndNormalise(pic, scratch);
        fit.push_back(ms(t.nsecsElapsed()));
        size = pic.image.size();
    }
    std::printf("\n%-44s | %9s %9s %9s\n", "48-megapixel JPEG (8000 x 6000), ms", "decode", "scratch", "total");
    std::printf("  %-42s | %9.1f %9.1f %9.1f\n", "first run", load[0], fit[0], load[0] + fit[0]);
    load.erase(load.begin());
    fit.erase(fit.begin());
    std::printf("  %-42s | %9.1f %9.1f %9.1f   -> %d x %d\n", "median of later runs", median(load),
                median(fit), median(load) + median(fit), size.width(), size.height());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    std::printf("Making a puzzle from a 640 x 480 picture, ms (target: under 40 for 300 pieces)\n\n");
    makeRuns("hard, 13 x 10 of 48", PuzzleMaker::Hard, 0, dir);
    makeRuns("custom 15 rows, 20 x 15 of 32", PuzzleMaker::Custom, 15, dir);
    std::printf("\n");
    writeParts(dir);
    loadParts(dir);
    cameraPhoto(dir);
    return 0;
}
