// The generated art must fit the places the player draws it to: exact
// sizes, three distinct looks per button, pieces that join, black where the
// player writes on black, and sound files any player accepts.
#include "art.h"
#include "layout.h"
#include "player_art.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QResource>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>

namespace {

QGuiApplication *app()
{
    static int argc = 1;
    static char name[] = "artgen_test";
    static char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication a(argc, argv);
    return &a;
}

QString artPath(const QString &name) { return QStringLiteral(ART_DIR "/") + name; }

QImage bitmap(int id)
{
    QImage img(artPath(QStringLiteral("player/%1.png").arg(id)));
    return img.convertToFormat(QImage::Format_RGB32);
}

// Number of pixels in which two equally sized images differ.
int differingPixels(const QImage &a, const QImage &b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

bool isBlack(const QImage &img, const QRect &r)
{
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qRed(img.pixel(x, y)) || qGreen(img.pixel(x, y)) || qBlue(img.pixel(x, y)))
                return false;
    return true;
}

class ArtTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { app(); }
};

// --- bitmaps ---------------------------------------------------------

const std::map<int, QSize> kSizes = {
    {143, {15, 23}}, {144, {23, 23}}, {145, {23, 23}}, {146, {23, 15}}, {147, {23, 15}},
    {149, {15, 37}}, {150, {23, 37}}, {151, {23, 37}}, {153, {11, 42}},
    {154, {80, 210}}, {155, {75, 210}}, {156, {68, 210}}, {157, {67, 210}},
    {159, {61, 81}}, {160, {83, 81}}, {161, {51, 81}}, {162, {28, 72}}, {169, {28, 72}},
    {163, {62, 62}}, {164, {20, 123}}, {165, {19, 114}}, {170, {28, 14}}, {171, {28, 14}},
};

TEST_F(ArtTest, EveryBitmapHasTheSizeThePlayerDrawsItAt)
{
    for (const auto &[id, size] : kSizes) {
        const QImage img = bitmap(id);
        ASSERT_FALSE(img.isNull()) << "bitmap " << id << " missing";
        EXPECT_EQ(img.size(), size) << "bitmap " << id;
    }
    // Nothing drawn that the player does not load, nothing loaded not drawn.
    const std::vector<art::Bitmap> drawn = art::playerBitmaps(art::background());
    ASSERT_EQ(drawn.size(), kSizes.size());
    for (const art::Bitmap &b : drawn)
        EXPECT_TRUE(kSizes.count(b.id)) << "unexpected bitmap " << b.id;
}

TEST_F(ArtTest, ButtonStripsHoldThreeDistinctLooksOverTheirBackground)
{
    using namespace art::layout;
    const QImage bg = art::background();
    for (const Slot &s : {kGame, kOptions, kHelp, kMinimize, kClose, kRotate, kRestart, kHint, kAddTray}) {
        const QImage strip = bitmap(s.id);
        ASSERT_EQ(strip.height(), 3 * s.h) << s.id;
        const QImage normal = strip.copy(0, 0, s.w, s.h);
        const QImage hot = strip.copy(0, s.h, s.w, s.h);
        const QImage pressed = strip.copy(0, 2 * s.h, s.w, s.h);
        const int clear = s.w * s.h / 20; // a look must change a visible share of the button
        EXPECT_GT(differingPixels(normal, hot), clear) << s.id;
        EXPECT_GT(differingPixels(normal, pressed), clear) << s.id;
        EXPECT_GT(differingPixels(hot, pressed), clear) << s.id;
        // Each look's corners are the background it is drawn over, so the
        // button sits on the window without a visible box.
        for (int look = 0; look < 3; ++look)
            for (QPoint c : {QPoint(0, 0), QPoint(s.w - 1, 0), QPoint(0, s.h - 1), QPoint(s.w - 1, s.h - 1)})
                EXPECT_EQ(strip.pixel(c.x(), look * s.h + c.y()), bg.pixel(s.x + c.x(), s.y + c.y()))
                    << "button " << s.id << " look " << look << " corner " << c.x() << "," << c.y();
    }
}

TEST_F(ArtTest, BigButtonFacesSitWhereTheClicksLand)
{
    using namespace art::layout;
    const QImage bg = art::background();
    const struct { Slot slot; QRect face; } buttons[] = {
        {kRotate, kRotateFace}, {kRestart, kRestartFace}, {kHint, kHintFace}, {kAddTray, kAddTrayFace}};
    for (const auto &b : buttons) {
        const QImage strip = bitmap(b.slot.id);
        for (int look = 0; look < 3; ++look) {
            // The middle of the clickable part shows the button...
            const QPoint mid = b.face.center();
            EXPECT_NE(strip.pixel(mid.x(), look * b.slot.h + mid.y()), bg.pixel(b.slot.x + mid.x(), b.slot.y + mid.y()))
                << b.slot.id << " look " << look;
            // ...and a column well left of it is still background: a face
            // there would invite clicks that miss.
            if (b.face.left() >= 6) {
                for (int y = 0; y < b.slot.h; ++y) {
                    ASSERT_EQ(strip.pixel(1, look * b.slot.h + y), bg.pixel(b.slot.x + 1, b.slot.y + y))
                        << b.slot.id << " look " << look << " y " << y;
                }
            }
        }
    }
}

TEST_F(ArtTest, BoardTilesKeepTheirRimOutsideThePicture)
{
    const QImage tiles = bitmap(163);
    const QImage centre = tiles.copy(21, 21, 20, 20);
    const int offs[3] = {0, 21, 42};
    for (int ty = 0; ty < 3; ++ty) {
        for (int tx = 0; tx < 3; ++tx) {
            const QImage t = tiles.copy(offs[tx], offs[ty], 20, 20);
            // Only the outer 4 pixels on the board's outside may differ from
            // the centre tile: the rest lies under the picture's place.
            const int x0 = tx == 0 ? 4 : 0, x1 = tx == 2 ? 15 : 19;
            const int y0 = ty == 0 ? 4 : 0, y1 = ty == 2 ? 15 : 19;
            for (int y = y0; y <= y1; ++y)
                for (int x = x0; x <= x1; ++x)
                    ASSERT_EQ(t.pixel(x, y), centre.pixel(x, y)) << "tile " << tx << "," << ty << " at " << x << "," << y;
            if (tx == 0) {
                EXPECT_NE(t.pixel(1, 10), centre.pixel(1, 10)) << "no left rim";
            }
            if (ty == 2) {
                EXPECT_NE(t.pixel(10, 18), centre.pixel(10, 18)) << "no bottom rim";
            }
        }
    }
}

TEST_F(ArtTest, TrayFramePiecesJoinAndCarryTheTitlePurple)
{
    const QImage tl = bitmap(150), top = bitmap(149), tr = bitmap(151);
    const QImage left = bitmap(146), right = bitmap(147);
    const QImage bl = bitmap(144), bottom = bitmap(143), brc = bitmap(145);
    // Edge tiles repeat: their first and last lines continue each other.
    for (int y = 0; y < 37; ++y) EXPECT_EQ(top.pixel(0, y), top.pixel(14, y)) << y;
    for (int x = 0; x < 23; ++x) {
        EXPECT_EQ(left.pixel(x, 0), left.pixel(x, 14)) << x;
        EXPECT_EQ(tl.pixel(x, 36), left.pixel(x, 0)) << "corner to left edge, x " << x;
        EXPECT_EQ(tr.pixel(x, 36), right.pixel(x, 0)) << "corner to right edge, x " << x;
        EXPECT_EQ(bl.pixel(x, 0), left.pixel(x, 14)) << "left edge to corner, x " << x;
        EXPECT_EQ(brc.pixel(x, 0), right.pixel(x, 14)) << "right edge to corner, x " << x;
    }
    for (int y = 0; y < 23; ++y) EXPECT_EQ(bottom.pixel(0, y), bottom.pixel(14, y)) << y;
    // The title is written on an opaque purple; the caption behind it must
    // be that very purple or the title shows as a box.
    const QRgb purple = qRgb(143, 0, 219);
    for (int y = 2; y < 17; ++y)
        for (int x = 0; x < 15; ++x) ASSERT_EQ(top.pixel(x, y), purple) << x << "," << y;

    // Minimize, close and restore icons, 19 pixels apart at 0, 57 and 76.
    const QImage icons = bitmap(165);
    const QImage mini = icons.copy(0, 0, 19, 19), close = icons.copy(0, 57, 19, 19), restore = icons.copy(0, 76, 19, 19);
    EXPECT_GT(differingPixels(mini, close), 20);
    EXPECT_GT(differingPixels(mini, restore), 20);
    EXPECT_GT(differingPixels(close, restore), 20);
}

TEST_F(ArtTest, MenuPiecesAreBlackWhereTextAndIconsAreWritten)
{
    const QImage tiles = bitmap(164);
    for (int t = 0; t < 3; ++t) // text rows of every tile (at y + 7, 19 pixels high plus descent)
        EXPECT_TRUE(isBlack(tiles, QRect(t == 2 ? 0 : 3, t * 41 + 7, t == 2 ? 16 : 17, 24))) << "tile " << t;
    EXPECT_TRUE(isBlack(tiles, QRect(6, 13, 14, 14))) << "icon place";

    const QImage hot = bitmap(170), plain = bitmap(171);
    EXPECT_GT(differingPixels(hot, plain), 20);
    EXPECT_GT(differingPixels(plain.copy(0, 0, 14, 14), plain.copy(14, 0, 14, 14)), 20) << "check equals cross";
    EXPECT_FALSE(isBlack(plain, QRect(0, 0, 14, 14)));
    EXPECT_FALSE(isBlack(plain, QRect(14, 0, 14, 14)));
}

// --- pictures ----------------------------------------------------------

TEST_F(ArtTest, BackgroundLeavesTheClockItsBlackSlot)
{
    const QImage bg = art::background();
    ASSERT_EQ(bg.size(), QSize(800, 600));
    // " 0:00:00" to "99:59:59" at (350, 2) in the 19-pixel font.
    EXPECT_TRUE(isBlack(bg, QRect(344, 2, 118, 22)));

    const QImage file(artPath(QStringLiteral("TileMenderBk.JPG")));
    EXPECT_EQ(file.size(), QSize(800, 600));
}

TEST_F(ArtTest, CounterStandsOnADarkPlate)
{
    // The piece counter is yellow without a background of its own, centred
    // over the column with its bottom on the column's top edge.
    const QImage bg = art::background();
    const QRect behind(art::layout::kColumn.left() + 20, art::layout::kColumn.top() - 19, art::layout::kColumn.width() - 40, 18);
    double luma = 0;
    for (int y = behind.top(); y <= behind.bottom(); ++y)
        for (int x = behind.left(); x <= behind.right(); ++x)
            luma += qGray(bg.pixel(x, y));
    EXPECT_LT(luma / (behind.width() * behind.height()), 70.0);
}

TEST_F(ArtTest, DrawingTheArtTwiceGivesTheSameFiles)
{
    // The build regenerates the art whenever the generator changes; the
    // result must not depend on the run.
    EXPECT_EQ(art::background(), art::background());
    EXPECT_EQ(art::samplePicture(), art::samplePicture());
    EXPECT_EQ(art::finishPicture(), art::finishPicture());
    EXPECT_EQ(art::joinSound(), art::joinSound());
    EXPECT_EQ(art::fanfareSound(), art::fanfareSound());
    const QImage bg = art::background();
    const auto a = art::playerBitmaps(bg), b = art::playerBitmaps(bg);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].image, b[i].image) << a[i].id;
}

TEST_F(ArtTest, FinishPictureIsA24BitBmpFramingTheThumbnailBox)
{
    QFile f(artPath(QStringLiteral("finish.bmp")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray b = f.readAll();
    ASSERT_GE(b.size(), 54);
    EXPECT_EQ(b.left(2), QByteArray("BM"));
    const auto *d = reinterpret_cast<const uchar *>(b.constData());
    EXPECT_EQ(qFromLittleEndian<qint32>(d + 18), art::kFinishW);
    EXPECT_EQ(std::abs(qFromLittleEndian<qint32>(d + 22)), art::kFinishH);
    EXPECT_EQ(qFromLittleEndian<quint16>(d + 28), 24);

    // The box lies inside the picture with a margin, and is one calm colour
    // so a small thumbnail is shown on a plain ground.
    const QImage img = QImage(artPath(QStringLiteral("finish.bmp"))).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(img.size(), QSize(art::kFinishW, art::kFinishH));
    const QRect box(85, 44, 190, 139);
    ASSERT_TRUE(img.rect().adjusted(8, 8, -8, -8).contains(box));
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            ASSERT_EQ(img.pixel(x, y), img.pixel(box.topLeft())) << x << "," << y;
}

TEST_F(ArtTest, SamplePictureGivesEveryPieceSomethingToShow)
{
    const QImage img = QImage(artPath(QStringLiteral("Sample.jpg"))).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(img.size(), QSize(640, 480));
    // At the hard level (cells of 48) no cell may be a flat patch.
    for (int cy = 0; cy < 10; ++cy) {
        for (int cx = 0; cx < 13; ++cx) {
            double sum[3] = {0, 0, 0}, sq[3] = {0, 0, 0};
            for (int y = cy * 48; y < cy * 48 + 48; ++y)
                for (int x = cx * 48; x < cx * 48 + 48; ++x) {
                    const QRgb p = img.pixel(x, y);
                    const int c[3] = {qRed(p), qGreen(p), qBlue(p)};
                    for (int k = 0; k < 3; ++k) sum[k] += c[k], sq[k] += c[k] * c[k];
                }
            double var = 0;
            for (int k = 0; k < 3; ++k) var += sq[k] / 2304 - (sum[k] / 2304) * (sum[k] / 2304);
            EXPECT_GT(std::sqrt(var), 12.0) << "cell " << cx << "," << cy << " is nearly flat";
        }
    }
}

// --- sounds ------------------------------------------------------------

struct Wav {
    int channels = 0, rate = 0, bits = 0, format = 0;
    std::vector<qint16> samples;
};

// Reads a canonical WAV file and checks that its sizes add up.
bool readWav(const QByteArray &b, Wav &w)
{
    if (b.size() < 44 || b.left(4) != "RIFF" || b.mid(8, 8) != "WAVEfmt ") return false;
    const auto *d = reinterpret_cast<const uchar *>(b.constData());
    if (qFromLittleEndian<quint32>(d + 4) != quint32(b.size() - 8)) return false;
    if (qFromLittleEndian<quint32>(d + 16) != 16) return false;
    w.format = qFromLittleEndian<quint16>(d + 20);
    w.channels = qFromLittleEndian<quint16>(d + 22);
    w.rate = int(qFromLittleEndian<quint32>(d + 24));
    const quint32 byteRate = qFromLittleEndian<quint32>(d + 28);
    const quint16 align = qFromLittleEndian<quint16>(d + 32);
    w.bits = qFromLittleEndian<quint16>(d + 34);
    if (byteRate != quint32(w.rate * w.channels * w.bits / 8) || align != w.channels * w.bits / 8) return false;
    if (b.mid(36, 4) != "data" || qFromLittleEndian<quint32>(d + 40) != quint32(b.size() - 44)) return false;
    for (int i = 44; i + 1 < b.size(); i += 2) w.samples.push_back(qFromLittleEndian<qint16>(d + i));
    return true;
}

void checkSound(const QString &path, double minSeconds, double maxSeconds)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << qPrintable(path);
    const QByteArray bytes = f.readAll();
    Wav w;
    ASSERT_TRUE(readWav(bytes, w)) << qPrintable(path);
    EXPECT_EQ(w.format, 1);
    EXPECT_EQ(w.channels, 1);
    EXPECT_EQ(w.bits, 16);
    EXPECT_EQ(w.rate, 22050);
    const double seconds = double(w.samples.size()) / w.rate;
    EXPECT_GE(seconds, minSeconds);
    EXPECT_LE(seconds, maxSeconds);
    int peak = 0;
    for (qint16 s : w.samples) peak = std::max(peak, std::abs(int(s)));
    EXPECT_GT(peak, 8000) << "too quiet";
    EXPECT_LT(peak, 32767) << "clipped";
    // Ends in silence, so stopping there makes no click.
    EXPECT_LT(std::abs(int(w.samples.back())), 200);
}

TEST_F(ArtTest, SoundsAreShortCleanPcmFiles)
{
    checkSound(artPath(QStringLiteral("player/134.wav")), 0.03, 0.2);
    checkSound(artPath(QStringLiteral("app.wav")), 1.0, 2.5);
}

// --- embedding ---------------------------------------------------------

TEST_F(ArtTest, PlayerFindsItsArtAmongTheResources)
{
    initPlayerArt();
    for (const auto &[id, size] : kSizes) {
        // The raw copy: its width, height and format, then as many RGB32
        // rows, stored uncompressed so that the player can copy it as it is.
        const QResource r(QStringLiteral(":/player/%1.raw").arg(id));
        ASSERT_TRUE(r.isValid()) << "resource " << id;
        EXPECT_EQ(r.compressionAlgorithm(), QResource::NoCompression) << id;
        ASSERT_GE(r.size(), 12) << id;
        quint32 w = 0, h = 0, f = 0;
        std::memcpy(&w, r.data(), 4);
        std::memcpy(&h, r.data() + 4, 4);
        std::memcpy(&f, r.data() + 8, 4);
        EXPECT_EQ(QSize(int(w), int(h)), size) << "resource " << id;
        EXPECT_EQ(f, quint32(QImage::Format_RGB32)) << id;
        EXPECT_EQ(r.size(), 12 + qint64(w) * h * 4) << id;
    }
    QFile click(QStringLiteral(":/player/134.wav"));
    ASSERT_TRUE(click.open(QIODevice::ReadOnly));
    Wav w;
    EXPECT_TRUE(readWav(click.readAll(), w));
}

} // namespace
