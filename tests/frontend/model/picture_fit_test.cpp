// Pictures as users have them: camera-sized, turned by EXIF, tiny, broken,
// hostile; and the command line making puzzles of them.
#include "frontend_fixture.h"
#include "hostile_pictures.h"
#include "picture_fit.h"
#include "puzzle_file.h"
#include "test_files.h"

#include <QBuffer>
#include <QImageWriter>

#include <gtest/gtest.h>

namespace {

QByteArray jpeg(const QImage& image, int quality = 90)
{
    QByteArray out;
    QBuffer b(&out);
    b.open(QIODevice::WriteOnly);
    QImageWriter w(&b, "jpeg");
    w.setQuality(quality);
    w.write(image);
    return out;
}

// A JPEG whose EXIF block says how to turn it for showing (6: a quarter turn
// clockwise, as phones store portrait photos).
QByteArray withOrientation(QByteArray jpegBytes, uint8_t orientation)
{
    const char app1[] = {
        '\xFF', '\xE1', 0, 34, 'E', 'x', 'i', 'f', 0, 0,  // segment, "Exif"
        'I', 'I', 42, 0, 8, 0, 0, 0,                      // little-endian TIFF, IFD at 8
        1, 0,                                             // one entry
        0x12, 0x01, 3, 0, 1, 0, 0, 0, char(orientation), 0, 0, 0, // Orientation, SHORT
        0, 0, 0, 0};                                      // no next IFD
    jpegBytes.insert(2, QByteArray(app1, sizeof app1));
    return jpegBytes;
}

// Landscape with a red top-left quarter on blue.
QImage marked(int w, int h, QImage::Format format = QImage::Format_RGB32)
{
    QImage img(w, h, format);
    img.fill(QColor(0, 0, 200));
    for (int y = 0; y < h / 2; ++y)
        for (int x = 0; x < w / 2; ++x)
            img.setPixelColor(x, y, QColor(220, 0, 0));
    return img;
}

bool reddish(QRgb c) { return qRed(c) > 150 && qBlue(c) < 80; }

struct Files {
    QTemporaryDir dir;
    QString scratch = dir.filePath(QStringLiteral("Nuvark_Puzzle.JPG"));
    QString put(const QString& name, const QByteArray& bytes)
    {
        putFile(dir.filePath(name), bytes);
        return dir.filePath(name);
    }
};

} // namespace

TEST(PictureFit, ACameraSizedPhotoLoadsAtItsFittedSize)
{
    Files f;
    // 8000 x 6000: a full decode would exceed the decoder's memory limit.
    const QString path = f.put("camera.jpg", jpeg(marked(8000, 6000, QImage::Format_RGB888), 50));
    ToolkitBitmap pic;
    QString why;
    ASSERT_TRUE(picture_fit::loadAndFit(path, f.scratch, pic, &why)) << why.toStdString();
    EXPECT_EQ(pic.image.size(), QSize(639, 480));
    EXPECT_EQ(pic.bitsPerPixel, 24);
    EXPECT_TRUE(reddish(pic.image.pixel(100, 100)));
    EXPECT_FALSE(reddish(pic.image.pixel(600, 400)));
    // What was loaded is the scratch JPEG, left on disk.
    ToolkitBitmap scratch;
    ASSERT_TRUE(imaging::load(f.scratch, scratch, 0));
    EXPECT_EQ(scratch.image.size(), QSize(639, 480));
}

TEST(PictureFit, ThePhonesTurnIsHonouredSoPortraitStaysPortrait)
{
    Files f;
    // Stored lying on its side, 600 x 400, to be shown turned clockwise.
    const QString small = f.put("phone.jpg", withOrientation(jpeg(marked(600, 400)), 6));
    ToolkitBitmap pic;
    QString why;
    ASSERT_TRUE(picture_fit::loadAndFit(small, f.scratch, pic, &why)) << why.toStdString();
    // 400 x 600 upright, fitted by its height: 319 x 480 (single precision).
    EXPECT_EQ(pic.image.size(), QSize(319, 480));
    // The stored top-left corner is now the top-right one.
    EXPECT_TRUE(reddish(pic.image.pixel(pic.width() - 20, 20)));
    EXPECT_FALSE(reddish(pic.image.pixel(20, 20)));

    // A large one goes through the scaled decode and is turned after it.
    const QString large = f.put("big.jpg", withOrientation(jpeg(marked(3000, 2000)), 6));
    ASSERT_TRUE(picture_fit::loadAndFit(large, f.scratch, pic, &why)) << why.toStdString();
    EXPECT_EQ(pic.image.size(), picture_fit::fittedSize({2000, 3000}));
    EXPECT_EQ(pic.image.size(), QSize(319, 480));
    EXPECT_TRUE(reddish(pic.image.pixel(pic.width() - 20, 20)));
    EXPECT_FALSE(reddish(pic.image.pixel(20, 20)));
}

TEST(PictureFit, SmallPicturesKeepTheirSizeButStillPassThroughTheScratchJpeg)
{
    Files f;
    QByteArray png;
    QBuffer b(&png);
    b.open(QIODevice::WriteOnly);
    marked(300, 200).save(&b, "png");
    const QString path = f.put("small.png", png);
    ToolkitBitmap pic;
    ASSERT_TRUE(picture_fit::loadAndFit(path, f.scratch, pic));
    EXPECT_EQ(pic.image.size(), QSize(300, 200));
    EXPECT_TRUE(QFile::exists(f.scratch));
    EXPECT_EQ(fileBytes(f.scratch).left(2), QByteArray("\xFF\xD8"));
}

TEST(PictureFit, UnusablePicturesAreRefusedWithAReason)
{
    Files f;
    auto png = [](int w, int h) {
        QByteArray out;
        QBuffer b(&out);
        b.open(QIODevice::WriteOnly);
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(Qt::green);
        img.save(&b, "png");
        return out;
    };
    const QString cases[] = {
        f.put("one.png", png(1, 1)),
        f.put("line.png", png(300, 1)),
        f.put("column.png", png(1, 300)),
        f.put("noise.jpg", QByteArray(5000, '\x5A')),
        f.put("empty.jpg", QByteArray()),
        f.put("cut.jpg", jpeg(marked(200, 200)).left(300)),
        f.dir.filePath("missing.jpg"),
        f.dir.path(),
    };
    for (const QString& path : cases) {
        ToolkitBitmap pic;
        QString why;
        EXPECT_FALSE(picture_fit::loadAndFit(path, f.scratch, pic, &why)) << path.toStdString();
        EXPECT_FALSE(why.isEmpty()) << path.toStdString();
        EXPECT_TRUE(pic.isNull());
    }
    ToolkitBitmap two;
    EXPECT_TRUE(picture_fit::loadAndFit(f.put("two.png", png(2, 2)), f.scratch, two));
}

TEST(PictureFit, AnUnwritableScratchFileIsAClearFailure)
{
    Files f;
    const QString path = f.put("ok.jpg", jpeg(marked(100, 100)));
    ToolkitBitmap pic;
    QString why;
    // The scratch picture's folder is a file: nothing can be written there.
    const QString blocked = f.put("notafolder", "x") + QStringLiteral("/Nuvark_Puzzle.JPG");
    EXPECT_FALSE(picture_fit::loadAndFit(path, blocked, pic, &why));
    EXPECT_TRUE(why.contains(QStringLiteral("scratch"))) << why.toStdString();
}

TEST(PictureFit, HostilePicturesAreRefusedWithTheReason)
{
    Files f;
    const struct {
        const char* file;
        QByteArray bytes;
        const char* says;
    } cases[] = {
        {"text.png", hostile::pngWithTextChunk(), "\"tEXt\" declares 2147483647 bytes"},
        {"idat.png", hostile::pngIdatPastEnd(8000, 8000), "\"IDAT\" declares"},
        {"starved.png", hostile::pngStarved(8000, 8000), "far more than its"},
        {"strip.gif", hostile::gifCanvas(20, 55295), "canvas declares 20 x 55295 pixels"},
        {"canvas.gif", hostile::gifCanvas(8000, 8000), "canvas declares 8000 x 8000 pixels"},
        {"headers.bmp", hostile::bmpHeadersOnly(8000, 8000), "rows need"},
        {"claims.jpg", hostile::jpegClaiming(8000, 8000), "far more than its"},
        {"huge.jpg", hostile::jpegClaiming(65000, 65000), "too large (65000 x 65000 pixels)"},
    };
    for (const auto& c : cases) {
        const QString path = f.put(c.file, c.bytes);
        ToolkitBitmap pic;
        QString why;
        EXPECT_FALSE(picture_fit::loadAndFit(path, f.scratch, pic, &why)) << c.file;
        EXPECT_TRUE(why.startsWith(QStringLiteral("Cannot read the picture \"%1\": ").arg(path))) << why.toStdString();
        EXPECT_TRUE(why.contains(QString::fromLatin1(c.says))) << why.toStdString();
        EXPECT_TRUE(pic.isNull());
    }
}

TEST(PictureFit, APictureThatFitsIntoOneColumnIsTooSmallAfterFittingToo)
{
    Files f;
    // 2 x 2000 is two pixels wide as it comes, one pixel once fitted to 480 high.
    const QString strip = f.put("strip.png", testfiles::encode(testfiles::patternImage(2, 2000), "png"));
    ToolkitBitmap pic;
    QString why;
    EXPECT_FALSE(picture_fit::loadAndFit(strip, f.scratch, pic, &why));
    EXPECT_EQ(why, QStringLiteral("The picture \"%1\" is too small to make a puzzle of.").arg(strip));
    EXPECT_FALSE(QFile::exists(f.scratch)) << "refused before anything was written";

    // A scanned strip takes the other way in.
    ToolkitBitmap scanned;
    scanned.image = testfiles::patternImage(5000, 4);
    EXPECT_FALSE(picture_fit::fitAndNormalise(scanned, f.scratch, &why));
    EXPECT_EQ(why, QStringLiteral("The picture is too small to make a puzzle of."));

    // Ten pixels wide fits to four: cut into one column, but a picture still.
    const QString narrow = f.put("narrow.png", testfiles::encode(testfiles::patternImage(10, 1000), "png"));
    ASSERT_TRUE(picture_fit::loadAndFit(narrow, f.scratch, pic, &why)) << why.toStdString();
    EXPECT_EQ(pic.image.size(), QSize(4, 480));
}

TEST(PictureFit, TheCommandLineRefusesHostilePicturesAndMakesPuzzlesOfOrdinaryOnes)
{
    SuiteTree tree;
    const QString program = tree.folders.program + QStringLiteral("Vorlin");
    ASSERT_TRUE(QFile::copy(QStringLiteral(VORLIN_CLI_DRIVER), program));
    QTemporaryDir home, runtime, temp;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(v));
    env.insert("HOME", home.path());
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("TMPDIR", temp.path());
    auto make = [&](const QString& name, const QByteArray& bytes, const QString& puzzle) {
        const QString path = tree.dir.filePath(name);
        putFile(path, bytes);
        return runProgram(program, {"--make", path, "--name", puzzle}, env);
    };

    const Outcome refused = make("text.png", hostile::pngWithTextChunk(), "Text");
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.err.contains("Cannot read the picture")) << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains("\"tEXt\" declares 2147483647 bytes")) << refused.err.toStdString();
    EXPECT_TRUE(refused.out.isEmpty());
    const Outcome strip = make("strip.gif", hostile::gifCanvas(20, 55295), "Strip");
    EXPECT_EQ(strip.code, 1);
    EXPECT_TRUE(strip.err.contains("canvas")) << strip.err.toStdString();
    EXPECT_TRUE(tree.dataFiles().isEmpty());

    // A phone's portrait photo stored on its side, a PNG, a GIF and a tiny
    // picture: each a puzzle of the normal level's 72-pixel cells.
    const struct {
        const char* file;
        QByteArray bytes;
        int columns, rows;
    } ordinary[] = {
        {"phone.jpg", withOrientation(jpeg(marked(4000, 3000), 80), 6), 4, 6}, // 359 x 480 upright
        {"plain.png", testfiles::encode(testfiles::patternImage(640, 480), "png"), 8, 6},
        {"small.gif", hostile::gifCanvas(200, 150), 2, 2},
        {"tiny.png", testfiles::encode(testfiles::patternImage(20, 20), "png"), 1, 1},
    };
    for (const auto& c : ordinary) {
        const QString name = QString::fromLatin1(c.file).section('.', 0, 0);
        const Outcome r = make(c.file, c.bytes, name);
        ASSERT_EQ(r.code, 0) << c.file << ": " << r.err.toStdString();
        PuzzleFileData d;
        ASSERT_EQ(puzzle_file::readFile(tree.data(name + ".puz"), d), puzzle_file::ReadResult::Ok);
        EXPECT_EQ(d.columns, c.columns) << c.file;
        EXPECT_EQ(d.rows, c.rows) << c.file;
    }
}
