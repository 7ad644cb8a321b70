// Sending a 300-piece puzzle: building its package with makeself (the
// player's runtime the first time, then the copy, tar, the archive's
// self-check), the lean package (gzip), and, on the receiving
// side, `sh NamePuz.run` until the player is started. The receiver's player
// is a script that exits at once, padded to the real player's size so the
// package unpacks and copies as many bytes as a real one.

#include "maker_ui.h"
#include "puzzle_maker.h"
#include "puzzle_package.h"
#include "suite_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class CustomUi : public MakerUi {
public:
    bool chooseCustomLevel(int, int, int& rows, int& columns, int& cell) override
    {
        rows = 15; // cells of 32: 20 x 15
        cell = 32;
        columns = 20;
        return true;
    }
    bool confirmOverwrite() override { return true; }
    void progressStart(int) override {}
    void progressAdvance(int) override {}
    void progressEnd() override {}
};

QImage photoLike(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 255 / w + (x * y) % 17) & 0xFF, (y * 255 / h + (x ^ y) % 23) & 0xFF,
                                    ((x + y) * 3 + x * x % 31) & 0xFF));
    return img;
}

struct Stats {
    double median = 0, worst = 0;
};
Stats stats(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.back()};
}

bool makeTree(const QString& root, const QByteArray& player, SuiteFolders& folders, int& pieces)
{
    folders = SuiteFolders::fromProgramPath(root + QStringLiteral("/Bin/Vorlin"));
    QDir().mkpath(folders.program);
    QDir().mkpath(folders.data);
    QFile p(folders.program + QStringLiteral("TileMender"));
    if (!p.open(QIODevice::WriteOnly) || p.write(player) != player.size())
        return false;
    p.close();
    p.setPermissions(p.permissions() | QFileDevice::ExeOwner);
    for (const char* f : {"TileMenderBk.JPG", "finish.bmp", "app.wav"})
        QFile::copy(QStringLiteral(SUITE_BIN_FOLDER) + QLatin1String(f), folders.program + QLatin1String(f));
    QFile::copy(QStringLiteral(PACKAGE_START_SCRIPT), folders.program + QStringLiteral("package_start.sh"));

    PuzzleMaker maker(folders);
    maker.workingImage.image = photoLike(640, 480);
    maker.workingImage.bitsPerPixel = 24;
    CustomUi ui;
    if (!maker.PrepareLevel(PuzzleMaker::Custom, ui) || !maker.WritePuzzle(QStringLiteral("Harbour"), ui))
        return false;
    pieces = int(maker.pieces.size());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QByteArray realPlayer;
    QFile real(QStringLiteral(SUITE_BIN_FOLDER "TileMender"));
    if (!real.open(QIODevice::ReadOnly) || !QFile::exists(QStringLiteral(SUITE_BIN_FOLDER "TileMenderBk.JPG"))) {
        std::fprintf(stderr, "Build TileMender and its art first (%s).\n", SUITE_BIN_FOLDER);
        return 1;
    }
    realPlayer = real.readAll();
    QByteArray fakePlayer("#!/bin/sh\nexit 0\n");
    while (fakePlayer.size() < realPlayer.size())
        fakePlayer.append(char(QRandomGenerator::global()->bounded(256)));

    QTemporaryDir dir;
    SuiteFolders sender, receiverTree;
    int pieces = 0;
    if (!makeTree(dir.filePath(QStringLiteral("send")), realPlayer, sender, pieces)
        || !makeTree(dir.filePath(QStringLiteral("fake")), fakePlayer, receiverTree, pieces)) {
        std::fprintf(stderr, "Cannot make the puzzle.\n");
        return 1;
    }

    // The first full pack builds the player's runtime into a cache of its own
    // (strip, patchelf, xz); the others reuse it.
    const QByteArray cacheHome = dir.filePath(QStringLiteral("cache")).toUtf8();
    qputenv("XDG_CACHE_HOME", cacheHome);
    constexpr int kRuns = 7;
    std::vector<double> build, lean;
    double cold = 0;
    QString path, error;
    qint64 size = 0, leanSize = 0;
    for (int i = 0; i <= kRuns; ++i) {
        QFile::remove(puzzle_package::packagePath(sender, QStringLiteral("Harbour")));
        QElapsedTimer t;
        t.start();
        if (!packPuzzle(sender, QStringLiteral("Harbour"), path, error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        const double ms = double(t.nsecsElapsed()) / 1e6;
        i == 0 ? void(cold = ms) : build.push_back(ms);
    }
    size = QFileInfo(path).size();
    for (int i = 0; i < kRuns; ++i) {
        QFile::remove(puzzle_package::packagePath(sender, QStringLiteral("Harbour")));
        QElapsedTimer t;
        t.start();
        if (!packPuzzle(sender, QStringLiteral("Harbour"), path, error, puzzle_package::Kind::Lean)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        lean.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    leanSize = QFileInfo(path).size();
    std::vector<double> receive;

    QString fakePath;
    if (!packPuzzle(receiverTree, QStringLiteral("Harbour"), fakePath, error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("home")));
    for (int i = 0; i < kRuns; ++i) {
        QProcess sh;
        sh.setProcessEnvironment(env);
        QElapsedTimer t;
        t.start();
        sh.start(QStringLiteral("sh"), {fakePath});
        if (!sh.waitForFinished(60000) || sh.exitCode() != 0) {
            std::fprintf(stderr, "The package did not run: %s\n", sh.readAllStandardError().constData());
            return 1;
        }
        receive.push_back(double(t.nsecsElapsed()) / 1e6);
    }

    const Stats b = stats(build), r = stats(receive);
    std::printf("Package of a %d-piece puzzle, player %.1f MB, %d runs each\n\n", pieces,
                double(realPlayer.size()) / 1e6, kRuns);
    std::printf("%-44s %10s %10s %8s\n", "step", "median ms", "worst ms", "target");
    const Stats l = stats(lean);
    std::printf("%-44s %10.1f %10s %8s\n", "full package, runtime not yet built", cold, "-", "-");
    std::printf("%-44s %10.1f %10.1f %8s\n", "full package, runtime from the cache", b.median, b.worst, "1000");
    std::printf("%-44s %10.1f %10.1f %8s\n", "lean package (--lean)", l.median, l.worst, "1000");
    std::printf("%-44s %10.1f %10.1f %8s\n", "receive: sh NamePuz.run to the player's exit", r.median, r.worst, "1000");
    std::printf("\nfull package: %lld bytes (%.2f MB), lean package: %lld bytes (%.2f MB)\n", size,
                double(size) / 1e6, leanSize, double(leanSize) / 1e6);
    return 0;
}
