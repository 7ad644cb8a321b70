// Undo and redo: 500 steps on the running player with a 20 x 15 puzzle
// (moves between the column and a tray, and turns in the column), each
// recorded, then all undone and all redone through the frame; and the
// history's memory and the cost of reading the game at 10 000 pieces, on
// plain lists (the history never looks at a piece's picture).

#include "board_view.h"
#include "command_ids.h"
#include "main_frame.h"
#include "piece_strip.h"
#include "puzzle_file.h"
#include "tile_mender_app.h"
#include "tile_mender_doc.h"
#include "tray_wnd.h"
#include "undo_history.h"

#include "../../tests/support/test_files.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <random>

using namespace undo_history;

namespace {

constexpr int kSteps = 500;

// 500 steps through the frame's own seams: the same hooks the column, the
// board and the trays call around a user's action.
void playSteps(CMainFrame& frame, CTrayWnd& tray, std::mt19937& rng)
{
    PieceList& box = frame.document().boxList();
    // Until 500 are kept: a move out of an empty tray is no step.
    for (int tries = 0; frame.history().undoCount() < size_t(kSteps) && tries < 4 * kSteps; ++tries) {
        frame.actionStarts();
        switch (rng() % 3) {
        case 0: // column to tray
            if (box.size() > 0) {
                auto p = box.take(int(rng() % uint32_t(box.size())));
                frame.strip()->refresh();
                tray.addPiece(std::move(p), tray.mapToGlobal(tray.clientOrigin() + QPoint(int(rng() % 120), int(rng() % 120))));
            }
            break;
        case 1: // tray to column
            if (tray.pieces().size() > 0)
                frame.strip()->addPiece(tray.pieces().take(int(rng() % uint32_t(tray.pieces().size()))),
                                        frame.strip()->mapToGlobal(QPoint(60, 100)));
            break;
        default: // a turn in the column
            frame.strip()->turnPiece(box[int(rng() % uint32_t(box.size()))]);
            break;
        }
        frame.actionDone();
    }
}

double ms(qint64 ns) { return double(ns) / 1e6; }

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TILEMENDER_SILENT", "1");
    QApplication qapp(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath("Bench.puz");
    puzzle_file::writeFile(path, testfiles::makePuzzle(20, 15, 32, true));
    CTileMenderApp app;
    if (!app.InitInstance({path})) {
        std::fprintf(stderr, "the puzzle did not open\n");
        return 1;
    }
    CMainFrame& frame = *app.mainFrame();
    frame.OnCommand(cmd::kAddTray);
    CTrayWnd& tray = *frame.view()->trays().front();
    std::mt19937 rng(42);

    QElapsedTimer t;
    t.start();
    playSteps(frame, tray, rng);
    const qint64 recordNs = t.nsecsElapsed();
    const size_t steps = frame.history().undoCount();
    const size_t bytes300 = frame.history().bytes();

    t.restart();
    int undone = 0;
    while (frame.undo())
        ++undone;
    const qint64 undoNs = t.nsecsElapsed();
    t.restart();
    int redone = 0;
    while (frame.redo())
        ++redone;
    const qint64 redoNs = t.nsecsElapsed();

    // 10 000 pieces as plain records: what one action costs to read twice and
    // compare, and what 500 single-piece steps and one Restart hold.
    PieceList box, board;
    for (int c = 0; c < 100; ++c)
        for (int r = 0; r < 100; ++r) {
            auto p = std::make_unique<CPiece>();
            p->column = c;
            p->row = r;
            box.append(std::move(p));
        }
    auto record = [&] {
        GameRecord g;
        capture(g.pieces, box, Where::Box);
        capture(g.pieces, board, Where::Board);
        return g;
    };
    UndoHistory big;
    qint64 captureNs = 0;
    for (int i = 0; i < kSteps; ++i) {
        t.restart();
        const GameRecord before = record();
        captureNs += t.nsecsElapsed();
        if (rng() % 2 || board.empty())
            board.append(box.take(int(rng() % uint32_t(box.size()))));
        else
            box.insert(int(rng() % uint32_t(box.size())), board.take(int(rng() % uint32_t(board.size()))));
        t.restart();
        std::optional<Step> s = diff(before, record());
        captureNs += t.nsecsElapsed();
        if (s)
            big.record(std::move(*s));
    }
    const size_t bytes10k = big.bytes();
    const GameRecord beforeRestart = record();
    box.insertAll(box.size(), board.takeAll());
    std::vector<PieceList::Ptr> all = box.takeAll();
    std::shuffle(all.begin(), all.end(), rng);
    box.insertAll(0, std::move(all));
    const size_t restartBytes = diff(beforeRestart, record())->bytes();

    std::printf("Undo and redo, one pass each\n\n");
    std::printf("| operation | pieces | steps | total ms | per step ms |\n|---|---|---|---|---|\n");
    std::printf("| record (two reads and a compare) | 300 | %zu | %.2f | %.4f |\n", steps, ms(recordNs),
                ms(recordNs) / double(steps));
    std::printf("| undo through the frame | 300 | %d | %.2f | %.4f |\n", undone, ms(undoNs),
                undone ? ms(undoNs) / undone : 0.0);
    std::printf("| redo through the frame | 300 | %d | %.2f | %.4f |\n", redone, ms(redoNs),
                redone ? ms(redoNs) / redone : 0.0);
    std::printf("| read and compare the game | 10000 | %d | %.2f | %.4f |\n", kSteps, ms(captureNs),
                ms(captureNs) / kSteps);
    std::printf("\n| history memory | pieces | steps | bytes |\n|---|---|---|---|\n");
    std::printf("| 500 steps of the frame | 300 | %zu | %zu |\n", steps, bytes300);
    std::printf("| 500 single-piece steps | 10000 | %zu | %zu |\n", big.undoCount(), bytes10k);
    std::printf("| one Restart step | 10000 | 1 | %zu |\n", restartBytes);
    std::printf("| whole-game copies, for comparison | 10000 | 500 | %zu |\n",
                size_t(kSteps) * 10000 * sizeof(PieceState));
    return 0;
}
