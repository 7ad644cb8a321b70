// Everything the generator draws. Each function returns a finished picture
// or sound; main.cpp only decides the file names.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>

#include <vector>

namespace art {

struct Bitmap {
    int id;       // resource id the player loads it by
    QImage image;
};

// The 800 x 600 window background (also the splash).
QImage background();

// Caption buttons, big picture buttons and the scroll thumb; they are drawn
// over the background pixels they cover.
std::vector<Bitmap> buttonBitmaps(const QImage &bg);

// Board tiles, tray frame pieces and caption icons, drop-down menu pieces.
std::vector<Bitmap> frameBitmaps();

// Every bitmap resource of the player, sorted by id.
std::vector<Bitmap> playerBitmaps(const QImage &bg);

// Shown when the puzzle is complete; the thumbnail goes into the 190 x 139
// box at (85, 44).
QImage finishPicture();
constexpr int kFinishW = 360;
constexpr int kFinishH = 240;

// A ready-made 640 x 480 picture for a first puzzle.
QImage samplePicture();

// --- Vorlin, the front end --------------------------------------------------

struct NamedBitmap {
    QString name; // the name its windows load it by
    QImage image;
};

// Every bitmap of the front end: the main menu's, the wizard's and the load
// window's.
std::vector<NamedBitmap> frontendBitmaps();

// The keyboard focus look ("FOCUS"), drawn by every skinned window around
// the button the keyboard is on; the rest of the bitmap is the key colour.
QImage focusCorners();
// The front end's bitmaps that belong to no single window: the focus look.
std::vector<NamedBitmap> keyboardBitmaps();

// The 800 x 600 backgrounds: "01_MAIN" of the main menu, "02_MAIN" of the
// wizard and the load window.
QImage mainMenuBackground();
QImage wizardBackground();

// The main menu's buttons, game menu tiles, about picture, progress bar
// and icons.
std::vector<NamedBitmap> mainMenuBitmaps(const QImage &mainBg);
// The wizard's title, buttons, page titles, options and radio mark.
std::vector<NamedBitmap> wizardBitmaps(const QImage &wizardBg);
// The load window's title, picture, buttons and slot frames.
std::vector<NamedBitmap> loadWindowBitmaps(const QImage &wizardBg);

// A jigsaw of the sample picture drawn into box, framed and with one piece
// lifted out beside it when liftOne (the main menu's picture), or plain
// (small cards in the load window).
void paintPuzzleCollage(QPainter &p, const QRectF &box, int columns, int rows, bool liftOne = true);

// The suite's name in green beside a green piece, centred on centre, the
// letters px high.
void paintSuiteTitle(QPainter &p, QPointF centre, int px);

// Square program icons of any size: Vorlin's and TileMender's.
QImage vorlinIcon(int size);
QImage tileMenderIcon(int size);

// 16-bit mono PCM WAV files.
QByteArray joinSound();
QByteArray fanfareSound();

} // namespace art
