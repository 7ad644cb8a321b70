// The maker's short ways through its pictures: a JPEG read by the JPEG
// plugin alone, the scratch picture decoded from the bytes written, the
// thumbnail made from a shared picture. Each must give exactly what the
// toolkit's general reader gives, or a remade puzzle would differ from the
// one made before.
#include "frontend_fixture.h"
#include "picture_check.h"
#include "picture_fit.h"
#include "puzzle_maker.h"
#include "test_files.h"

#include <QBuffer>
#include <QImageWriter>

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// Photo-like noise from a fixed seed: smooth enough to compress, rough
// enough that a different decode shows in many pixels.
QImage noisy(int w, int h, uint32_t seed, QImage::Format format = QImage::Format_RGB32)
{
    QImage img(w, h, QImage::Format_RGB32);
    uint32_t s = seed;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            s = s * 1103515245u + 12345u;
            const int n = int((s >> 16) & 31);
            img.setPixel(x, y, qRgb((x * 255 / w + n) & 0xFF, (y * 255 / h + 2 * n) & 0xFF, ((x + y) + 3 * n) & 0xFF));
        }
    return img.convertToFormat(format);
}

QByteArray jpegOf(const QImage& image, int quality)
{
    QByteArray out;
    QBuffer b(&out);
    b.open(QIODevice::WriteOnly);
    QImageWriter w(&b, "jpeg");
    w.setQuality(quality);
    w.write(image);
    return out;
}

struct Case {
    const char* what;
    QImage image;
    int quality;
};

} // namespace

TEST(JpegReading, APictureLoadsAsTheGeneralReaderLoadsIt)
{
    QTemporaryDir dir;
    const Case cases[] = {
        {"colour photo", noisy(640, 480, 7), 90},
        {"small colour", noisy(301, 203, 11), 75},
        {"grey photo", noisy(400, 300, 13, QImage::Format_Grayscale8), 85},
    };
    for (const Case& c : cases) {
        const QByteArray bytes = jpegOf(c.image, c.quality);
        const QString path = dir.filePath(QString::fromLatin1(c.what) + QStringLiteral(".jpg"));
        putFile(path, bytes);
        ToolkitBitmap fast, general;
        QString why;
        ASSERT_TRUE(picture_fit::loadPicture(path, fast, &why)) << c.what << ": " << why.toStdString();
        ASSERT_TRUE(imaging::loadFromData(bytes, general, 0)) << c.what;
        EXPECT_EQ(fast.image, general.image) << c.what;
        EXPECT_EQ(fast.bitsPerPixel, general.bitsPerPixel) << c.what;
    }
}

TEST(JpegReading, TheWorkingPictureIsTheScratchFileAsTheGeneralReaderLoadsIt)
{
    QTemporaryDir dir;
    const QString scratch = dir.filePath(QStringLiteral("Nuvark_Puzzle.JPG"));
    // A JPEG source, one scaled down on the way in, and a PNG.
    const QString sources[] = {
        dir.filePath(QStringLiteral("photo.jpg")),
        dir.filePath(QStringLiteral("large.jpg")),
        dir.filePath(QStringLiteral("drawing.png")),
    };
    putFile(sources[0], jpegOf(noisy(640, 480, 17), 80));
    putFile(sources[1], jpegOf(noisy(1300, 975, 19), 80));
    putFile(sources[2], testfiles::encode(noisy(500, 380, 23), "png"));
    for (const QString& source : sources) {
        ToolkitBitmap working, onDisk;
        QString why;
        ASSERT_TRUE(picture_fit::loadAndFit(source, scratch, working, &why)) << why.toStdString();
        ASSERT_TRUE(imaging::load(scratch, onDisk, 0)) << source.toStdString();
        EXPECT_EQ(working.image, onDisk.image) << source.toStdString();
        EXPECT_EQ(working.bitsPerPixel, onDisk.bitsPerPixel) << source.toStdString();
        EXPECT_EQ(working.image.format(), QImage::Format_RGB32);
    }
}

TEST(JpegReading, AJpegTheChecksRefuseIsRefusedForTheirReasonAndABrokenOneForTheDecoders)
{
    QTemporaryDir dir;
    // Thousands of empty scans: refused by its structure before a decode.
    const QByteArray scans = testfiles::manyScanJpeg(64, 64, imaging::kMaxJpegScans + 50);
    const QString reason = picture_check::whyRefused(scans, true);
    ASSERT_FALSE(reason.isEmpty());
    const QString many = dir.filePath(QStringLiteral("scans.jpg"));
    putFile(many, scans);
    ToolkitBitmap picture;
    QString why;
    EXPECT_FALSE(picture_fit::loadPicture(many, picture, &why));
    EXPECT_TRUE(why.contains(reason)) << why.toStdString();
    EXPECT_TRUE(picture.isNull());

    // The start of a real JPEG with its data cut off after the headers.
    const QByteArray whole = jpegOf(noisy(200, 150, 29), 90);
    const QString cut = dir.filePath(QStringLiteral("cut.jpg"));
    putFile(cut, whole.left(whole.indexOf("\xFF\xDA") + 4));
    why.clear();
    EXPECT_FALSE(picture_fit::loadPicture(cut, picture, &why));
    EXPECT_TRUE(why.startsWith(QStringLiteral("Cannot read the picture"))) << why.toStdString();
}

TEST(JpegReading, TheThumbnailIsTheToolkitsBmpAndLeavesItsPictureAsItWas)
{
    struct Shape {
        int w, h, dotsPerMeter; // 0: none set
    };
    // Landscape rows of 300 bytes; portrait rows of 75 pixels, padded to 228
    // bytes; a picture without a resolution, and one of a single pixel row.
    const Shape shapes[] = {{624, 480, 0}, {360, 480, 3780}, {640, 427, -1}, {640, 5, 2835}};
    uint32_t seed = 31;
    for (const Shape& s : shapes) {
        ToolkitBitmap picture;
        picture.image = noisy(s.w, s.h, seed++);
        if (s.dotsPerMeter > 0) {
            picture.image.setDotsPerMeterX(s.dotsPerMeter);
            picture.image.setDotsPerMeterY(s.dotsPerMeter);
        } else if (s.dotsPerMeter < 0) {
            picture.image.setDotsPerMeterX(0);
            picture.image.setDotsPerMeterY(0);
        }
        picture.bitsPerPixel = 24;
        const QImage before = picture.image.copy();
        const QByteArray thumbnail = PuzzleMaker::thumbnailOf(picture);
        ASSERT_FALSE(thumbnail.isEmpty());
        EXPECT_EQ(picture.image, before) << s.w << " x " << s.h;
        // The picture brought to 100 pixels on its longer side, as the
        // toolkit's writer stores it.
        ToolkitBitmap expected = picture;
        expected.image = expected.image.copy();
        const QSize size = PuzzleMaker::thumbnailSize(expected.image.size());
        ASSERT_TRUE(imaging::resize(expected, size.width(), size.height()));
        EXPECT_EQ(thumbnail, imaging::encode(expected, imaging::kFormatBmp, 0)) << s.w << " x " << s.h;
    }
}

TEST(JpegReading, AJpegIsWrittenAsTheToolkitsWriterWritesIt)
{
    const QImage colour = noisy(624, 480, 37);
    QImage described = noisy(200, 160, 41);
    described.setText(QStringLiteral("Description"), QStringLiteral("a note the writer stores"));
    const ToolkitBitmap pictures[] = {
        {colour, 24},
        {described, 24},
        {noisy(333, 222, 43, QImage::Format_RGB888), 24},
        {noisy(100, 80, 47, QImage::Format_Grayscale8), 8},
    };
    for (const ToolkitBitmap& p : pictures)
        for (const int quality : {50, 100, 0}) {
            const QByteArray ours = picture_fit::jpegBytes(p, quality);
            ASSERT_FALSE(ours.isEmpty());
            EXPECT_EQ(ours, imaging::encode(p, imaging::kFormatJpeg, quality))
                << p.image.format() << " at " << quality;
        }
    EXPECT_TRUE(picture_fit::jpegBytes(ToolkitBitmap(), 50).isEmpty());
}

// The scratch picture is decoded while it is being encoded: a decoder that
// took a pause in the encoder's output for the end would give a picture cut
// short, grey below some row.
TEST(JpegReading, TheScratchRoundTripMatchesEncodingThenDecoding)
{
    const ToolkitBitmap pictures[] = {
        {noisy(640, 480, 53), 24},
        {noisy(333, 222, 59, QImage::Format_RGB888), 24},
        {noisy(100, 80, 61, QImage::Format_Grayscale8), 8},
        {noisy(2, 2, 67), 24},
    };
    for (const ToolkitBitmap& p : pictures) {
        ToolkitBitmap streamed = p;
        QByteArray bytes;
        ASSERT_TRUE(picture_fit::throughScratchJpeg(streamed, bytes)) << p.image.width();
        const QByteArray expected = picture_fit::jpegBytes(p, 100);
        EXPECT_EQ(bytes, expected);
        ToolkitBitmap decoded;
        ASSERT_TRUE(imaging::loadFromData(expected, decoded, 0, QSize(4096, 4096)));
        EXPECT_EQ(streamed.image, decoded.image.convertToFormat(QImage::Format_RGB32)) << p.image.width();
        // Every scratch JPEG is written in colour, a grey picture too.
        EXPECT_EQ(streamed.bitsPerPixel, 24);
    }
    ToolkitBitmap none;
    QByteArray bytes;
    EXPECT_FALSE(picture_fit::throughScratchJpeg(none, bytes));
    EXPECT_TRUE(bytes.isEmpty());
    EXPECT_TRUE(none.isNull());
}

TEST(JpegReading, ShadingThePuzzlePictureLeavesTheWorkingPictureAsItWas)
{
    // 576 x 432 is exactly 8 x 6 cells of the normal level, so the puzzle
    // picture starts as the working picture itself; at hard it is resized.
    for (const int level : {int(PuzzleMaker::Normal), int(PuzzleMaker::Hard)}) {
        SuiteTree tree;
        PuzzleMaker maker(tree.folders);
        maker.workingImage.image = noisy(576, 432, 53);
        maker.workingImage.bitsPerPixel = 24;
        const QImage before = maker.workingImage.image.copy();
        ScriptedUi ui;
        ASSERT_TRUE(maker.PrepareLevel(level, ui)) << maker.lastError().toStdString();
        EXPECT_EQ(maker.workingImage.image, before) << level;
        EXPECT_NE(maker.puzzleImage.image.constBits(), maker.workingImage.image.constBits()) << level;
        EXPECT_EQ(maker.puzzleImage.image.format(), QImage::Format_RGB32);
        if (level == PuzzleMaker::Normal) {
            // Same size: every pixel off the rims is the working picture's.
            ASSERT_EQ(maker.puzzleImage.image.size(), before.size());
            int same = 0;
            for (int y = 0; y < before.height(); ++y)
                for (int x = 0; x < before.width(); ++x)
                    same += maker.puzzleImage.image.pixel(x, y) == before.pixel(x, y);
            EXPECT_GT(same, before.width() * before.height() * 3 / 4);
            EXPECT_LT(same, before.width() * before.height());
        }
    }
}
