#include "archive.h"
#include "crt_random.h"
#include "profile.h"
#include "puzzle_file.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <random>

#include <sys/resource.h>
#include <sys/stat.h>

using puzzle_file::ReadResult;

namespace {

// The bytes of a puzzle file built field by field from the layout table,
// independently of the writer.
QByteArray handMade(int columns, int rows, int cell, const QByteArray& pic, const QByteArray& guide,
                    int rotation, const std::vector<PieceRecord>& pieces)
{
    QByteArray out;
    auto u16 = [&](uint16_t v) { out.append(char(v & 0xFF)).append(char(v >> 8)); };
    auto i32 = [&](int32_t v) {
        for (int i = 0; i < 4; ++i)
            out.append(char((uint32_t(v) >> (8 * i)) & 0xFF));
    };
    out.append("PU");
    i32(columns);
    i32(rows);
    i32(cell);
    i32(pic.size());
    out.append(pic);
    i32(guide.size());
    out.append(guide);
    i32(rotation);
    u16(uint16_t(pieces.size()));
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (i == 0) {
            u16(0xFFFF);
            u16(0);
            u16(6);
            out.append("CPiece");
        } else {
            u16(0x8001);
        }
        const PieceRecord& r = pieces[i];
        for (int32_t v : {r.lrDiameter, r.tbDiameter, r.topKind, r.bottomKind, r.leftKind, r.rightKind,
                          r.topDx, r.topDy, r.bottomDx, r.bottomDy, r.leftDx, r.leftDy, r.rightDx, r.rightDy})
            i32(v);
    }
    return out;
}

PuzzleFileData small()
{
    crt::srand(7);
    return testfiles::makePuzzle(3, 2, 48);
}

} // namespace

TEST(PuzzleFile, WriterProducesExactlyTheDocumentedLayout)
{
    const PuzzleFileData d = small();
    const QByteArray expected = handMade(3, 2, 48, d.picture, d.guide, 1, d.pieces);
    EXPECT_EQ(testfiles::puzzleBytes(d), expected);

    PuzzleFileData back;
    ASSERT_EQ(puzzle_file::read(expected, back), ReadResult::Ok);
    EXPECT_EQ(back.columns, 3);
    EXPECT_EQ(back.rows, 2);
    EXPECT_EQ(back.cellSize, 48);
    EXPECT_EQ(back.picture, d.picture);
    EXPECT_EQ(back.guide, d.guide);
    EXPECT_EQ(back.rotationAllowed, 1);
    EXPECT_EQ(back.pieces, d.pieces);

    // Handing the reader the file's own buffer gives the same puzzle, its
    // picture cut out of that buffer.
    QByteArray own = expected;
    PuzzleFileData fromOwn;
    ASSERT_EQ(puzzle_file::read(std::move(own), fromOwn), ReadResult::Ok);
    EXPECT_EQ(fromOwn.picture, d.picture);
    EXPECT_EQ(fromOwn.guide, d.guide);
    EXPECT_EQ(fromOwn.pieces, d.pieces);
    EXPECT_TRUE(own.isEmpty());
}

TEST(PuzzleFile, RoundTripsThroughARealFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Beach.puz");
    PuzzleFileData d = small();
    d.rotationAllowed = 0;
    ASSERT_TRUE(puzzle_file::writeFile(path, d));
    PuzzleFileData back;
    ASSERT_EQ(puzzle_file::readFile(path, back), ReadResult::Ok);
    EXPECT_EQ(back.pieces, d.pieces);
    EXPECT_EQ(back.rotationAllowed, 0);
    EXPECT_EQ(puzzle_file::readFile(dir.filePath("missing.puz"), back), ReadResult::Corrupt);
}

TEST(PuzzleFile, LargeCountsUseTheEscapedCountAndPuzzlesStayWithinTheirBounds)
{
    // 300 x 300 cells of one pixel: 90 000 pieces need the 32-bit count,
    // and are far more than a player will take.
    PuzzleFileData d;
    d.columns = 300;
    d.rows = 300;
    d.cellSize = 1;
    d.picture = d.guide = "x";
    d.pieces.assign(90000, PieceRecord{0, 0});
    QByteArray bytes = testfiles::puzzleBytes(d);
    const int countAt = 2 + 12 + 4 + 1 + 4 + 1 + 4;
    EXPECT_EQ(bytes.mid(countAt, 6).toHex(), QByteArray("ffff" "905f0100"));
    PuzzleFileData back;
    QString why;
    EXPECT_EQ(puzzle_file::read(bytes, back, &why), ReadResult::Corrupt);
    EXPECT_EQ(why, "too many pieces");

    // 100 x 100 is the most; an escaped count is read whatever its size.
    d.columns = d.rows = 100;
    d.pieces.resize(10000);
    ASSERT_EQ(puzzle_file::read(testfiles::puzzleBytes(d), back), ReadResult::Ok);
    EXPECT_EQ(back.pieces.size(), 10000u);
    d.columns = 2;
    d.rows = 1;
    d.pieces.resize(2);
    bytes = testfiles::puzzleBytes(d);
    bytes.replace(countAt, 2, QByteArray::fromHex("ffff02000000"));
    ASSERT_EQ(puzzle_file::read(bytes, back), ReadResult::Ok);
    EXPECT_EQ(back.pieces.size(), 2u);

    // 8 x 8 cells of 2048 pixels would ask for gigabytes of piece images.
    d.columns = d.rows = 8;
    d.cellSize = 2048;
    d.pieces.assign(64, PieceRecord{0, 0});
    EXPECT_EQ(puzzle_file::read(testfiles::puzzleBytes(d), back, &why), ReadResult::Corrupt);
    EXPECT_EQ(why, "grid out of range");
    d.columns = d.rows = 1;
    d.pieces.resize(1);
    EXPECT_EQ(puzzle_file::read(testfiles::puzzleBytes(d), back), ReadResult::Ok);
    d.columns = 2;
    d.cellSize = 1025;
    d.pieces.resize(2);
    EXPECT_EQ(puzzle_file::read(testfiles::puzzleBytes(d), back), ReadResult::Corrupt);
}

TEST(PuzzleFile, KnobsMayReachTwiceAsFarAsTheEdgeChooserPutsThemButNoFurther)
{
    PieceRecord r{24, 24};
    r.topDy = r.leftDx = 48 / 8; // the chooser's deepest hole
    EXPECT_TRUE(puzzle_file::recordInRange(r, 48));
    r.topDy = 12;
    EXPECT_TRUE(puzzle_file::recordInRange(r, 48));
    r.topDy = 13;
    EXPECT_FALSE(puzzle_file::recordInRange(r, 48));
    r.topDy = -12;
    r.lrDiameter = 25;
    EXPECT_FALSE(puzzle_file::recordInRange(r, 48));
    r.lrDiameter = 24;
    r.rightDx = INT32_MIN / 2; // four times this wraps in 32 bits
    EXPECT_FALSE(puzzle_file::recordInRange(r, 48));
}

TEST(PuzzleFile, ReadsRegularFilesOnlyAndNeverPastItsBound)
{
    PuzzleFileData back;
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(puzzle_file::readFile("/dev/zero", back), ReadResult::Corrupt);
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe.puz");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QString why;
    EXPECT_EQ(puzzle_file::readFile(fifo, back, &why), ReadResult::Corrupt);
    EXPECT_EQ(why, "not a regular file");
    EXPECT_EQ(puzzle_file::readFile(dir.path(), back), ReadResult::Corrupt);
    const QString big = dir.filePath("big.puz");
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("PU");
        ASSERT_TRUE(f.resize(puzzle_file::kMaxFileBytes + 1));
    }
    EXPECT_EQ(puzzle_file::readFile(big, back, &why), ReadResult::Corrupt);
    EXPECT_EQ(why, "file too large");
    EXPECT_LT(t.elapsed(), 2000);
}

TEST(PuzzleFile, WrongMagicIsNotAPuzzleButTooShortIsDamaged)
{
    PuzzleFileData out;
    EXPECT_EQ(puzzle_file::read("PX rest", out), ReadResult::NotAPuzzle);
    EXPECT_EQ(puzzle_file::read("XU rest", out), ReadResult::NotAPuzzle);
    EXPECT_EQ(puzzle_file::read("", out), ReadResult::Corrupt);
    EXPECT_EQ(puzzle_file::read("P", out), ReadResult::Corrupt);
}

TEST(PuzzleFile, RejectsInconsistentOrOutOfRangeContent)
{
    const PuzzleFileData d = small();
    auto bad = [&](auto change) {
        int columns = 3, rows = 2, cell = 48;
        QByteArray pic = d.picture;
        std::vector<PieceRecord> pieces = d.pieces;
        change(columns, rows, cell, pic, pieces);
        PuzzleFileData out;
        return puzzle_file::read(handMade(columns, rows, cell, pic, d.guide, 1, pieces), out);
    };
    EXPECT_EQ(bad([](int& c, int&, int&, QByteArray&, auto&) { c = 0; }), ReadResult::Corrupt);
    EXPECT_EQ(bad([](int&, int& r, int&, QByteArray&, auto&) { r = -1; }), ReadResult::Corrupt);
    EXPECT_EQ(bad([](int&, int&, int& a, QByteArray&, auto&) { a = 0; }), ReadResult::Corrupt);
    EXPECT_EQ(bad([](int&, int&, int& a, QByteArray&, auto&) { a = 100000; }), ReadResult::Corrupt);
    EXPECT_EQ(bad([](int& c, int&, int&, QByteArray&, auto&) { c = 4; }), ReadResult::Corrupt);
    EXPECT_EQ(bad([](int&, int&, int&, QByteArray&, auto& p) { p.pop_back(); }), ReadResult::Corrupt);
    EXPECT_EQ(bad([](int&, int&, int&, QByteArray&, auto& p) { p[2].topKind = 2; }), ReadResult::Corrupt);
    EXPECT_EQ(bad([](int&, int&, int&, QByteArray&, auto& p) { p[1].lrDiameter = 1 << 30; }), ReadResult::Corrupt);
    EXPECT_EQ(bad([](int&, int&, int&, QByteArray&, auto& p) { p[0].rightDy = -5000; }), ReadResult::Corrupt);
    EXPECT_EQ(bad([](int&, int&, int&, QByteArray&, auto&) {}), ReadResult::Ok);

    // A picture length beyond the end of the file.
    QByteArray bytes = handMade(3, 2, 48, d.picture, d.guide, 1, d.pieces);
    const uint32_t huge = 0x7FFFFFF0;
    for (int i = 0; i < 4; ++i)
        bytes[14 + i] = char((huge >> (8 * i)) & 0xFF);
    PuzzleFileData out;
    EXPECT_EQ(puzzle_file::read(bytes, out), ReadResult::Corrupt);

    // Another class name or schema in the piece list.
    QByteArray other = handMade(3, 2, 48, d.picture, d.guide, 1, d.pieces);
    other.replace("CPiece", "CPiecX");
    EXPECT_EQ(puzzle_file::read(other, out), ReadResult::Corrupt);
    QByteArray schema = handMade(3, 2, 48, d.picture, d.guide, 1, d.pieces);
    const int tagAt = schema.indexOf("CPiece") - 4;
    schema[tagAt] = 1;
    EXPECT_EQ(puzzle_file::read(schema, out), ReadResult::Corrupt);
}

TEST(PuzzleFile, EveryTruncationIsRefused)
{
    const QByteArray bytes = testfiles::puzzleBytes(small());
    PuzzleFileData out;
    for (int n = 0; n < bytes.size(); ++n)
        ASSERT_EQ(puzzle_file::read(bytes.left(n), out), ReadResult::Corrupt) << "cut at " << n;
}

TEST(PuzzleFile, RandomlyMutatedFilesNeverCrashTheReader)
{
    const QByteArray good = testfiles::puzzleBytes(small());
    std::mt19937 gen(2024);
    int ok = 0;
    for (int round = 0; round < 5000; ++round) {
        QByteArray b = good;
        const int edits = 1 + int(gen() % 6);
        for (int e = 0; e < edits; ++e) {
            const int at = int(gen() % uint32_t(b.size()));
            switch (gen() % 3) {
            case 0: b[at] = char(gen()); break;
            case 1: b.remove(at, 1 + int(gen() % 16)); break;
            default: b.insert(at, QByteArray(1 + int(gen() % 8), char(gen()))); break;
            }
        }
        PuzzleFileData out;
        const ReadResult result = puzzle_file::read(b, out);
        // The reader that keeps the buffer judges every file the same.
        PuzzleFileData fromOwn;
        QByteArray own(b.constData(), b.size()); // unshared, as a file read is
        ASSERT_EQ(puzzle_file::read(std::move(own), fromOwn), result);
        if (result == ReadResult::Ok) {
            ASSERT_EQ(fromOwn.picture, out.picture);
            ASSERT_EQ(fromOwn.guide, out.guide);
            ASSERT_EQ(fromOwn.pieces, out.pieces);
            ++ok;
            // What the reader accepts is always internally consistent.
            ASSERT_EQ(qint64(out.pieces.size()), qint64(out.columns) * out.rows);
            for (const PieceRecord& r : out.pieces)
                ASSERT_TRUE(puzzle_file::recordInRange(r, out.cellSize));
        }
    }
    SUCCEED() << ok << " mutated files were still readable";
}

namespace {
// Runs `f` with writes beyond a few bytes failing, as on a full disk (a
// read-only folder would not stop a test run as root).
template <typename F>
void withFullDisk(F f)
{
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &small);
    f();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
}
QByteArray contents(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}
} // namespace

TEST(PuzzleFile, AFullDiskNeverReplacesTheFileThatWasThere)
{
    QTemporaryDir dir;
    const QString puz = dir.filePath("Beach.puz"), ini = dir.filePath("puzzle.ini");
    ASSERT_TRUE(puzzle_file::writeFile(puz, small()));
    ASSERT_TRUE(profile::writeString(ini, "Puzzles", "Name1", "Beach"));
    const QByteArray oldPuz = contents(puz), oldIni = contents(ini);
    bool puzOk = true, iniOk = true;
    withFullDisk([&] {
        puzOk = puzzle_file::writeFile(puz, testfiles::makePuzzle(5, 5, 48));
        iniOk = profile::writeString(ini, "Puzzles", "Name2", QString(200, 'x'));
    });
    EXPECT_FALSE(puzOk);
    EXPECT_FALSE(iniOk);
    EXPECT_EQ(contents(puz), oldPuz);
    EXPECT_EQ(contents(ini), oldIni);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "no temporary file is left";
}
