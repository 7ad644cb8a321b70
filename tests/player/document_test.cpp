#include "crt_random.h"
#include "hostile_pictures.h"
#include "paths.h"
#include "picture_check.h"
#include "piece_order.h"
#include "test_files.h"
#include "tile_mender_doc.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <random>
#include <set>

#include <sys/resource.h>
#include <tuple>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Fixture {
    QTemporaryDir dir;
    PlayerState state;
    CTileMenderDoc doc{state};

    QString write(const QString& name, const PuzzleFileData& d)
    {
        const QString path = dir.filePath(name);
        puzzle_file::writeFile(path, d);
        return path;
    }
};

std::vector<std::pair<int, int>> cells(const PieceList& list)
{
    std::vector<std::pair<int, int>> out;
    for (const auto& p : list)
        out.emplace_back(p->column, p->row);
    return out;
}

} // namespace

TEST(Document, AKnownSeedGivesAKnownDeal)
{
    // A small puzzle, and a large one: the order structure of the deal
    // must give the one-by-one rules' order at every size.
    for (const auto& [columns, rows, cell] : {std::tuple{4, 3, 48}, std::tuple{60, 50, 8}}) {
        Fixture f;
        crt::srand(3);
        const PuzzleFileData d = testfiles::makePuzzle(columns, rows, cell);
        const QString path = f.write("Beach.puz", d);
        const int n = columns * rows;

        // What the deal must be: one draw per piece for its rotation in file
        // order, then one draw per remaining piece to pick the next one out.
        crt::srand(4242);
        std::vector<int> rotation(static_cast<size_t>(n));
        for (int& r : rotation)
            r = crt::rand() % 4;
        std::vector<int> order(static_cast<size_t>(n)), expected;
        for (int i = 0; i < n; ++i)
            order[size_t(i)] = i;
        for (int k = n; k >= 1; --k) {
            const int at = crt::rand() % k;
            expected.push_back(order[size_t(at)]);
            order.erase(order.begin() + at);
        }
        const uint32_t after = crt::state();

        crt::srand(4242);
        ASSERT_EQ(f.doc.open(path), CTileMenderDoc::OpenResult::Opened);
        // The draws that follow go on from where the deal left off.
        EXPECT_EQ(crt::state(), after) << n;
        EXPECT_EQ(f.doc.pathName(), path);
        EXPECT_EQ(f.doc.columns(), columns);
        EXPECT_EQ(f.doc.rows(), rows);
        EXPECT_EQ(f.doc.cellSize(), cell);
        ASSERT_EQ(f.doc.boxList().size(), n);
        for (int i = 0; i < n; ++i) {
            const CPiece* p = f.doc.boxList()[i];
            const int fileIndex = expected[size_t(i)];
            ASSERT_EQ(p->column, fileIndex % columns) << i;
            ASSERT_EQ(p->row, fileIndex / columns) << i;
            ASSERT_EQ(p->rotation, rotation[size_t(fileIndex)]) << i;
            ASSERT_EQ(p->record(), d.pieces[size_t(fileIndex)]) << i;
            if (n <= 12) {
                EXPECT_FALSE(p->outline().isEmpty());
                EXPECT_FALSE(p->image().isNull());
            }
        }
        EXPECT_EQ(f.state.rotationAllowed, 1);
    }
}

TEST(Document, MakesTheThreeTurnedPicturesAndKeepsTheGuide)
{
    Fixture f;
    const QString path = f.write("a.puz", testfiles::makePuzzle(3, 2, 48, true, true));
    ASSERT_EQ(f.doc.open(path), CTileMenderDoc::OpenResult::Opened);
    const QImage& pic = f.doc.picture().image;
    ASSERT_EQ(pic.size(), QSize(144, 96));
    EXPECT_EQ(f.doc.turnedPicture(1).image.size(), QSize(96, 144));
    EXPECT_EQ(f.doc.turnedPicture(2).image.size(), QSize(144, 96));
    EXPECT_EQ(f.doc.turnedPicture(3).image.size(), QSize(96, 144));
    // Clockwise: the picture's top-left pixel is the top-right of the first turn.
    EXPECT_EQ(f.doc.turnedPicture(1).image.pixel(95, 0), pic.pixel(0, 0));
    EXPECT_EQ(f.doc.turnedPicture(3).image.pixel(0, 143), pic.pixel(0, 0));
    EXPECT_EQ(f.doc.guidePicture().image, pic);
    // Nothing is left beside the program: the pictures are decoded from memory.
    EXPECT_FALSE(QFile::exists(paths::programFolder() + "Nuvark_Puzzle.JPG"));
}

TEST(Document, TheGuideIsDecodedWhenFirstShownAndADamagedOneOnlyGoesMissing)
{
    Fixture f;
    PuzzleFileData d = testfiles::makePuzzle(3, 2, 48);
    // Sound chunks and size, one byte of the pixel data flipped: only the
    // decoder can tell.
    QByteArray guide = testfiles::encode(testfiles::patternImage(144, 96), "png");
    const qsizetype idat = guide.indexOf("IDAT");
    ASSERT_GT(idat, 0);
    guide[idat + 8] = char(guide[idat + 8] ^ 0x55);
    d.guide = guide;
    ASSERT_EQ(f.doc.open(f.write("damaged.puz", d)), CTileMenderDoc::OpenResult::Opened);
    // The board is laid out by the declared size; the puzzle plays on without the guide.
    EXPECT_EQ(f.doc.guideSize(), QSize(144, 96));
    EXPECT_TRUE(f.doc.guidePicture().isNull());
    EXPECT_FALSE(f.doc.boxList().at(0)->image().isNull());

    // A sound one decodes on demand, and the next open lets go of the old one.
    ASSERT_EQ(f.doc.open(f.write("sound.puz", testfiles::makePuzzle(4, 3, 48))), CTileMenderDoc::OpenResult::Opened);
    EXPECT_EQ(f.doc.guideSize(), QSize(192, 144));
    EXPECT_EQ(f.doc.guidePicture().image.size(), QSize(192, 144));
}

TEST(Document, OnePieceAndNoRotation)
{
    Fixture f;
    const QString one = f.write("one.puz", testfiles::makePuzzle(1, 1, 72));
    ASSERT_EQ(f.doc.open(one), CTileMenderDoc::OpenResult::Opened);
    ASSERT_EQ(f.doc.boxList().size(), 1);
    const CPiece* p = f.doc.boxList()[0];
    EXPECT_EQ(p->topKind | p->rightKind | p->bottomKind | p->leftKind, 0);
    EXPECT_EQ(p->bounds(), QRect(0, 0, 72, 72));

    const QString fixed = f.write("fixed.puz", testfiles::makePuzzle(4, 4, 48, false));
    crt::srand(9);
    const uint32_t before = crt::state();
    ASSERT_EQ(f.doc.open(fixed), CTileMenderDoc::OpenResult::Opened);
    EXPECT_EQ(f.state.rotationAllowed, 0);
    for (const auto& piece : f.doc.boxList())
        EXPECT_EQ(piece->rotation, 0);
    // Without rotation only the deal draws: 16 calls.
    crt::srand(before);
    for (int i = 0; i < 16; ++i)
        crt::rand();
    const uint32_t afterDeal = crt::state();
    crt::srand(9);
    f.doc.open(fixed);
    EXPECT_EQ(crt::state(), afterDeal);

    f.doc.Restart(nullptr);
    for (const auto& piece : f.doc.boxList())
        EXPECT_EQ(piece->rotation, 0) << "restart keeps rotations when turning is off";
}

namespace {
struct RecordingHost : RestartHost {
    std::vector<std::string> calls;
    void resetCurrentPieceAndClock() override { calls.push_back("reset"); }
    void returnAllPiecesToBox() override { calls.push_back("return"); }
    void boxReshuffled() override { calls.push_back("reshuffled"); }
};
} // namespace

TEST(Document, RestartReshufflesTheBoxAndAsksTheWindowsToLetGo)
{
    Fixture f;
    const QString path = f.write("r.puz", testfiles::makePuzzle(5, 4, 48));
    ASSERT_EQ(f.doc.open(path), CTileMenderDoc::OpenResult::Opened);
    f.doc.finished = 1;
    const auto before = cells(f.doc.boxList());

    // The expected order: n times, the piece at rand() % n moves to the head
    // (after its rotation draw).
    crt::srand(77);
    auto expected = before;
    for (int i = 0; i < 20; ++i) {
        const int at = crt::rand() % 20;
        crt::rand();
        auto cell = expected[size_t(at)];
        expected.erase(expected.begin() + at);
        expected.insert(expected.begin(), cell);
    }

    RecordingHost host;
    crt::srand(77);
    f.doc.Restart(&host);
    EXPECT_EQ(cells(f.doc.boxList()), expected);
    EXPECT_EQ(host.calls, std::vector<std::string>({"reset", "return", "reshuffled"}));
    EXPECT_EQ(f.doc.finished, 0);
    EXPECT_EQ(f.state.modified, 1);
    for (const auto& p : f.doc.boxList()) {
        CPiece probe;
        probe.setRecord(p->record());
        probe.rotation = p->rotation;
        probe.buildOutline(48, p->column, p->row);
        EXPECT_EQ(probe.outline(), p->outline()) << "outline matches the new rotation";
    }
    auto sorted = cells(f.doc.boxList());
    std::sort(sorted.begin(), sorted.end());
    auto all = before;
    std::sort(all.begin(), all.end());
    EXPECT_EQ(sorted, all);
}

TEST(Document, RestartWithoutAFileOnlyMarksTheGameChanged)
{
    PlayerState state;
    CTileMenderDoc doc(state);
    RecordingHost host;
    doc.finished = 1;
    doc.Restart(&host);
    EXPECT_EQ(state.modified, 1);
    EXPECT_EQ(doc.finished, 1);
    EXPECT_TRUE(host.calls.empty());
}

TEST(Document, ASecondOpenReplacesTheFirstAndNewEmptiesTheBox)
{
    Fixture f;
    ASSERT_EQ(f.doc.open(f.write("a.puz", testfiles::makePuzzle(3, 3, 48))), CTileMenderDoc::OpenResult::Opened);
    ASSERT_EQ(f.doc.open(f.write("b.puz", testfiles::makePuzzle(2, 5, 72))), CTileMenderDoc::OpenResult::Opened);
    EXPECT_EQ(f.doc.boxList().size(), 10);
    EXPECT_EQ(f.doc.cellSize(), 72);
    std::set<std::pair<int, int>> seen;
    for (const auto& c : cells(f.doc.boxList()))
        EXPECT_TRUE(seen.insert(c).second);

    ASSERT_TRUE(f.doc.OnNewDocument());
    EXPECT_TRUE(f.doc.boxList().empty());
    EXPECT_EQ(f.doc.cellSize(), 1);
    EXPECT_EQ(f.doc.columns(), 0);
    EXPECT_TRUE(f.doc.picture().isNull());
    EXPECT_TRUE(f.doc.pathName().isEmpty());
}

TEST(Document, ABadFileLeavesTheGameAsItWas)
{
    Fixture f;
    const QString good = f.write("good.puz", testfiles::makePuzzle(3, 2, 48));
    ASSERT_EQ(f.doc.open(good), CTileMenderDoc::OpenResult::Opened);
    const auto before = cells(f.doc.boxList());

    QByteArray bytes = testfiles::puzzleBytes(testfiles::makePuzzle(4, 4, 48));
    QString error;
    EXPECT_EQ(f.doc.openData(bytes.left(bytes.size() - 3), f.dir.filePath("cut.puz"), &error),
              CTileMenderDoc::OpenResult::Failed);
    EXPECT_TRUE(error.contains("Unexpected file format.")) << error.toStdString();

    PuzzleFileData noPicture = testfiles::makePuzzle(4, 4, 48);
    noPicture.picture = "this is not a picture";
    EXPECT_EQ(f.doc.openData(testfiles::puzzleBytes(noPicture), "x.puz", &error),
              CTileMenderDoc::OpenResult::Failed);
    EXPECT_EQ(f.doc.open(f.dir.filePath("missing.puz"), &error), CTileMenderDoc::OpenResult::Failed);
    EXPECT_TRUE(error.contains("missing.puz"));

    // Not a puzzle at all: quietly taken, nothing changes.
    EXPECT_EQ(f.doc.openData("MZ not a puzzle", f.dir.filePath("prog.exe")),
              CTileMenderDoc::OpenResult::NotAPuzzle);

    EXPECT_EQ(cells(f.doc.boxList()), before);
    EXPECT_EQ(f.doc.columns(), 3);
    EXPECT_FALSE(f.doc.picture().isNull());
}

TEST(Document, ThousandsOfMutatedFilesNeverCrashOrHalfLoad)
{
    Fixture f;
    crt::srand(11);
    const QByteArray good = testfiles::puzzleBytes(testfiles::makePuzzle(3, 2, 32));
    std::mt19937 gen(99);
    int opened = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray b = good;
        for (int e = 0, n = 1 + int(gen() % 4); e < n; ++e) {
            const int at = int(gen() % uint32_t(b.size()));
            if (gen() % 2)
                b[at] = char(gen());
            else
                b.truncate(at);
        }
        const auto result = f.doc.openData(b, "m.puz");
        if (result == CTileMenderDoc::OpenResult::Opened) {
            ++opened;
            ASSERT_EQ(f.doc.boxList().size(), f.doc.columns() * f.doc.rows());
        }
    }
    EXPECT_GT(opened, 0);
}

TEST(Document, SavedGameIsNamedAfterThePuzzlesLongName)
{
    EXPECT_EQ(CTileMenderDoc::savedGamePath("/data/Beach.puz"), "/data/Beach0.sav");
    EXPECT_EQ(CTileMenderDoc::savedGamePath("/data/my.cat.puz"), "/data/my.cat0.sav");
    EXPECT_EQ(CTileMenderDoc::savedGamePath("/data/noext"), "/data/0.sav");
}

TEST(Document, HostilePuzzlesAreRefusedWithTheOpensMessage)
{
    Fixture f;
    const QString good = f.write("good.puz", testfiles::makePuzzle(3, 2, 48));
    ASSERT_EQ(f.doc.open(good), CTileMenderDoc::OpenResult::Opened);
    const auto before = cells(f.doc.boxList());
    QString error;

    // 4 KB asking for 8 x 8 cells of 2048 pixels.
    PuzzleFileData huge = testfiles::makePuzzle(2, 2, 8);
    huge.columns = huge.rows = 8;
    huge.cellSize = 2048;
    huge.pieces.assign(64, PieceRecord{1024, 1024});
    EXPECT_EQ(f.doc.openData(testfiles::puzzleBytes(huge), "huge.puz", &error), CTileMenderDoc::OpenResult::Failed);
    EXPECT_EQ(error, "huge.puz\nUnexpected file format.");

    // 300 000 one-pixel cells: refused from the grid, before a piece is read.
    QByteArray dust("PU");
    for (int32_t v : {600, 500, 1})
        dust.append(reinterpret_cast<const char*>(&v), 4);
    EXPECT_EQ(f.doc.openData(dust, "dust.puz", &error), CTileMenderDoc::OpenResult::Failed);
    EXPECT_EQ(error, "dust.puz\nUnexpected file format.");

    // A picture wider than any puzzle's, however few bytes it takes.
    PuzzleFileData wide = testfiles::makePuzzle(2, 1, 48);
    wide.picture = testfiles::encode(testfiles::patternImage(4096, 2), "png");
    EXPECT_EQ(f.doc.openData(testfiles::puzzleBytes(wide), "wide.puz", &error), CTileMenderDoc::OpenResult::Failed);
    EXPECT_EQ(error, "wide.puz\nThe puzzle's picture cannot be read.");

    // Twenty thousand empty scans in the guide picture.
    PuzzleFileData scans = testfiles::makePuzzle(2, 1, 48);
    scans.guide = testfiles::manyScanJpeg(96, 48, 20000);
    EXPECT_EQ(f.doc.openData(testfiles::puzzleBytes(scans), "scans.puz", &error), CTileMenderDoc::OpenResult::Failed);
    EXPECT_EQ(error, "scans.puz\nThe puzzle's picture cannot be read.");

    // A device and a named pipe under a puzzle's name.
    const QString fifo = f.dir.filePath("pipe.puz");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(f.doc.open(fifo, &error), CTileMenderDoc::OpenResult::Failed);
    EXPECT_EQ(error, "pipe.puz\nUnexpected file format.");
    EXPECT_EQ(f.doc.open("/dev/zero", &error), CTileMenderDoc::OpenResult::Failed);

    EXPECT_EQ(cells(f.doc.boxList()), before);
    EXPECT_EQ(f.doc.pathName(), good);
}

TEST(Document, APuzzleCarryingAHostilePictureIsRefusedAndTheGameStays)
{
    Fixture f;
    const QString good = f.write("good.puz", testfiles::makePuzzle(3, 2, 48));
    ASSERT_EQ(f.doc.open(good), CTileMenderDoc::OpenResult::Opened);
    const auto before = cells(f.doc.boxList());
    const QByteArray pictures[] = {
        hostile::pngWithTextChunk(),        hostile::pngIdatPastEnd(2048, 2048),
        hostile::pngStarved(2048, 2048),    hostile::gifCanvas(2000, 2000),
        hostile::bmpHeadersOnly(2048, 2048), hostile::jpegClaiming(2048, 2048),
    };
    for (const QByteArray& picture : pictures) {
        // In either picture of the file, each opened from disk as the player does.
        for (bool asGuide : {false, true}) {
            PuzzleFileData d = testfiles::makePuzzle(4, 3, 48);
            (asGuide ? d.guide : d.picture) = picture;
            // The structure check refuses it, so no decoder is handed it.
            ASSERT_FALSE(picture_check::whyRefused(picture).isEmpty());
            const QString path = f.write("Hostile.puz", d);
            QString error;
            EXPECT_EQ(f.doc.open(path, &error), CTileMenderDoc::OpenResult::Failed);
            EXPECT_EQ(error, "Hostile.puz\nThe puzzle's picture cannot be read.");
        }
    }
    EXPECT_EQ(cells(f.doc.boxList()), before);
    EXPECT_EQ(f.doc.pathName(), good);
    // The same puzzle with a sound picture opens.
    EXPECT_EQ(f.doc.open(f.write("Sound.puz", testfiles::makePuzzle(4, 3, 48))), CTileMenderDoc::OpenResult::Opened);
}

TEST(Document, TenThousandPiecesDealAndRestartInTheOrderOfTheOneByOneRules)
{
    // The quickest order structure must give exactly the list operations'
    // result: checked against them on a long mixed sequence.
    std::mt19937 gen(5);
    const int n = 700;
    PieceOrder order(n, n);
    std::vector<int> plain(n);
    for (int i = 0; i < n; ++i)
        plain[size_t(i)] = i;
    for (int step = 0; step < n; ++step) {
        const int at = int(gen() % uint32_t(plain.size()));
        ASSERT_EQ(order.at(at), plain[size_t(at)]);
        const int item = plain[size_t(at)];
        plain.erase(plain.begin() + at);
        if (step % 3 == 0) {
            order.remove(item);
        } else {
            order.moveToHead(item);
            plain.insert(plain.begin(), item);
        }
        ASSERT_EQ(order.size(), int(plain.size()));
    }
    EXPECT_EQ(order.items(), plain);
    EXPECT_EQ(order.at(order.size()), -1);
    EXPECT_EQ(order.at(-1), -1);

    // The largest puzzle we take: 100 x 100 cells of 4 pixels.
    Fixture f;
    PuzzleFileData d = testfiles::makePuzzle(100, 100, 4, true, true);
    ASSERT_EQ(f.doc.openData(testfiles::puzzleBytes(d), f.dir.filePath("big.puz")), CTileMenderDoc::OpenResult::Opened);
    ASSERT_EQ(f.doc.boxList().size(), 10000);
    f.doc.Restart(nullptr);
    std::set<std::pair<int, int>> seen;
    for (const auto& c : cells(f.doc.boxList()))
        seen.insert(c);
    EXPECT_EQ(seen.size(), 10000u);
}

TEST(Document, RunningOutOfMemoryFailsTheOpenInsteadOfCrashing)
{
    // The largest puzzle we take, one cell of 2048 pixels with the farthest
    // knobs, needs about 100 MB; in a child process allowed 60 MB more than
    // it has, the 64 MB piece image cannot be had.
    const QByteArray bytes = testfiles::puzzleBytes(testfiles::largestPuzzle());

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        long sizeKb = 0;
        QFile status("/proc/self/status");
        status.open(QIODevice::ReadOnly);
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmSize:"))
                sizeKb = line.mid(7).trimmed().split(' ').value(0).toLong();
        const rlimit limit{rlim_t(sizeKb + 60 * 1024) * 1024, rlim_t(sizeKb + 60 * 1024) * 1024};
        setrlimit(RLIMIT_AS, &limit);
        PlayerState state;
        CTileMenderDoc doc(state);
        QString error;
        const auto result = doc.openData(bytes, "big.puz", &error);
        _exit(result == CTileMenderDoc::OpenResult::Failed
                      && error == "big.puz\nThere is not enough memory to open this puzzle."
                  ? 0
                  : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child crashed";
    EXPECT_EQ(WEXITSTATUS(status), 0);

    // With memory enough, the same file opens.
    PlayerState state;
    CTileMenderDoc doc(state);
    EXPECT_EQ(doc.openData(bytes, "big.puz"), CTileMenderDoc::OpenResult::Opened);
}

TEST(Document, PiecesAreCutForTheScreensPixelsWithinABoundedMemory)
{
    EXPECT_EQ(CTileMenderDoc::pieceScaleFor(1.0, 640 * 480), 1);
    EXPECT_EQ(CTileMenderDoc::pieceScaleFor(1.25, 640 * 480), 1);
    EXPECT_EQ(CTileMenderDoc::pieceScaleFor(1.5, 640 * 480), 2) << "rounded: smoother, drawn a little smaller";
    EXPECT_EQ(CTileMenderDoc::pieceScaleFor(2.0, 1400 * 1400), 2);
    EXPECT_EQ(CTileMenderDoc::pieceScaleFor(4.0, 1400 * 1400), 2);
    EXPECT_EQ(CTileMenderDoc::pieceScaleFor(2.0, 2048 * 2048), 1)
        << "far knobs could ask for four times the picture: 268 MB at 2";
    EXPECT_EQ(CTileMenderDoc::pieceScaleFor(16.0, 640 * 480), 4);
    EXPECT_EQ(CTileMenderDoc::pieceScaleFor(0.0, 640 * 480), 1);

    Fixture f;
    const QString path = f.write("a.puz", testfiles::makePuzzle(4, 3, 48, true, true));
    f.doc.setDevicePixelRatio(2);
    ASSERT_EQ(f.doc.open(path), CTileMenderDoc::OpenResult::Opened);
    EXPECT_EQ(f.doc.pieceScale(), 2);
    for (const auto& p : f.doc.boxList()) {
        ASSERT_EQ(p->scale(), 2);
        ASSERT_EQ(p->image().size(), p->paintBounds().size() * 2);
    }
    // A turn keeps the scale the puzzle was opened at.
    CPiece* p = f.doc.boxList().at(0);
    p->rotation = (p->rotation + 1) % 4;
    f.doc.rebuildPiece(*p);
    EXPECT_EQ(p->scale(), 2);

    // The next open follows the screen as it is then.
    f.doc.setDevicePixelRatio(1);
    ASSERT_EQ(f.doc.open(path), CTileMenderDoc::OpenResult::Opened);
    EXPECT_EQ(f.doc.boxList().at(0)->scale(), 1);
    EXPECT_EQ(f.doc.boxList().at(0)->image().size(), f.doc.boxList().at(0)->bounds().size());
}

// The head of a large deal is cut in the open, the rest on first use; a piece
// cut late, or again after a turn, looks exactly as one cut in the open.
TEST(Document, PiecesPastTheHeadOfTheDealAreCutOnFirstUseAndLookTheSame)
{
    Fixture f;
    crt::srand(9);
    const QString path = f.write("Big.puz", testfiles::makePuzzle(15, 10, 32));
    PlayerState state;
    CTileMenderDoc doc(state);
    ASSERT_EQ(doc.open(path), CTileMenderDoc::OpenResult::Opened);
    const PieceList& box = doc.boxList();
    ASSERT_EQ(box.size(), 150);
    for (int i = 0; i < box.size(); ++i)
        ASSERT_EQ(box[i]->imageDeferred(), i >= CTileMenderDoc::kPiecesCutAtOpen) << i;
    {
        // Told what the column shows, the open cuts only those.
        PlayerState shownState;
        CTileMenderDoc shown(shownState);
        shown.setPiecesShownAtOnce([](int cellSize) { return cellSize == 32 ? 7 : 0; });
        ASSERT_EQ(shown.open(path), CTileMenderDoc::OpenResult::Opened);
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(shown.boxList()[i]->imageDeferred(), i >= 7) << i;
    }

    for (int i : {CTileMenderDoc::kPiecesCutAtOpen, 149}) {
        CPiece& p = *box[i];
        const QImage late = p.image(); // cut now
        EXPECT_FALSE(p.imageDeferred());
        ASSERT_FALSE(late.isNull());
        ASSERT_TRUE(p.buildImage(doc.turnedPictures(), doc.cellSize(), doc.columns(), doc.rows()));
        EXPECT_EQ(late, p.image()) << "piece " << i;

        // Turned, it is cut again on first use, as the turn would cut it.
        p.rotation = (p.rotation + 1) % 4;
        doc.rebuildPiece(p);
        EXPECT_TRUE(p.imageDeferred());
        QImage drawn(p.paintBounds().size(), QImage::Format_ARGB32_Premultiplied);
        drawn.fill(Qt::transparent);
        {
            QPainter painter(&drawn);
            p.draw(painter, -p.paintBounds().left(), -p.paintBounds().top());
        }
        EXPECT_FALSE(p.imageDeferred());
        const QImage turned = p.image();
        ASSERT_TRUE(p.buildImage(doc.turnedPictures(), doc.cellSize(), doc.columns(), doc.rows()));
        EXPECT_EQ(turned, p.image()) << "piece " << i << " turned";
    }
}
