// Sending a 300-piece puzzle: building its package with makeself with the
// runtime the suite's build prepared (Bin/runtime.tar.xz), with it in the
// user's cache, and cold (nothing prepared, no cache: the runtime is built
// then), the lean package (gzip), and, on the receiving side, `sh
// NamePuz.run` until the player is started. That receiver's player is a
// script that exits at once, padded to the real player's size so the package
// unpacks and copies as many bytes as a real one. When Xvfb is installed,
// the real package is opened on a virtual display until the player has
// painted (the start-up bench's screen watch: the first change of the
// screen and the last before it keeps still); without the watch, until
// xdotool finds the player's window mapped, a near stand-in for painted
// whose polling takes a core of its own.

#include "maker_ui.h"
#include "player_runtime.h"
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
#include <QStandardPaths>
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

bool pack(const SuiteFolders& folders, QString& path, std::vector<double>* times, double* once = nullptr,
          puzzle_package::Kind kind = puzzle_package::Kind::Full)
{
    QString error;
    QFile::remove(puzzle_package::packagePath(folders, QStringLiteral("Harbour")));
    QElapsedTimer t;
    t.start();
    if (!packPuzzle(folders, QStringLiteral("Harbour"), path, error, kind)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    }
    const double ms = double(t.nsecsElapsed()) / 1e6;
    if (times)
        times->push_back(ms);
    if (once)
        *once = ms;
    return true;
}

// The start-up bench's screen watch, when it was built.
QString screenWatch()
{
#ifdef SCREEN_WATCH
    if (QFileInfo(QStringLiteral(SCREEN_WATCH)).isExecutable())
        return QStringLiteral(SCREEN_WATCH);
#endif
    return QString();
}

// The real package opened on a virtual display, each time as a first
// opening, until the player has painted (or, without the screen watch, a
// visible window has the player's title); the times in ms.
std::vector<double> openOnDisplay(const QString& package, const QString& home, int runs)
{
    const QString watch = screenWatch();
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()
        || (watch.isEmpty() && QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()))
        return {};
    // Xvfb itself, which names its display once it takes connections
    // (xvfb-run's wait for that signal can miss it when started from here).
    QProcess server;
    server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                                          QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                                          QStringLiteral("1280x1024x24")});
    QByteArray number;
    while (!number.contains('\n') && server.waitForReadyRead(30000))
        number += server.readAllStandardOutput();
    if (!number.contains('\n')) {
        server.kill();
        server.waitForFinished();
        return {};
    }
    // Each opening in a process group of its own: the player is stopped with
    // its package's shell, or the start script would show the stopped
    // player's status in a window and wait there.
    // The watch prints milliseconds and ends the package's process group.
    const QByteArray watched =
        "received=\"$XDG_DATA_HOME/PuzzleSuite/Received\"\n"
        "i=0\n"
        "while [ $i -lt \"$2\" ]; do\n"
        "  i=$((i + 1))\n"
        "  rm -rf \"$received\"\n"
        "  ms=$(\"$3\" -- sh \"$1\" </dev/null) || { echo failed; exit 1; }\n"
        "  echo $(awk -v m=\"$ms\" 'BEGIN { printf \"%d\", m * 1000 }')\n"
        "done\n"
        "exit 0\n";
    const QByteArray polled =
        "received=\"$XDG_DATA_HOME/PuzzleSuite/Received\"\n"
        "i=0\n"
        "while [ $i -lt \"$2\" ]; do\n"
        "  i=$((i + 1))\n"
        "  rm -rf \"$received\"\n"
        "  s=$(date +%s%N)\n"
        "  setsid sh \"$1\" </dev/null >/dev/null 2>&1 &\n"
        "  run=$!\n"
        // Polled here every 10 ms: xdotool's own --sync looks only twice a
        // second, which would round every opening up to the next half second.
        "  w=\n"
        "  n=0\n"
        "  while [ -z \"$w\" ] && [ $n -lt 6000 ]; do\n"
        "    w=$(xdotool search --onlyvisible --name \"Snapp'It\" 2>/dev/null | head -n 1)\n"
        "    [ -n \"$w\" ] || sleep 0.01\n"
        "    n=$((n + 1))\n"
        "  done\n"
        "  e=$(date +%s%N)\n"
        "  [ -n \"$w\" ] || { echo failed; kill -- -$run; exit 1; }\n"
        "  echo $(( (e - s) / 1000 ))\n"
        "  kill -- -$run\n"
        "  wait $run\n"
        "done\n"
        "exit 0\n";
    QDir().mkpath(home);
    const QByteArray script = watch.isEmpty() ? polled : watched;
    const QString file = home + QStringLiteral("/open.sh");
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly) || f.write(script) != script.size())
        return {};
    f.close();
    QProcess x;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), home);
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + QString::fromLatin1(number.trimmed()));
    x.setProcessEnvironment(env);
    x.start(QStringLiteral("sh"), {file, package, QString::number(runs), watch});
    const bool ran = x.waitForFinished(300000) && x.exitCode() == 0;
    if (!ran)
        x.kill();
    server.terminate();
    server.waitForFinished();
    if (!ran) {
        std::fprintf(stderr, "The package did not open on a virtual display: %s\n", x.readAllStandardOutput().constData());
        return {};
    }
    std::vector<double> times;
    for (const QByteArray& line : x.readAllStandardOutput().split('\n'))
        if (!line.trimmed().isEmpty())
            times.push_back(line.trimmed().toDouble() / 1000.0);
    return times;
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

    // With the runtime the suite's build prepared beside the programs, then
    // without it: the first pack builds it into a cache of its own (strip,
    // patchelf, xz), the others reuse it.
    const QByteArray cacheHome = dir.filePath(QStringLiteral("cache")).toUtf8();
    qputenv("XDG_CACHE_HOME", cacheHome);
    constexpr int kRuns = 7;
    std::vector<double> prepared, build, lean;
    double cold = 0;
    QString path;
    qint64 size = 0, leanSize = 0;
    const QString bin = QStringLiteral(SUITE_BIN_FOLDER);
    const bool havePrepared = QFile::copy(player_runtime::preparedArchive(bin), player_runtime::preparedArchive(sender.program))
                              && QFile::copy(player_runtime::preparedKey(bin), player_runtime::preparedKey(sender.program));
    if (!havePrepared)
        std::fprintf(stderr, "No prepared runtime in %s (build the target player_runtime_prepared).\n", SUITE_BIN_FOLDER);
    for (int i = 0; havePrepared && i < kRuns; ++i)
        if (!pack(sender, path, &prepared))
            return 1;
    if (havePrepared && !QDir(player_runtime::cacheFolder()).isEmpty()) {
        std::fprintf(stderr, "The prepared runtime was not used: the cache was filled.\n");
        return 1;
    }
    QFile::remove(player_runtime::preparedArchive(sender.program));
    QFile::remove(player_runtime::preparedKey(sender.program));
    if (!pack(sender, path, nullptr, &cold))
        return 1;
    for (int i = 0; i < kRuns; ++i)
        if (!pack(sender, path, &build))
            return 1;
    size = QFileInfo(path).size();
    const QString fullPackage = dir.filePath(QStringLiteral("HarbourFull.run"));
    QFile::copy(path, fullPackage);
    for (int i = 0; i < kRuns; ++i)
        if (!pack(sender, path, &lean, nullptr, puzzle_package::Kind::Lean))
            return 1;
    leanSize = QFileInfo(path).size();
    QString error;
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

    const std::vector<double> shown = openOnDisplay(fullPackage, dir.filePath(QStringLiteral("shown")), 5);

    const Stats b = stats(build), r = stats(receive), l = stats(lean);
    std::printf("Package of a %d-piece puzzle, player %.1f MB, %d runs each\n\n", pieces,
                double(realPlayer.size()) / 1e6, kRuns);
    std::printf("%-52s %10s %10s %8s\n", "step", "median ms", "worst ms", "target");
    if (!prepared.empty()) {
        const Stats p = stats(prepared);
        std::printf("%-52s %10.1f %10.1f %8s\n", "full package, runtime prepared by the build", p.median, p.worst, "1000");
    } else {
        std::printf("%-52s %10s %10s %8s\n", "full package, runtime prepared by the build", "-", "-", "1000");
    }
    std::printf("%-52s %10.1f %10.1f %8s\n", "full package, runtime from the cache", b.median, b.worst, "1000");
    std::printf("%-52s %10.1f %10s %8s\n", "full package, cold (nothing prepared, no cache)", cold, "-", "-");
    std::printf("%-52s %10.1f %10.1f %8s\n", "lean package (--lean)", l.median, l.worst, "1000");
    std::printf("%-52s %10.1f %10.1f %8s\n", "receive: sh NamePuz.run to the player's exit", r.median, r.worst, "1000");
    const char* shownLabel = screenWatch().isEmpty() ? "receive: sh NamePuz.run to the window (xdotool, 5 runs)"
                                                     : "receive: sh NamePuz.run to the player painted (5 runs)";
    if (!shown.empty()) {
        const Stats s = stats(shown);
        std::printf("%-52s %10.1f %10.1f %8s\n", shownLabel, s.median, s.worst, "1000");
    } else {
        std::printf("%-52s %10s %10s %8s\n", "receive: sh NamePuz.run to the window (no xvfb)", "-", "-", "1000");
    }
    std::printf("\nfull package: %lld bytes (%.2f MB), lean package: %lld bytes (%.2f MB)\n", size,
                double(size) / 1e6, leanSize, double(leanSize) / 1e6);
    return 0;
}
