// What hostile files cost the player: each is made small (or as large as the
// bounds let it be), handed to the reader that meets it in play, and timed
// with the peak memory it added. Every case runs in a fresh process (this
// program started again with --case N), so one case's memory is not another's.
// With --write FOLDER it writes the hostile pictures, and puzzles carrying
// them, for trying with the real programs under /usr/bin/time -v.

#include "box_index.h"
#include "command_ids.h"
#include "main_frame.h"
#include "tile_mender_app.h"
#include "crt_random.h"
#include "imaging.h"
#include "profile.h"
#include "puzzle_file.h"
#include "saved_game.h"
#include "thumbnail_command.h"
#include "tile_mender_doc.h"
#include "tray_number_pool.h"

#include "../../tests/support/hostile_pictures.h"
#include "../../tests/support/test_files.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

long statusKb(const char* field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    f.open(QIODevice::ReadOnly);
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    return 0;
}

void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

QByteArray words(std::initializer_list<int32_t> values)
{
    QByteArray out;
    for (int32_t v : values)
        for (int i = 0; i < 4; ++i)
            out.append(char(uint32_t(v) >> (8 * i)));
    return out;
}

QByteArray savedGameHead() { return QByteArray("SA02") + words({0, 0, 0, 1, 0, 0, 0}); }

QByteArray trayRecord(int number, int pieces)
{
    QByteArray t = words({number, 44, 0, 1, 0, 0, 0, 0, 0, 0, 200, 200, pieces});
    for (int i = 0; i < pieces; ++i)
        t += words({i % 100, i / 100, 0, 10, 10, 0});
    return t;
}

QString openResult(CTileMenderDoc::OpenResult r)
{
    switch (r) {
    case CTileMenderDoc::OpenResult::Opened: return QStringLiteral("opened");
    case CTileMenderDoc::OpenResult::NotAPuzzle: return QStringLiteral("not a puzzle");
    default: return QStringLiteral("refused");
    }
}

QString readResult(saved_game::ReadResult r, const QString& why)
{
    return r == saved_game::ReadResult::Ok ? QStringLiteral("read") : QStringLiteral("refused: ") + why;
}

struct HostilePicture {
    QString file;
    std::string name;
    QByteArray bytes;
};

// The pictures the issue names, and ones declaring side x side pixels: 5000
// for the front end, which takes any size it can fit; 2048 for the player,
// the largest it takes.
std::vector<HostilePicture> hostilePictures(int side)
{
    const QString n = QString::number(side);
    const std::string s = n.toStdString() + " x " + n.toStdString();
    return {
        {"text_chunk_2gb.png", "PNG of 277 bytes whose text chunk declares 2 GB", hostile::pngWithTextChunk()},
        {"strip.gif", "GIF of 53 bytes with a 20 x 55295 canvas", hostile::gifCanvas(20, 55295)},
        {"idat_past_end_" + n + ".png", "PNG of " + s + " whose IDAT runs past the end", hostile::pngIdatPastEnd(side, side)},
        {"starved_" + n + ".png", "PNG of " + s + " with 4 KB of image data", hostile::pngStarved(side, side)},
        {"canvas_" + n + ".gif", "GIF of 53 bytes with a " + s + " canvas", hostile::gifCanvas(side, side)},
        {"headers_" + n + ".bmp", "BMP of 54 bytes declaring " + s, hostile::bmpHeadersOnly(side, side)},
        {"claims_" + n + ".jpg", "JPEG of 600 bytes declaring " + s, hostile::jpegClaiming(side, side)},
    };
}

// A small puzzle whose picture is the hostile file.
QByteArray puzzleCarrying(const QByteArray& picture)
{
    crt::srand(1);
    PuzzleFileData d = testfiles::makePuzzle(4, 3, 48);
    d.picture = picture;
    return testfiles::puzzleBytes(d);
}

// The pictures as the front end meets them, and puzzles carrying the
// player's set, for trying the real programs on.
int writeFiles(const QString& folder)
{
    std::vector<std::pair<QString, QByteArray>> files;
    for (const HostilePicture& h : hostilePictures(5000))
        files.emplace_back(h.file, h.bytes);
    for (const HostilePicture& h : hostilePictures(puzzle_file::kMaxPictureSide))
        files.emplace_back(h.file + QStringLiteral(".puz"), puzzleCarrying(h.bytes));
    for (const auto& [name, bytes] : files) {
        QFile f(folder + QLatin1Char('/') + name);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
            return 1;
        }
        std::printf("%s\t%lld bytes\n", qPrintable(f.fileName()), qint64(bytes.size()));
    }
    return 0;
}

struct Case {
    std::string name;
    // Makes the file (untimed), then returns the timed work.
    std::function<std::function<QString()>(QTemporaryDir&)> prepare;
};

std::vector<Case> cases()
{
    static PlayerState state;
    static CTileMenderDoc doc(state);
    std::vector<Case> out;

    out.push_back({"puzzle of 8 x 8 cells of 2048 px, far knobs (4 KB)", [](QTemporaryDir&) {
        PuzzleFileData d = testfiles::makePuzzle(2, 2, 8);
        d.columns = d.rows = 8;
        d.cellSize = 2048;
        PieceRecord far{2048, 2048, 1, 1, 1, 1, 0, -2048, 0, 2048, -2048, 0, 2048, 0};
        d.pieces.assign(64, far);
        const QByteArray bytes = testfiles::puzzleBytes(d);
        return std::function<QString()>([bytes] { return openResult(doc.openData(bytes, "huge.puz")); });
    }});
    out.push_back({"puzzle of 1 cell of 2048 px, farthest knobs taken, 2048 x 2048 pictures", [](QTemporaryDir&) {
        const QByteArray bytes = testfiles::puzzleBytes(testfiles::largestPuzzle());
        return std::function<QString()>([bytes] { return openResult(doc.openData(bytes, "big.puz")); });
    }});
    out.push_back({"puzzle of 100 x 100 cells of 20 px (10 000 pieces): open", [](QTemporaryDir&) {
        crt::srand(1);
        const QByteArray bytes = testfiles::puzzleBytes(testfiles::makePuzzle(100, 100, 20));
        return std::function<QString()>([bytes] { return openResult(doc.openData(bytes, "many.puz")); });
    }});
    out.push_back({"the same puzzle: Restart", [](QTemporaryDir&) {
        crt::srand(1);
        doc.openData(testfiles::puzzleBytes(testfiles::makePuzzle(100, 100, 20)), "many.puz");
        return std::function<QString()>([] {
            doc.Restart(nullptr);
            return QStringLiteral("dealt again");
        });
    }});
    out.push_back({"puzzle of 300 000 one-pixel cells", [](QTemporaryDir&) {
        PuzzleFileData d;
        d.columns = 600;
        d.rows = 500;
        d.cellSize = 1;
        d.picture = d.guide = testfiles::encode(testfiles::patternImage(600, 500), "jpeg");
        d.pieces.assign(300000, PieceRecord{0, 0});
        const QByteArray bytes = testfiles::puzzleBytes(d);
        return std::function<QString()>([bytes] { return openResult(doc.openData(bytes, "dust.puz")); });
    }});
    out.push_back({"puzzle whose guide is a JPEG of 20 000 empty scans", [](QTemporaryDir&) {
        PuzzleFileData d = testfiles::makePuzzle(20, 15, 32);
        d.guide = testfiles::manyScanJpeg(640, 480, 20000);
        const QByteArray bytes = testfiles::puzzleBytes(d);
        return std::function<QString()>([bytes] { return openResult(doc.openData(bytes, "scans.puz")); });
    }});
    for (const HostilePicture& h : hostilePictures(puzzle_file::kMaxPictureSide)) {
        out.push_back({"puzzle whose picture is a " + h.name, [bytes = h.bytes](QTemporaryDir&) {
            const QByteArray puzzle = puzzleCarrying(bytes);
            return std::function<QString()>([puzzle] { return openResult(doc.openData(puzzle, "picture.puz")); });
        }});
    }
    out.push_back({"puzzle file that is a named pipe", [](QTemporaryDir& dir) {
        const QString fifo = dir.filePath("pipe.puz");
        ::mkfifo(QFile::encodeName(fifo).constData(), 0600);
        return std::function<QString()>([fifo] { return openResult(doc.open(fifo)); });
    }});
    out.push_back({"puzzle file that is /dev/zero", [](QTemporaryDir&) {
        return std::function<QString()>([] { return openResult(doc.open("/dev/zero")); });
    }});
    out.push_back({"saved game of 40 000 trays (2 MB)", [](QTemporaryDir&) {
        QByteArray bytes = savedGameHead() + words({40000});
        for (int i = 0; i < 40000; ++i)
            bytes += trayRecord(i, 0);
        bytes += words({0, 0, 0, 0, 0});
        return std::function<QString()>([bytes] {
            saved_game::SavedGame g;
            QString why;
            return readResult(saved_game::read(bytes, g, &why, 300), why);
        });
    }});
    out.push_back({"saved game of a million records of absent pieces (16 MB)", [](QTemporaryDir&) {
        QByteArray bytes = savedGameHead() + words({0, 0, 0, 1000000});
        bytes.reserve(bytes.size() + 16 * 1000000 + 8);
        for (int i = 0; i < 1000000; ++i)
            bytes += words({5000 + i, 7, 0, 0});
        bytes += words({0, 0});
        return std::function<QString()>([bytes] {
            saved_game::SavedGame g;
            QString why;
            return readResult(saved_game::read(bytes, g, &why, 300), why);
        });
    }});
    out.push_back({"largest saved game taken: 256 trays and board and box each naming all 10 000 pieces (62 MB): read and put back by index", [](QTemporaryDir&) {
        QByteArray bytes = savedGameHead() + words({CTrayNumberPool::kMaxTrays});
        for (int i = 0; i < CTrayNumberPool::kMaxTrays; ++i)
            bytes += trayRecord(i, 10000);
        bytes += words({10000});
        for (int i = 0; i < 10000; ++i)
            bytes += words({i % 100, i / 100, 0, 10, 10, 0});
        bytes += words({CTrayNumberPool::kMaxTableEntries});
        for (int i = 0; i < CTrayNumberPool::kMaxTableEntries; ++i)
            bytes += words({i < CTrayNumberPool::kMaxTrays ? 1 : 0});
        bytes += words({10000});
        for (int i = 9999; i >= 0; --i)
            bytes += words({i % 100, i / 100, 0, 0});
        bytes += words({0, 0});
        return std::function<QString()>([bytes] {
            saved_game::SavedGame g;
            QString why;
            if (saved_game::read(bytes, g, &why, 10000) != saved_game::ReadResult::Ok)
                return readResult(saved_game::ReadResult::Damaged, why);
            PieceList box;
            for (int i = 0; i < 10000; ++i) {
                box.append(std::make_unique<CPiece>());
                box.at(i)->column = i % 100;
                box.at(i)->row = i / 100;
            }
            BoxIndex index(box, 100, 100);
            int found = 0;
            for (const auto& t : g.trays)
                for (const auto& e : t.pieces)
                    found += index.take(e.column, e.row) != nullptr;
            for (const auto& e : g.board)
                found += index.take(e.column, e.row) != nullptr;
            for (const auto& e : g.box)
                found += index.take(e.column, e.row) != nullptr;
            return QStringLiteral("read, %1 pieces placed").arg(found);
        });
    }});
    out.push_back({"saved game of the 10 000-piece puzzle, every piece on the board, loaded by the player twice (the second clears the first)", [](QTemporaryDir& dir) {
        crt::srand(1);
        const QString path = dir.filePath("Many.puz");
        puzzle_file::writeFile(path, testfiles::makePuzzle(100, 100, 20));
        QByteArray bytes = savedGameHead() + words({0, 10000});
        for (int i = 0; i < 10000; ++i)
            bytes += words({i % 100, i / 100, 0, 5 * (i % 100), 5 * (i / 100), 0});
        bytes += words({20}) + QByteArray(80, '\0') + words({0, 0, 0});
        QFile f(CTileMenderDoc::savedGamePath(path));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        f.close();
        static CTileMenderApp app;
        app.InitInstance({path});
        return std::function<QString()>([] {
            app.mainFrame()->OnCommand(cmd::kLoadGame);
            app.mainFrame()->OnCommand(cmd::kLoadGame);
            return QStringLiteral("loaded, %1 pieces in the box").arg(app.document()->boxList().size());
        });
    }});
    // The file manager's preview, as TileMender --thumbnail makes it at 256.
    auto thumbnailOf = [](QTemporaryDir& dir, const QByteArray& bytes) {
        const QString puzzle = dir.filePath("thumb.puz");
        QFile f(puzzle);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        f.close();
        return std::function<QString()>([puzzle, png = dir.filePath("thumb.png")] {
            QString why;
            if (!thumbnail_command::write(puzzle, png, 256, &why))
                return QStringLiteral("refused: %1").arg(why.mid(why.indexOf(QLatin1String(": ")) + 2));
            const QImage img(png);
            return QStringLiteral("PNG of %1 x %2, %3 bytes").arg(img.width()).arg(img.height()).arg(QFileInfo(png).size());
        });
    };
    out.push_back({"thumbnail of a puzzle of 20 x 15 cells (300 pieces, 640 x 480 JPEG)", [thumbnailOf](QTemporaryDir& dir) {
        crt::srand(1);
        return thumbnailOf(dir, testfiles::puzzleBytes(testfiles::makePuzzle(20, 15, 32)));
    }});
    out.push_back({"thumbnail of the largest puzzle taken (2048 x 2048 pictures)", [thumbnailOf](QTemporaryDir& dir) {
        return thumbnailOf(dir, testfiles::puzzleBytes(testfiles::largestPuzzle()));
    }});
    for (const HostilePicture& h : hostilePictures(puzzle_file::kMaxPictureSide)) {
        out.push_back({"thumbnail of a puzzle whose picture is a " + h.name, [thumbnailOf, bytes = h.bytes](QTemporaryDir& dir) {
            return thumbnailOf(dir, puzzleCarrying(bytes));
        }});
    }
    out.push_back({"thumbnail of a puzzle of 96 MB whose picture declares 4 GB", [thumbnailOf](QTemporaryDir& dir) {
        QByteArray bytes = QByteArray("PU") + words({4, 3, 48, -1});
        bytes.resize(puzzle_file::kMaxFileBytes, 'x');
        return thumbnailOf(dir, bytes);
    }});
    out.push_back({"settings file over 16 MB (sparse): read a key, write a key", [](QTemporaryDir& dir) {
        const QString path = dir.filePath("TileMender.ini");
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("[Recent File List]\r\nFile1=/a.puz\r\n");
        f.resize(16 * 1024 * 1024 + 1);
        f.close();
        return std::function<QString()>([path] {
            const QString v = profile::readString(path, "Recent File List", "File1", "none");
            const bool written = profile::writeString(path, "Recent File List", "File1", "/b.puz");
            return QStringLiteral("read \"%1\", %2, %3 bytes after")
                .arg(v, written ? "written" : "not written")
                .arg(QFileInfo(path).size());
        });
    }});
    out.push_back({"settings file of 16 MB (LF lines): read a key, write a key", [](QTemporaryDir& dir) {
        const QString path = dir.filePath("TileMender.ini");
        QByteArray text = "[Recent File List]\nFile1=/a.puz\n[Filler]\n";
        while (text.size() < 16 * 1024 * 1024 - 64)
            text += "k" + QByteArray::number(text.size()) + "=\xff\xfe not UTF-8 filler\n";
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(text);
        f.close();
        return std::function<QString()>([path, size = text.size()] {
            const QString v = profile::readString(path, "Recent File List", "File1");
            profile::writeString(path, "Recent File List", "File1", "/b.puz");
            return QStringLiteral("read \"%1\", %2 -> %3 bytes").arg(v).arg(size).arg(QFileInfo(path).size());
        });
    }});
    return out;
}

int runCase(int n)
{
    QTemporaryDir dir;
    const auto all = cases();
    const auto work = all[size_t(n)].prepare(dir);
    resetPeak();
    const long base = statusKb("VmRSS:");
    QElapsedTimer t;
    t.start();
    const QString outcome = work();
    const double ms = double(t.nsecsElapsed()) / 1e6;
    const long peak = statusKb("VmHWM:") - base;
    std::printf("%.2f\t%ld\t%s\n", ms, peak, outcome.toUtf8().constData());
    std::fflush(stdout);
    // The cases keep their objects for the process's life; none needs tearing down.
    std::_Exit(0);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--case")
        return runCase(QByteArray(argv[2]).toInt());
    if (argc == 3 && QByteArray(argv[1]) == "--write")
        return writeFiles(QFile::decodeName(argv[2]));

    std::printf("Hostile files: time of the reader that meets them and the peak memory it adds\n"
                "(one fresh process per case; one run each)\n\n");
    std::printf("| file | outcome | time (ms) | peak memory added (MB) |\n|---|---|---|---|\n");
    const auto all = cases();
    for (int i = 0; i < int(all.size()); ++i) {
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--case"), QString::number(i)});
        p.waitForFinished(-1);
        const QList<QByteArray> v = p.readAllStandardOutput().trimmed().split('\t');
        if (v.size() != 3) {
            std::printf("| %s | crashed or failed (exit %d) | | |\n", all[size_t(i)].name.c_str(), p.exitCode());
            continue;
        }
        std::printf("| %s | %s | %.2f | %.1f |\n", all[size_t(i)].name.c_str(), v[2].constData(), v[0].toDouble(),
                    v[1].toDouble() / 1024.0);
        std::fflush(stdout);
    }
    return 0;
}
