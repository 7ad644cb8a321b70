// The front end's art must fit the places its windows copy it to: exact
// sizes, three distinct looks per strip, pure blue only around the shapes of
// the transparently copied buttons and no blue fringes at their edges, dark
// grounds where the windows write in white or green, and a progress fill
// that stays whole at every position.
#include "art.h"
#include "frontend_art.h"
#include "frontend_layout.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QResource>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

using namespace art::frontend;

QGuiApplication *app()
{
    static int argc = 1;
    static char name[] = "frontend_art_test";
    static char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication a(argc, argv);
    return &a;
}

QString artPath(const QString &name) { return QStringLiteral(ART_DIR "/") + name; }

QImage bitmap(const QString &name)
{
    return QImage(artPath(QStringLiteral("frontend/%1.png").arg(name))).convertToFormat(QImage::Format_RGB32);
}

const std::map<QString, QSize> kSizes = {
    {"01_MAIN", {800, 600}}, {"02_MAIN", {800, 600}},
    {"01_NEWGAME", {187, 150}}, {"01_LOADGAME", {244, 168}}, {"01_ABOUT", {111, 129}}, {"01_EXIT", {75, 132}},
    {"BAR_GAME", {61, 81}}, {"BAR_HELP", {51, 81}}, {"BAR_ICON", {28, 72}}, {"BAR_CLOSE", {28, 72}},
    {"MENU", {20, 123}}, {"181", {332, 207}}, {"140", {56, 26}}, {"141", {199, 43}},
    {"128", {48, 48}}, {"134", {32, 32}},
    {"08_NEWGAME", {215, 51}}, {"02_BACK", {102, 192}}, {"02_NEXT", {102, 198}}, {"02_FINISH", {102, 198}},
    {"HOME", {112, 324}}, {"02_RADIO", {37, 72}},
    {"02_GETIMAGE", {230, 52}}, {"02_GET_OPEN", {180, 87}}, {"02_GET_SCAN", {180, 87}},
    {"02_LEVEL", {230, 52}}, {"02_LEVEL_EASY", {78, 87}}, {"02_LEVEL_NORMAL", {127, 87}},
    {"02_LEVEL_HARD", {85, 87}}, {"02_LEVEL_OTHER", {129, 90}},
    {"03_ROTATE", {250, 52}}, {"03_ROTATE_YES", {55, 87}}, {"03_ROTATE_NO", {43, 87}},
    {"04_SAVENAME", {230, 52}},
    {"05_CREATE", {133, 52}}, {"05_CREATE_PLAY", {101, 111}}, {"05_CREATE_EMAIL", {112, 84}},
    {"08_LOADGAME", {215, 51}}, {"07_LOAD_MAIN", {288, 99}},
    {"07_LOAD_PLAY", {160, 126}}, {"07_LOAD_EMAIL", {195, 111}}, {"07_LOAD_RENAME", {206, 111}},
    {"07_LOAD_DELETE", {182, 111}}, {"07_LOAD_UP", {63, 114}}, {"07_LOAD_DN", {59, 114}},
    {"07_LOAD_FRAME", {411, 164}},
};

// Strips of three looks stacked.
const QStringList kStrips = {"01_NEWGAME", "01_LOADGAME", "01_ABOUT", "01_EXIT",
                             "BAR_GAME", "BAR_HELP", "BAR_ICON", "BAR_CLOSE",
                             "02_BACK", "02_NEXT", "02_FINISH", "HOME",
                             "02_GET_OPEN", "02_GET_SCAN", "02_LEVEL_EASY", "02_LEVEL_NORMAL", "02_LEVEL_HARD",
                             "02_LEVEL_OTHER", "03_ROTATE_YES", "03_ROTATE_NO", "05_CREATE_PLAY", "05_CREATE_EMAIL",
                             "07_LOAD_PLAY", "07_LOAD_EMAIL", "07_LOAD_RENAME", "07_LOAD_DELETE",
                             "07_LOAD_UP", "07_LOAD_DN"};

// Buttons copied transparently, with the place they are copied to.
const std::map<QString, QRect> kKeyed = {
    {"01_NEWGAME", kMenuNewGame}, {"01_LOADGAME", kMenuLoadGame}, {"01_ABOUT", kMenuAbout}, {"01_EXIT", kMenuExit},
    {"07_LOAD_UP", kLoadUp}, {"07_LOAD_DN", kLoadDown},
};
// The main menu's buttons lie on its own background; the page arrows on
// the load window's, which is the wizard's.
const char *backgroundOf(const QString &name) { return name.startsWith("01_") ? "01_MAIN" : "02_MAIN"; }

bool isKey(QRgb c) { return (c & 0xffffff) == 0x0000ff; }

// How much bluer than red or green a colour is.
int blueCast(QRgb c) { return qBlue(c) - std::max(qRed(c), qGreen(c)); }

int differingPixels(const QImage &a, const QImage &b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

double meanLuma(const QImage &img, const QRect &r, int *brightest = nullptr)
{
    double sum = 0;
    int top = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const int g = qGray(img.pixel(x, y));
            sum += g;
            top = std::max(top, g);
        }
    if (brightest) *brightest = top;
    return sum / (r.width() * r.height());
}

class FrontendArtTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { app(); }
};

TEST_F(FrontendArtTest, EveryBitmapHasItsSizeInTheFilesAndTheResources)
{
    initFrontendArt();
    for (const auto &[name, size] : kSizes) {
        EXPECT_EQ(bitmap(name).size(), size) << qPrintable(name);
        EXPECT_EQ(frontendBitmap(name).size(), size) << "resource " << qPrintable(name);
    }
    // Nothing drawn that no window loads, nothing loaded that is not drawn.
    const std::vector<art::NamedBitmap> drawn = art::frontendBitmaps();
    EXPECT_EQ(drawn.size(), kSizes.size());
    for (const art::NamedBitmap &b : drawn) EXPECT_TRUE(kSizes.count(b.name)) << "unexpected " << qPrintable(b.name);
    EXPECT_TRUE(frontendBitmap(QStringLiteral("NO_SUCH")).isNull());
}

// The windows get the raw copies; they must be their PNGs to the pixel and
// keep an icon's transparent corners.
TEST_F(FrontendArtTest, TheRawCopiesTheWindowsGetAreThePngsPixelForPixel)
{
    initFrontendArt();
    for (const auto &[name, size] : kSizes) {
        ASSERT_TRUE(QResource(QStringLiteral(":/frontend/") + name + QStringLiteral(".raw")).isValid())
            << qPrintable(name);
        const QImage png(QStringLiteral(":/frontend/") + name + QStringLiteral(".png"));
        const QImage got = frontendBitmap(name);
        EXPECT_EQ(got.format(), png.format()) << qPrintable(name);
        EXPECT_EQ(got, png) << qPrintable(name);
    }
}

TEST_F(FrontendArtTest, StripsHoldThreeDistinctLooks)
{
    for (const QString &name : kStrips) {
        const QImage strip = bitmap(name);
        ASSERT_EQ(strip.height() % 3, 0) << qPrintable(name);
        const int h = strip.height() / 3, w = strip.width();
        const QImage normal = strip.copy(0, 0, w, h), hot = strip.copy(0, h, w, h), pressed = strip.copy(0, 2 * h, w, h);
        const int clear = w * h / 20; // a look must change a visible share of the button
        EXPECT_GT(differingPixels(normal, hot), clear) << qPrintable(name);
        EXPECT_GT(differingPixels(normal, pressed), clear) << qPrintable(name);
        EXPECT_GT(differingPixels(hot, pressed), clear) << qPrintable(name);
    }
}

TEST_F(FrontendArtTest, TransparentButtonsArePureBlueOnlyAroundTheirShapes)
{
    for (const auto &[name, place] : kKeyed) {
        const QImage strip = bitmap(name);
        const QImage bg = bitmap(backgroundOf(name));
        const int h = place.height(), w = place.width();
        ASSERT_EQ(strip.size(), QSize(w, 3 * h)) << qPrintable(name);
        for (int look = 0; look < 3; ++look) {
            const int y0 = look * h;
            // Corners are surroundings, the middle is the button.
            for (QPoint c : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1)})
                EXPECT_TRUE(isKey(strip.pixel(c.x(), y0 + c.y()))) << qPrintable(name) << " look " << look;
            EXPECT_FALSE(isKey(strip.pixel(w / 2, y0 + h / 2))) << qPrintable(name) << " look " << look;

            int shape = 0;
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    const QRgb c = strip.pixel(x, y0 + y);
                    if (isKey(c)) continue;
                    ++shape;
                    // An edge pixel (next to the surroundings) must not be
                    // bluer than what lies on either side of it: the window
                    // behind, or the button's own neighbouring pixels.
                    bool edge = false;
                    int allowed = blueCast(bg.pixel(place.x() + x, place.y() + y));
                    for (int dy = -1; dy <= 1; ++dy)
                        for (int dx = -1; dx <= 1; ++dx) {
                            const int nx = x + dx, ny = y + dy;
                            if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
                            const QRgb n = strip.pixel(nx, y0 + ny);
                            if (isKey(n))
                                edge = true;
                            else if (dx || dy)
                                allowed = std::max(allowed, blueCast(n));
                        }
                    if (edge) {
                        ASSERT_LE(blueCast(c), allowed + 24)
                            << qPrintable(name) << " look " << look << " blue fringe at " << x << "," << y;
                    }
                }
            }
            // The shape is most of the look, not a speck.
            EXPECT_GT(shape, w * h / 2) << qPrintable(name) << " look " << look;
        }
    }
}

TEST_F(FrontendArtTest, CaptionButtonsMatchTheCaptionOfEveryWindow)
{
    // The help, minimise and close bitmaps are shared by the main menu, the
    // wizard and the load window, so the caption under them is the same.
    const QImage mainBg = bitmap("01_MAIN"), wizardBg = bitmap("02_MAIN");
    for (const QRect &r : {kBarHelp, kBarIcon, kBarClose})
        EXPECT_EQ(mainBg.copy(r), wizardBg.copy(r)) << r.x();
    const struct { const char *name; QRect place; } bars[] = {
        {"BAR_GAME", kMenuGame}, {"BAR_HELP", kBarHelp}, {"BAR_ICON", kBarIcon}, {"BAR_CLOSE", kBarClose}};
    for (const auto &b : bars) {
        const QImage strip = bitmap(b.name);
        for (int look = 0; look < 3; ++look)
            EXPECT_EQ(strip.pixel(0, look * b.place.height()), mainBg.pixel(b.place.topLeft()))
                << b.name << " look " << look << ": its corner shows as a box";
    }
}

TEST_F(FrontendArtTest, TextGroundsAreDark)
{
    // Game menu items are written in green from 7 pixels below each row's
    // top; every tile of "MENU" must be dark there.
    const QImage menu = bitmap("MENU");
    for (int t = 0; t < 3; ++t) EXPECT_LT(meanLuma(menu, QRect(0, t * kMenuRowH + 7, kMenuTileW, 24)), 30.0) << t;

    // "Version 1.0" is written in white over the about picture.
    const QImage about = bitmap("181");
    int brightest = 0;
    EXPECT_LT(meanLuma(about, kAboutVersion, &brightest), 30.0);
    EXPECT_LT(brightest, 80) << "something light stands where the version is written";
    // ...and the rest of the picture is not empty.
    EXPECT_GT(differingPixels(about.copy(0, 0, 332, 90), QImage(332, 90, QImage::Format_RGB32)), 332 * 90 / 2);
}

TEST_F(FrontendArtTest, RadioMarksLieOnFlatPanelWhereverAPageDrawsThem)
{
    // A mark is copied 37 pixels left of its option on the page, so the
    // page panel must be one colour under every such place, the colour
    // around the mark's sockets.
    const QImage bg = bitmap("02_MAIN"), radio = bitmap("02_RADIO");
    const QRgb panel = radio.pixel(0, 0);
    for (QPoint c : {QPoint(kRadioW - 1, 0), QPoint(0, 2 * kRadioH - 1), QPoint(kRadioW - 1, 2 * kRadioH - 1)})
        EXPECT_EQ(radio.pixel(c), panel);
    const QImage off = radio.copy(0, 0, kRadioW, kRadioH), on = radio.copy(0, kRadioH, kRadioW, kRadioH);
    EXPECT_GT(differingPixels(off, on), 60) << "on and off look alike";
    for (const QRect &option : {kGetOpen, kGetScan, kLevelEasy, kLevelNormal, kLevelHard, kLevelOther, kRotateYes,
                                kRotateNo, kCreatePlay, kCreateEmail}) {
        const QRect mark = QRect(option.left() - kRadioShift, option.top(), kRadioW, kRadioH).translated(kPageArea.topLeft());
        ASSERT_TRUE(kPageArea.contains(mark)) << option.x() << "," << option.y();
        for (int y = mark.top(); y <= mark.bottom(); ++y)
            for (int x = mark.left(); x <= mark.right(); ++x)
                ASSERT_EQ(bg.pixel(x, y), panel) << "panel not flat at " << x << "," << y;
    }
}

TEST_F(FrontendArtTest, NameUnderThePreviewIsWrittenOnALightGround)
{
    // The wizard writes the puzzle's name in black, 20 pixels above the
    // preview area's foot, centred in it.
    const QImage bg = bitmap("02_MAIN");
    const QRect line(kPreviewArea.left() + 20, kNameTop, kPreviewArea.width() - 40, 16);
    int brightest = 0;
    EXPECT_GT(meanLuma(bg, line, &brightest), 190.0);
}

TEST_F(FrontendArtTest, SlotFramesDifferAndTakeBlackTextBelowThePicture)
{
    const QImage frames = bitmap("07_LOAD_FRAME");
    const int w = kSlot0.width(), h = kSlot0.height();
    const QImage normal = frames.copy(0, 0, w, h), hover = frames.copy(w, 0, w, h), selected = frames.copy(2 * w, 0, w, h);
    EXPECT_GT(differingPixels(normal, hover), w * h / 20);
    EXPECT_GT(differingPixels(normal, selected), w * h / 20);
    EXPECT_GT(differingPixels(hover, selected), w * h / 20);
    // Name and size are written in black, centred, from row 120 to 154;
    // a 14-character name is about 100 pixels wide.
    for (int k = 0; k < 3; ++k) {
        const QImage f = frames.copy(k * w, 0, w, h);
        EXPECT_GT(meanLuma(f, QRect(18, kSlotNameTop, w - 36, 154 - kSlotNameTop)), 190.0) << "frame " << k;
        // The thumbnail (at most 100 x 100) is centred on a light well.
        EXPECT_GT(meanLuma(f, QRect(w / 2 - 50, kSlotPictureH / 2 - 50, 100, 100)), 170.0) << "frame " << k;
    }
}

// The progress bar as the window paints it at fill end e.
QImage progressAt(int e)
{
    const QImage bg = bitmap("141"), tiles = bitmap("140");
    QImage out = bg;
    auto copy = [&](int dx, int sx, int w) {
        for (int y = 0; y < 26; ++y)
            for (int x = 0; x < w; ++x) out.setPixel(dx + x, 9 + y, tiles.pixel(sx + x, y));
    };
    const int m = e % 14;
    copy(9, 0, 14);
    copy(23, 14, m);
    if (m + 14 < e - 14) {
        const int n = ((e - 14) - (m + 14) + 13) / 14;
        for (int k = 0; k < n; ++k) copy(m + 23 + 14 * k, 14, 14);
    }
    if (e == 178)
        copy(173, 42, 14);
    else
        copy(e - 5, 28, 14);
    return out;
}

TEST_F(FrontendArtTest, ProgressFillIsWholeAtEveryPosition)
{
    const QImage bg = bitmap("141");
    const QRgb track = bg.pixel(kProgressTrack.center());
    // The track is one colour, the colour the tiles have around their ends.
    for (int x = kProgressTrack.left(); x <= kProgressTrack.right(); ++x)
        ASSERT_EQ(bg.pixel(x, 9 + 13), track) << x;
    const QImage tiles = bitmap("140");
    EXPECT_EQ(tiles.pixel(0, 0), track);
    EXPECT_EQ(tiles.pixel(2 * 14 + 13, 13), track) << "the moving end is rounded off";

    const int middle = 9 + 13;
    for (int e = 28; e <= 178; ++e) {
        if (e > 164 && e < 178) continue; // such ends are shown as full
        const QImage bar = progressAt(e);
        const int end = e == 178 ? 186 : e + 4;
        for (int x = 11; x <= end; ++x)
            ASSERT_NE(bar.pixel(x, middle), track) << "gap in the fill at x " << x << " for end " << e;
        for (int x = end + 6; x <= kProgressTrack.right(); ++x)
            ASSERT_EQ(bar.pixel(x, middle), track) << "fill beyond its end at x " << x << " for end " << e;
    }
}

TEST_F(FrontendArtTest, IconsAreSquareAndTheLauncherIconsExist)
{
    for (const char *name : {"128", "134"}) {
        const QImage icon(artPath(QStringLiteral("frontend/%1.png").arg(name)));
        EXPECT_EQ(icon.width(), icon.height()) << name;
        EXPECT_TRUE(icon.hasAlphaChannel()) << name << " has square corners";
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << name;
        EXPECT_EQ(qAlpha(icon.pixel(icon.width() / 2, icon.height() / 2)), 255) << name;
    }
    for (const char *name : {"Vorlin.png", "TileMender.png"}) {
        const QImage icon(artPath(QString::fromLatin1(name)));
        ASSERT_FALSE(icon.isNull()) << name;
        EXPECT_EQ(icon.width(), icon.height()) << name;
        EXPECT_GE(icon.width(), 128) << name;
    }
    EXPECT_NE(art::vorlinIcon(64), art::tileMenderIcon(64));
}

TEST_F(FrontendArtTest, DrawingTwiceGivesTheSameBitmaps)
{
    const auto a = art::frontendBitmaps(), b = art::frontendBitmaps();
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].image, b[i].image) << qPrintable(a[i].name);
}

} // namespace
