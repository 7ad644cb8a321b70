#include "hostile_pictures.h"
#include "imaging.h"
#include "picture_check.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {
ToolkitBitmap pattern(int w, int h)
{
    ToolkitBitmap b;
    b.image = testfiles::patternImage(w, h);
    b.bitsPerPixel = 24;
    return b;
}
} // namespace

TEST(Imaging, TurnsClockwiseAndSwapsTheSides)
{
    const ToolkitBitmap src = pattern(576, 480);
    for (int deg : {90, 180, 270}) {
        ToolkitBitmap t;
        imaging::copy(t, src);
        ASSERT_TRUE(imaging::turn(t, deg));
        const bool swapped = deg != 180;
        ASSERT_EQ(t.width(), swapped ? 480 : 576);
        ASSERT_EQ(t.height(), swapped ? 576 : 480);
        // Clockwise: the source's top-left ends top-right after 90, bottom-right after 180.
        for (QPoint p : {QPoint(0, 0), QPoint(17, 5), QPoint(575, 479), QPoint(300, 11)}) {
            QPoint q;
            if (deg == 90) q = {479 - p.y(), p.x()};
            else if (deg == 180) q = {575 - p.x(), 479 - p.y()};
            else q = {p.y(), 575 - p.x()};
            ASSERT_EQ(t.image.pixel(q), src.image.pixel(p)) << deg;
        }
    }
    ToolkitBitmap t = src;
    EXPECT_FALSE(imaging::turn(t, 45));
    // The turned copy is the same picture made without the intermediate copy.
    for (int deg : {90, 180, 270}) {
        ToolkitBitmap a, b;
        imaging::copy(a, src);
        imaging::turn(a, deg);
        ASSERT_TRUE(imaging::turnedCopy(b, src, deg));
        EXPECT_EQ(a.image, b.image);
    }
    EXPECT_FALSE(imaging::turnedCopy(t, src, 45));
    EXPECT_TRUE(t.isNull());
}

TEST(Imaging, RefusesPicturesThatWouldCostTooMuchBeforeDecodingThem)
{
    // A normal progressive JPEG has a handful of scans and loads.
    const QByteArray progressive = testfiles::manyScanJpeg(64, 48, 0);
    const int scans = imaging::jpegScanCount(progressive, imaging::kMaxJpegScans);
    EXPECT_GE(scans, 2);
    EXPECT_LE(scans, 20);
    ToolkitBitmap b;
    ASSERT_TRUE(imaging::loadFromData(progressive, b, 24));
    EXPECT_EQ(b.image.size(), QSize(64, 48));
    EXPECT_EQ(imaging::jpegScanCount(testfiles::encode(testfiles::patternImage(40, 30), "jpeg"), 100), 1);
    EXPECT_EQ(imaging::jpegScanCount("not a jpeg", 100), 0);

    // Twenty thousand empty scans: counted no further than the limit, refused
    // by the structure check, before the decoder is handed them.
    const QByteArray hostile = testfiles::manyScanJpeg(64, 48, 20000);
    EXPECT_EQ(imaging::jpegScanCount(hostile, imaging::kMaxJpegScans), imaging::kMaxJpegScans + 1);
    EXPECT_TRUE(picture_check::whyRefused(hostile).contains("scans"));
    QString why;
    EXPECT_FALSE(imaging::loadFromData(hostile, b, 24, QSize(), &why));
    EXPECT_TRUE(why.contains("scans")) << why.toStdString();

    // A size limit is checked from the header, before any pixel is decoded.
    const QByteArray wide = testfiles::encode(testfiles::patternImage(2049, 4), "png");
    EXPECT_FALSE(imaging::loadFromData(wide, b, 24, QSize(2048, 2048)));
    EXPECT_TRUE(imaging::loadFromData(wide, b, 24, QSize(2049, 4)));

    // Only regular files are read: a named pipe with no writer does not hang.
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe.jpg");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(imaging::load(fifo, b, 24));
    EXPECT_FALSE(imaging::load("/dev/zero", b, 24));
}

TEST(Imaging, SavesJpegAndBmpThatReadBack)
{
    QTemporaryDir dir;
    const ToolkitBitmap src = pattern(321, 123);
    const QString jpg = dir.filePath("a.jpg"), bmp = dir.filePath("a.bmp");
    ASSERT_TRUE(imaging::save(jpg, src, imaging::kFormatJpeg, 24, 50));
    ASSERT_TRUE(imaging::save(bmp, src, imaging::kFormatBmp, 24, 0));
    ToolkitBitmap back;
    ASSERT_TRUE(imaging::load(jpg, back, 24));
    EXPECT_EQ(back.width(), 321);
    EXPECT_EQ(back.height(), 123);
    ASSERT_TRUE(imaging::load(bmp, back, 0));
    EXPECT_EQ(back.bitsPerPixel, 24);
    EXPECT_EQ(back.image, src.image);
    // A 24-bit BMP: "BM", bit count 24 at offset 28.
    QFile f(bmp);
    f.open(QIODevice::ReadOnly);
    const QByteArray head = f.read(30);
    EXPECT_TRUE(head.startsWith("BM"));
    EXPECT_EQ(uint8_t(head[28]), 24);
}

TEST(Imaging, LoadKeepsOrConvertsTheFilesDepth)
{
    QTemporaryDir dir;
    QImage grey(10, 10, QImage::Format_Grayscale8);
    grey.fill(100);
    const QString path = dir.filePath("grey.png");
    ASSERT_TRUE(grey.save(path));
    ToolkitBitmap b;
    ASSERT_TRUE(imaging::load(path, b, 0));
    EXPECT_EQ(b.bitsPerPixel, 8);
    ASSERT_TRUE(imaging::load(path, b, 24));
    EXPECT_EQ(b.bitsPerPixel, 24);
    EXPECT_EQ(b.image.format(), QImage::Format_RGB32);
    EXPECT_FALSE(imaging::load(dir.filePath("none.jpg"), b, 24));
    EXPECT_FALSE(imaging::loadFromData("not a picture", b, 24));
}

TEST(Imaging, PixelsHaveRedInTheLowByte)
{
    ToolkitBitmap b;
    ASSERT_TRUE(imaging::create(b, 4, 3));
    imaging::fill(b, imaging::colourRef(10, 20, 30));
    EXPECT_EQ(b.image.pixel(3, 2), qRgb(10, 20, 30));
    imaging::setPixel(b, 2, 1, 0x00332211);
    EXPECT_EQ(b.image.pixel(1, 2), qRgb(0x11, 0x22, 0x33));
    EXPECT_EQ(imaging::getPixel(b, 2, 1), 0x00332211u);
    EXPECT_EQ(imaging::getPixel(b, 5, 5), 0u); // outside: nothing, no crash
    imaging::setPixel(b, -1, 0, 0);
}

TEST(Imaging, CombineWithWhiteFadesEveryPixelHalfway)
{
    ToolkitBitmap guide = pattern(50, 40), white;
    const ToolkitBitmap original = guide;
    imaging::create(white, 50, 40);
    imaging::fill(white, 0xFFFFFF);
    imaging::combine(guide, white, imaging::kCombineFade);
    for (int y = 0; y < 40; y += 7)
        for (int x = 0; x < 50; x += 3) {
            const QRgb o = original.image.pixel(x, y), g = guide.image.pixel(x, y);
            ASSERT_EQ(qRed(g), (qRed(o) + 255) / 2);
            ASSERT_EQ(qGreen(g), (qGreen(o) + 255) / 2);
            ASSERT_EQ(qBlue(g), (qBlue(o) + 255) / 2);
        }
}

TEST(Imaging, ResizeCopyPaintAndRelease)
{
    ToolkitBitmap b = pattern(200, 100), c;
    ASSERT_TRUE(imaging::resize(b, 50, 20));
    EXPECT_EQ(b.image.size(), QSize(50, 20));
    EXPECT_FALSE(imaging::resize(b, 0, 20));
    imaging::copy(c, b);
    imaging::setPixel(c, 0, 0, 0);
    EXPECT_NE(c.image.pixel(0, 0), b.image.pixel(0, 0)) << "a copy is independent";

    // Paint copies the source rectangle to the destination, limited to the clip.
    const ToolkitBitmap src = pattern(40, 40);
    QImage target(30, 30, QImage::Format_RGB32);
    target.fill(Qt::black);
    {
        QPainter p(&target);
        imaging::paint(p, src, QRect(10, 10, 20, 20), QRect(5, 5, 20, 20), QRect(0, 0, 15, 30));
    }
    EXPECT_EQ(target.pixel(5, 5), src.image.pixel(10, 10));
    EXPECT_EQ(target.pixel(14, 24), src.image.pixel(19, 29));
    EXPECT_EQ(target.pixel(15, 5), qRgb(0, 0, 0)) << "outside the clip";
    EXPECT_EQ(target.pixel(4, 4), qRgb(0, 0, 0));

    imaging::release(b);
    EXPECT_TRUE(b.isNull());
    EXPECT_FALSE(imaging::turn(b, 90));
}

namespace {
// A P4 (raw bitmap) Netpbm header with no rows: a format no structure check knows.
QByteArray pbmHeader(int w, int h) { return QByteArray("P4\n") + QByteArray::number(w) + ' ' + QByteArray::number(h) + '\n'; }
} // namespace

TEST(HostilePictures, AreRefusedByTheirStructureBeforeAnyDecoderSeesThem)
{
    // The refusal comes from the walk over the file's own lengths, which
    // allocates nothing: no decoder is handed these bytes at all.
    const struct {
        const char* what;
        QByteArray bytes;
        const char* says;
    } cases[] = {
        {"text chunk of 2 GB", hostile::pngWithTextChunk(), "\"tEXt\" declares 2147483647 bytes"},
        {"text chunk beyond the format's cap", hostile::pngWithTextChunk(0xFFFFFFF0u), "declares 4294967280 bytes"},
        {"IDAT past the end", hostile::pngIdatPastEnd(8000, 8000), "\"IDAT\" declares 1048576 bytes"},
        {"PNG cut inside a chunk header", hostile::pngStarved(64, 64).chopped(5), "cut short"},
        {"PNG starved of data", hostile::pngStarved(8000, 8000), "PNG declares 8000 x 8000 pixels, far more"},
        {"PNG too large", hostile::pngStarved(9000, 9000), "too large (9000 x 9000 pixels)"},
        // Sides of 2^32 - 1: their area does not fit 64 bits and once wrapped
        // round to a negative number, which passed as small.
        {"PNG of the largest sides", hostile::pngStarved(-1, -1), "too large (4294967295 x 4294967295 pixels)"},
        {"PNG strip of the largest height", hostile::pngStarved(1, -1), "too large (1 x 4294967295 pixels)"},
        {"GIF strip canvas", hostile::gifCanvas(20, 55295), "GIF's canvas declares 20 x 55295 pixels"},
        {"GIF square canvas", hostile::gifCanvas(8000, 8000), "GIF's canvas declares 8000 x 8000"},
        {"BMP of headers only", hostile::bmpHeadersOnly(8000, 8000), "rows need 192000054 bytes, but the file has 54"},
        {"BMP too large", hostile::bmpHeadersOnly(30000, 30000), "too large (30000 x 30000 pixels)"},
        {"JPEG claiming a size", hostile::jpegClaiming(8000, 8000), "JPEG declares 8000 x 8000 pixels, far more"},
        {"JPEG too large", hostile::jpegClaiming(9000, 9000), "too large"},
    };
    for (const auto& c : cases) {
        const QString why = picture_check::whyRefused(c.bytes);
        EXPECT_TRUE(why.contains(QString::fromLatin1(c.says))) << c.what << ": " << why.toStdString();
        ToolkitBitmap b;
        QString loadWhy;
        EXPECT_FALSE(imaging::loadFromData(c.bytes, b, 24, QSize(), &loadWhy)) << c.what;
        EXPECT_EQ(loadWhy, why) << c.what;
        EXPECT_TRUE(b.isNull());
    }
    EXPECT_EQ(hostile::pngWithTextChunk().size(), 277);
    EXPECT_EQ(hostile::gifCanvas(20, 55295).size(), 53);
    EXPECT_EQ(hostile::bmpHeadersOnly(8000, 8000).size(), 54);

    // A format without a structure check of its own is held to its declared
    // size against its length, from the header the reader parses.
    ToolkitBitmap b;
    QString why;
    EXPECT_FALSE(imaging::loadFromData(pbmHeader(5000, 5000), b, 24, QSize(), &why));
    EXPECT_TRUE(why.contains("5000 x 5000 pixels, far more than its 13 bytes")) << why.toStdString();
    EXPECT_TRUE(picture_check::whySizeRefused(QSize(5000, 5000), 15, true).isEmpty());
    EXPECT_FALSE(picture_check::whySizeRefused(QSize(9000, 9000), 1 << 30, true).isEmpty());
}

TEST(HostilePictures, SoundPicturesOfEveryFormatStillLoad)
{
    // The densest honest pictures: one colour all over, which every encoder
    // squeezes hardest, next to ordinary patterns.
    QImage plain(4000, 3000, QImage::Format_RGB32);
    plain.fill(Qt::white);
    QImage mono(4000, 3000, QImage::Format_Mono);
    mono.fill(0);
    const QImage pattern = testfiles::patternImage(640, 480);
    const struct {
        const char* what;
        QByteArray bytes;
        QSize size;
    } cases[] = {
        {"white PNG", testfiles::encode(plain, "png"), plain.size()},
        {"1-bit PNG", testfiles::encode(mono, "png"), mono.size()},
        {"white JPEG", testfiles::encode(plain, "jpeg", 50), plain.size()},
        {"progressive JPEG", testfiles::manyScanJpeg(640, 480, 0), QSize(640, 480)},
        {"pattern PNG", testfiles::encode(pattern, "png"), pattern.size()},
        {"pattern BMP", testfiles::encode(pattern, "bmp"), pattern.size()},
        {"small GIF canvas", hostile::gifCanvas(200, 150), QSize(200, 150)},
        {"PBM", testfiles::encode(mono.copy(0, 0, 640, 480), "pbm"), QSize(640, 480)},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(picture_check::whyRefused(c.bytes).isEmpty()) << c.what;
        ToolkitBitmap b;
        QString why;
        ASSERT_TRUE(imaging::loadFromData(c.bytes, b, 24, QSize(), &why)) << c.what << ": " << why.toStdString();
        EXPECT_EQ(b.image.size(), c.size) << c.what;
    }
    // Bytes after the end chunk are not the picture's: they are not walked.
    QByteArray trailing = testfiles::encode(pattern, "png") + QByteArray("\xff\xff\xff\xffjunk", 8);
    EXPECT_TRUE(picture_check::whyRefused(trailing).isEmpty());
}

// The embedded bitmaps' raw layout: read whole, both formats, and every
// damaged copy refused rather than read past its end.
TEST(Imaging, RawCopiesAreReadWholeAndDamagedOnesRefused)
{
    auto raw = [](quint32 w, quint32 h, quint32 f, const QImage& img) {
        QByteArray out;
        for (quint32 v : {w, h, f})
            for (int i = 0; i < 4; ++i)
                out.append(char((v >> (8 * i)) & 0xff));
        for (int y = 0; y < img.height(); ++y)
            out.append(reinterpret_cast<const char*>(img.constScanLine(y)), img.width() * 4);
        return out;
    };
    QImage rgb(5, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            rgb.setPixel(x, y, qRgb(x * 40, y * 80, 7));
    QImage argb = rgb.convertToFormat(QImage::Format_ARGB32);
    argb.setPixel(0, 0, qRgba(0, 0, 0, 0));
    for (const QImage& img : {rgb, argb}) {
        const QByteArray b = raw(5, 3, img.format(), img);
        const QImage back = imaging::fromRaw(reinterpret_cast<const uchar*>(b.constData()), b.size());
        EXPECT_EQ(back.format(), img.format());
        EXPECT_EQ(back, img);
    }
    const QByteArray good = raw(5, 3, QImage::Format_RGB32, rgb);
    const auto read = [](const QByteArray& b) {
        return imaging::fromRaw(reinterpret_cast<const uchar*>(b.constData()), b.size());
    };
    EXPECT_TRUE(read(good.left(good.size() - 1)).isNull()) << "a row cut short";
    EXPECT_TRUE(read(good + "x").isNull()) << "bytes past the rows";
    EXPECT_TRUE(read(good.left(11)).isNull()) << "no whole header";
    EXPECT_TRUE(read(raw(5, 3, QImage::Format_Indexed8, rgb)).isNull()) << "a format it does not hold";
    EXPECT_TRUE(read(raw(0x40000000, 0x40000000, QImage::Format_RGB32, QImage())).isNull()) << "a huge claim";
    EXPECT_TRUE(imaging::rawResource(QStringLiteral(":/no/such.raw")).isNull());
}
