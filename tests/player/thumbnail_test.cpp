// The file manager's preview of a puzzle: the embedded picture, at the size
// asked for, as a PNG; every bad input refused with a reason and no file.
#include "thumbnail_command.h"

#include "crt_random.h"
#include "full_disk.h"
#include "hostile_pictures.h"
#include "puzzle_file.h"
#include "test_files.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QColor kQuadrants[4] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};

// Four plain quadrants (red, green / blue, yellow): what survives scaling
// and JPEG at every size, so a wrong picture, a flip or a crop shows.
QImage quadrants(int width, int height)
{
    QImage img(width, height, QImage::Format_RGB32);
    QPainter p(&img);
    const int w = width / 2, h = height / 2;
    p.fillRect(0, 0, w, h, kQuadrants[0]);
    p.fillRect(w, 0, width - w, h, kQuadrants[1]);
    p.fillRect(0, h, w, height - h, kQuadrants[2]);
    p.fillRect(w, h, width - w, height - h, kQuadrants[3]);
    return img;
}

// A puzzle as the front end makes it, whose picture is the quadrants and
// whose guide is black: a thumbnail of the guide would show.
PuzzleFileData quadrantPuzzle(int columns, int rows, int cell)
{
    crt::srand(7);
    PuzzleFileData d = testfiles::makePuzzle(columns, rows, cell);
    d.picture = testfiles::encode(quadrants(columns * cell, rows * cell), "jpeg", 90);
    QImage black(columns * cell, rows * cell, QImage::Format_RGB32);
    black.fill(Qt::black);
    d.guide = testfiles::encode(black, "jpeg", 90);
    return d;
}

void expectQuadrants(const QImage& img)
{
    ASSERT_FALSE(img.isNull());
    const int w = img.width(), h = img.height();
    const QPoint centres[4] = {{w / 4, h / 4}, {3 * w / 4, h / 4}, {w / 4, 3 * h / 4}, {3 * w / 4, 3 * h / 4}};
    for (int i = 0; i < 4; ++i) {
        const QColor got = img.pixelColor(centres[i]);
        const QColor want = kQuadrants[i];
        EXPECT_NEAR(got.red(), want.red(), 24) << "quadrant " << i;
        EXPECT_NEAR(got.green(), want.green(), 24) << "quadrant " << i;
        EXPECT_NEAR(got.blue(), want.blue(), 24) << "quadrant " << i;
    }
}

struct Folder {
    QTemporaryDir dir;
    QString puzzle = dir.filePath(QStringLiteral("Cat.puz"));
    QString out = dir.filePath(QStringLiteral("thumb.png"));

    void put(const QByteArray& bytes) const
    {
        QFile f(puzzle);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }
};

struct Exit {
    int code = -1;
    QString err;
};

// The real program, with no display of any kind, as a file manager's
// sandboxed thumbnailer starts it.
Exit runProgram(const QStringList& args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(v));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TILEMENDER_PROGRAM), QStringList{QString::fromLatin1(thumbnail_command::kOption)} + args);
    Exit r;
    if (!p.waitForFinished(60000))
        return r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

TEST(ThumbnailSize, TheLongerSideBecomesTheSizeAndTheAspectStays)
{
    using thumbnail_command::fitted;
    EXPECT_EQ(fitted({640, 480}, 128), QSize(128, 96));
    EXPECT_EQ(fitted({480, 640}, 256), QSize(192, 256));
    EXPECT_EQ(fitted({2048, 2048}, 128), QSize(128, 128));
    // Rounded, not cut: 300 x 200 at 128 is 128 x 85.33.
    EXPECT_EQ(fitted({300, 200}, 128), QSize(128, 85));
    EXPECT_EQ(fitted({640, 480}, 1), QSize(1, 1));
    // A sliver keeps one pixel instead of vanishing.
    EXPECT_EQ(fitted({2048, 3}, 128), QSize(128, 1));
    // A small picture is shown as it is, never blown up.
    EXPECT_EQ(fitted({100, 60}, 256), QSize(100, 60));
    EXPECT_EQ(fitted({640, 480}, 640), QSize(640, 480));
    EXPECT_FALSE(fitted({640, 480}, 0).isValid());
}

TEST(Thumbnail, TheRealProgramWritesThePicturesPngWithoutADisplay)
{
    Folder f;
    ASSERT_NO_FATAL_FAILURE(f.put(testfiles::puzzleBytes(quadrantPuzzle(20, 15, 32))));
    const Exit r = runProgram({f.puzzle, f.out, QStringLiteral("128")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    QImageReader reader(f.out);
    EXPECT_EQ(reader.format(), "png");
    const QImage img = reader.read();
    EXPECT_EQ(img.size(), QSize(128, 96));
    EXPECT_TRUE(img.hasAlphaChannel());
    expectQuadrants(img);
    // Only the thumbnail: nothing staged is left beside it.
    EXPECT_EQ(f.files(), QStringList({QStringLiteral("Cat.puz"), QStringLiteral("thumb.png")}));
}

TEST(Thumbnail, EverySizeAFileManagerAsksFor)
{
    Folder f;
    // Portrait, from a PNG picture: 12 x 16 cells of 40 pixels.
    PuzzleFileData d = quadrantPuzzle(12, 16, 40);
    d.picture = testfiles::encode(quadrants(480, 640), "png");
    ASSERT_NO_FATAL_FAILURE(f.put(testfiles::puzzleBytes(d)));
    for (const auto& [size, want] : std::vector<std::pair<int, QSize>>{
             {1, {1, 1}}, {128, {96, 128}}, {256, {192, 256}}, {512, {384, 512}}, {100000, {480, 640}}}) {
        QString why;
        ASSERT_TRUE(thumbnail_command::write(f.puzzle, f.out, size, &why)) << why.toStdString();
        const QImage img(f.out);
        EXPECT_EQ(img.size(), want) << size;
        if (size > 1)
            expectQuadrants(img);
    }
    // An old thumbnail is replaced whole.
    EXPECT_EQ(f.files(), QStringList({QStringLiteral("Cat.puz"), QStringLiteral("thumb.png")}));
}

TEST(Thumbnail, ABadSizeOrCommandLineIsRefusedWithOneLine)
{
    Folder f;
    ASSERT_NO_FATAL_FAILURE(f.put(testfiles::puzzleBytes(quadrantPuzzle(4, 3, 48))));
    for (const QString& size : {QStringLiteral("0"), QStringLiteral("-128"), QStringLiteral("big"),
                                QStringLiteral("99999999999"), QStringLiteral("12.5"), QString()}) {
        const Exit r = runProgram({f.puzzle, f.out, size});
        EXPECT_EQ(r.code, 2) << size.toStdString();
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("size"))) << r.err.toStdString();
    }
    const Exit missing = runProgram({f.puzzle, f.out});
    EXPECT_EQ(missing.code, 2);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("usage"))) << missing.err.toStdString();
    EXPECT_FALSE(QFile::exists(f.out));
}

// Every refusal: false, a reason naming the file, and no thumbnail.
void expectRefused(const Folder& f, const char* what)
{
    QString why;
    EXPECT_FALSE(thumbnail_command::write(f.puzzle, f.out, 256, &why)) << what;
    EXPECT_TRUE(why.contains(f.puzzle)) << what << ": " << why.toStdString();
    EXPECT_FALSE(QFile::exists(f.out)) << what;
}

TEST(Thumbnail, AHostilePictureInAPuzzleIsRefusedBeforeItIsDecoded)
{
    const int side = 30000;
    const std::vector<std::pair<const char*, QByteArray>> pictures = {
        {"text chunk of 2 GB", hostile::pngWithTextChunk()},
        {"IDAT past the end", hostile::pngIdatPastEnd(side, side)},
        {"starved PNG", hostile::pngStarved(puzzle_file::kMaxPictureSide, puzzle_file::kMaxPictureSide)},
        {"GIF canvas", hostile::gifCanvas(side, side)},
        {"BMP headers only", hostile::bmpHeadersOnly(side, side)},
        {"JPEG claiming", hostile::jpegClaiming(side, side)},
        {"JPEG claiming just over the side", hostile::jpegClaiming(puzzle_file::kMaxPictureSide + 1, 16)},
        {"JPEG of 20 000 empty scans", testfiles::manyScanJpeg(640, 480, 20000)},
        {"no picture at all", QByteArray()},
    };
    for (const auto& [what, picture] : pictures) {
        Folder f;
        PuzzleFileData d = quadrantPuzzle(4, 3, 48);
        d.picture = picture;
        ASSERT_NO_FATAL_FAILURE(f.put(testfiles::puzzleBytes(d)));
        expectRefused(f, what);
    }
}

TEST(Thumbnail, ABrokenPuzzleFileIsRefused)
{
    const QByteArray good = testfiles::puzzleBytes(quadrantPuzzle(4, 3, 48));
    auto word = [](quint32 v) {
        QByteArray b(4, '\0');
        for (int i = 0; i < 4; ++i)
            b[i] = char((v >> (8 * i)) & 0xFF);
        return b;
    };
    // magic, columns, rows, cell size
    const QByteArray grid = QByteArray("PU") + word(4) + word(3) + word(48);
    const std::vector<std::pair<const char*, QByteArray>> files = {
        {"empty", QByteArray()},
        {"not a puzzle", QByteArray("GIF89a") + good.mid(6)},
        {"cut inside the picture", good.left(200)},
        {"cut inside the grid", good.left(9)},
        {"grid out of range", QByteArray("PU") + word(4) + word(3) + word(5000) + good.mid(14)},
        {"no cells", QByteArray("PU") + word(0) + word(3) + word(48) + good.mid(14)},
        // A length no puzzle's picture has: refused by the number, not by reading 4 GB.
        {"picture of 4 GB", grid + word(0xFFFFFFFFu) + QByteArray(64, 'x')},
        {"picture over the bound", grid + word(quint32(puzzle_file::kMaxPictureBytes + 1)) + QByteArray(64, 'x')},
        {"garbage after the magic", QByteArray("PU") + QByteArray(4096, char(0xA5))},
    };
    for (const auto& [what, bytes] : files) {
        Folder f;
        ASSERT_NO_FATAL_FAILURE(f.put(bytes));
        expectRefused(f, what);
    }
}

TEST(Thumbnail, OnlyARegularFileIsRead)
{
    Folder pipe;
    // No writer ever opens it: a reader that waited would never return.
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe.puzzle).constData(), 0600), 0);
    expectRefused(pipe, "named pipe");

    Folder missing;
    expectRefused(missing, "missing file");

    Folder folder;
    ASSERT_TRUE(QDir().mkdir(folder.puzzle));
    expectRefused(folder, "a folder");
}

TEST(Thumbnail, AThumbnailThatCannotBeWrittenLeavesNothingBehind)
{
    Folder f;
    ASSERT_NO_FATAL_FAILURE(f.put(testfiles::puzzleBytes(quadrantPuzzle(20, 15, 32))));
    QString why;
    const QString nowhere = f.dir.filePath(QStringLiteral("gone/thumb.png"));
    EXPECT_FALSE(thumbnail_command::write(f.puzzle, nowhere, 128, &why));
    EXPECT_TRUE(why.contains(nowhere)) << why.toStdString();
    EXPECT_EQ(f.files(), QStringList({QStringLiteral("Cat.puz")}));

    // A folder the user may not write in (root may write anywhere).
    if (::geteuid() != 0) {
        const QString locked = f.dir.filePath(QStringLiteral("locked"));
        ASSERT_TRUE(QDir().mkdir(locked));
        ::chmod(QFile::encodeName(locked).constData(), 0555);
        EXPECT_FALSE(thumbnail_command::write(f.puzzle, locked + QStringLiteral("/t.png"), 128, &why));
        EXPECT_TRUE(why.contains(QStringLiteral("permission denied"))) << why.toStdString();
        EXPECT_TRUE(QDir(locked).isEmpty());
        ::chmod(QFile::encodeName(locked).constData(), 0755);
    }

    // A disk that fills up during the write: the half-written stage goes
    // too. The real program writes there (Qt's worker threads do not survive
    // into the forked child that owns the full disk), its reason kept in a
    // file beside the puzzle.
    QTemporaryDir disk;
    const QString errorFile = f.dir.filePath(QStringLiteral("stderr.txt"));
    const auto said = testfiles::onFullDisk(
        disk.path(), [] {},
        [&] {
            const QByteArray program = TILEMENDER_PROGRAM;
            const QByteArray in = QFile::encodeName(f.puzzle);
            const QByteArray out = QFile::encodeName(disk.filePath(QStringLiteral("t.png")));
            const QByteArray err = QFile::encodeName(errorFile);
            const pid_t child = ::fork();
            if (child == 0) {
                const int fd = ::open(err.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
                ::dup2(fd, 2);
                ::execl(program.constData(), program.constData(), thumbnail_command::kOption,
                        in.constData(), out.constData(), "256", static_cast<char*>(nullptr));
                ::_exit(127);
            }
            int status = 0;
            ::waitpid(child, &status, 0);
            return QStringLiteral("%1|%2").arg(WIFEXITED(status) ? WEXITSTATUS(status) : -1)
                .arg(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden).join(' '));
        });
    if (!said)
        GTEST_SKIP() << "no mount namespace on this machine";
    EXPECT_EQ(said->toStdString(), "1|filler");
    QFile err(errorFile);
    ASSERT_TRUE(err.open(QIODevice::ReadOnly));
    EXPECT_TRUE(err.readAll().contains("the disk is full"));
}

} // namespace
