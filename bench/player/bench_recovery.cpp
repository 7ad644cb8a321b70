// The recovery copy's cost on puzzles of 130 and 300 pieces, half of them on
// the board: what the UI thread spends per copy (the due-check: capturing
// the game as records and handing them to the writer), and what the
// writer's thread spends (encoding, and the staged write flushed to disk).

#include "board_view.h"
#include "command_ids.h"
#include "file_write.h"
#include "main_frame.h"
#include "puzzle_file.h"
#include "recovery_schedule.h"
#include "saved_game.h"
#include "tick_clock.h"
#include "tile_mender_app.h"
#include "tile_mender_doc.h"

#include "../../tests/support/test_files.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Figures {
    double medianMs = 0;
    double worstMs = 0;
};

Figures figures(std::vector<qint64> ns)
{
    std::sort(ns.begin(), ns.end());
    return {double(ns[ns.size() / 2]) / 1e6, double(ns.back()) / 1e6};
}

void measure(int columns, int rows, int rounds)
{
    QTemporaryDir dir;
    const QString puzzle = dir.filePath("Bench.puz");
    puzzle_file::writeFile(puzzle, testfiles::makePuzzle(columns, rows, 32, true));

    // Half the box laid out on the board, through a saved game.
    {
        CTileMenderApp app;
        app.InitInstance({puzzle});
        saved_game::SavedGame g = app.mainFrame()->captureGame();
        const size_t half = g.box.size() / 2;
        for (size_t i = 0; i < half; ++i) {
            const saved_game::BoxEntry b = g.box.back();
            g.box.pop_back();
            g.board.push_back({b.column, b.row, b.rotation, int32_t(20 + (i * 37) % 500), int32_t(20 + (i * 53) % 400), 0});
        }
        saved_game::writeFile(CTileMenderDoc::savedGamePath(puzzle), g);
    }

    tick::setForTest(1000);
    CTileMenderApp app;
    app.InitInstance({puzzle});
    CMainFrame* frame = app.mainFrame();
    const int pieces = columns * rows;
    if (frame->view()->boardList().size() != pieces / 2)
        std::fprintf(stderr, "the board holds %d pieces, not %d\n", int(frame->view()->boardList().size()), pieces / 2);

    std::vector<qint64> ui, encode, write;
    QElapsedTimer t;
    const QString scratch = dir.filePath("scratch.recover");
    for (int i = 0; i < rounds; ++i) {
        tick::advanceForTest(recovery::kInterval);
        frame->markModified();
        t.start();
        const bool handed = frame->checkRecovery();
        ui.push_back(t.nsecsElapsed());
        if (!handed)
            std::fprintf(stderr, "no copy was due\n");
        frame->flushRecovery();

        // The worker's share, done here in the open to be timed alone.
        const saved_game::SavedGame g = frame->captureGame();
        t.start();
        const QByteArray bytes = saved_game::write(g);
        encode.push_back(t.nsecsElapsed());
        int error = 0;
        t.start();
        file_write::replace(scratch, bytes, &error);
        write.push_back(t.nsecsElapsed());
    }
    const Figures u = figures(ui), e = figures(encode), w = figures(write);
    std::printf("| %d | UI thread: capture + hand-off | %.3f | %.3f | < 1 |\n", pieces, u.medianMs, u.worstMs);
    std::printf("| %d | worker: encode | %.3f | %.3f | |\n", pieces, e.medianMs, e.worstMs);
    std::printf("| %d | worker: staged write + flush | %.3f | %.3f | |\n", pieces, w.medianMs, w.worstMs);
    tick::releaseTestClock();
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TILEMENDER_SILENT", "1");
    QApplication qt(argc, argv);
    std::printf("Recovery copy per write, half the pieces on the board (milliseconds, 100 writes)\n\n");
    std::printf("| pieces | where | median | worst | target |\n|---|---|---|---|---|\n");
    measure(13, 10, 100);
    measure(20, 15, 100);
    return 0;
}
