// Everything the generator draws. Each function returns a finished picture
// or sound; main.cpp only decides the file names.
#pragma once

#include <QByteArray>
#include <QImage>

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

// 16-bit mono PCM WAV files.
QByteArray joinSound();
QByteArray fanfareSound();

} // namespace art
