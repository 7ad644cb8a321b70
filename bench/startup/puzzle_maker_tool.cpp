// Makes what the start-up bench opens, in FOLDER: picture.jpg (640 x 480,
// photo-like, so that its JPEG is as large as a real photo's) and the
// puzzles p48, p130, p300 (cut from that picture as the front end's levels
// cut it) and p10000 (a 1000 x 640 picture in 8-pixel cells), whose picture
// is also written alone as picture10000.jpg for the reference to show.
//
//   startup_maker FOLDER

#include "crt_random.h"
#include "puzzle_file.h"
#include "test_files.h"

#include <QFile>
#include <QCoreApplication>
#include <QImage>

#include <cstdio>

namespace {

QImage photoLike(int w, int h)
{
    // Smooth gradients with some detail, like bench_open's.
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 255 / w + (x * y) % 17) & 0xFF, (y * 255 / h + (x ^ y) % 23) & 0xFF,
                                    ((x + y) * 3 + x * x % 31) & 0xFF));
    return img;
}

bool write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

bool makePuzzle(const QString& folder, const char* name, int columns, int rows, int cell,
                const char* pictureName = nullptr)
{
    crt::srand(7);
    PuzzleFileData d = testfiles::makePuzzle(columns, rows, cell);
    d.picture = d.guide = testfiles::encode(photoLike(columns * cell, rows * cell), "jpeg", 90);
    if (pictureName && !write(folder + QLatin1Char('/') + QLatin1String(pictureName), d.picture))
        return false;
    return write(folder + QLatin1Char('/') + QLatin1String(name), testfiles::puzzleBytes(d));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: startup_maker FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const bool ok = write(folder + QStringLiteral("/picture.jpg"), testfiles::encode(photoLike(640, 480), "jpeg", 90))
        && makePuzzle(folder, "p48.puz", 8, 6, 80) && makePuzzle(folder, "p130.puz", 13, 10, 48)
        && makePuzzle(folder, "p300.puz", 20, 15, 32) && makePuzzle(folder, "p10000.puz", 125, 80, 8, "picture10000.jpg");
    return ok ? 0 : 1;
}
