// The play surface's painting costs on a 20 x 15 puzzle of 32-pixel cells
// with every piece on the board: a full repaint of the view, one drag step of
// a 30-piece group, and a repaint of the Piece Viewer's column.

#include "board_view.h"
#include "drag_overlay.h"
#include "main_frame.h"
#include "piece_strip.h"
#include "puzzle_file.h"
#include "tile_mender_app.h"
#include "tile_mender_doc.h"

#include "../../tests/support/test_files.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Counts the paints a widget really receives, so the figures are of work done.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        paints += e->type() == QEvent::Paint;
        return false;
    }
};

double medianMs(std::vector<qint64> ns)
{
    std::sort(ns.begin(), ns.end());
    return double(ns[ns.size() / 2]) / 1e6;
}

void send(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton b, Qt::MouseButtons held)
{
    QMouseEvent e(type, QPointF(local), QPointF(w->mapToGlobal(local)), b, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TILEMENDER_SILENT", "1");
    QApplication qapp(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath("Bench.puz");
    puzzle_file::writeFile(path, testfiles::makePuzzle(20, 15, 32, false));
    CTileMenderApp app;
    if (!app.InitInstance({path}))
        return 1;
    CMainFrame* frame = app.mainFrame();
    CTileMenderView* view = frame->view();
    CTileMenderDoc* doc = app.document();
    QApplication::processEvents();

    // Every piece on the board at its home place, loose; the 6 x 5 block at
    // the top left forms one group.
    while (!doc->boxList().empty()) {
        auto p = doc->boxList().takeFirst();
        const QPoint home = view->boardOrigin() + QPoint(p->column * 32, p->row * 32);
        // Keep corner pieces off their corners so nothing fixes.
        const bool block = p->column < 6 && p->row < 5;
        // Outside the block every piece lies 6 pixels off its neighbours, so nothing else joins.
        const QPoint at = block ? home + QPoint(6, 6) : home + QPoint(p->column * 6 + 20, p->row * 6 + 20);
        view->dropSinglePiece(std::move(p), view->mapToGlobal(at));
    }
    QApplication::processEvents();

    QImage target(view->size(), QImage::Format_RGB32);
    std::vector<qint64> full;
    for (int i = 0; i < 60; ++i) {
        QElapsedTimer t;
        t.start();
        view->render(&target);
        full.push_back(t.nsecsElapsed());
    }

    // One drag step of the 30-piece group: the move and the repaint it causes.
    const CPiece* grabbed = view->grid().at(2, 2);
    const size_t groupSize = board_rules::group(view->grid(), *grabbed, 32).size();
    const QPoint grab = QPoint(grabbed->x, grabbed->y) + QPoint(16, 16);
    send(view, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
    QApplication::processEvents();
    std::vector<qint64> steps;
    PaintCounter overlayPaints;
    frame->overlay()->installEventFilter(&overlayPaints);
    for (int i = 0; i < 200; ++i) {
        const QPoint at = grab + QPoint((i % 40) * 3, (i % 25) * 2);
        const QRect before = frame->overlay()->spriteRect();
        QElapsedTimer t;
        t.start();
        send(view, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
        // The union of the old and new places is painted at once.
        frame->overlay()->repaint(before.united(frame->overlay()->spriteRect()));
        steps.push_back(t.nsecsElapsed());
    }
    send(view, QEvent::MouseButtonRelease, grab, Qt::LeftButton, Qt::NoButton);

    // The strip with a full column.
    view->clearBoard();
    CPieceStrip* strip = frame->strip();
    QImage stripTarget(strip->size(), QImage::Format_RGB32);
    std::vector<qint64> column;
    for (int i = 0; i < 60; ++i) {
        QElapsedTimer t;
        t.start();
        strip->render(&stripTarget);
        column.push_back(t.nsecsElapsed());
    }

    std::printf("Play surface, 20 x 15 puzzle of 32-pixel cells (median, milliseconds)\n\n");
    std::printf("| operation | measured | target |\n|---|---|---|\n");
    std::printf("| full repaint of the view, 300 pieces on the board | %.3f | < 4 |\n", medianMs(full));
    std::printf("| one drag step of a %d-piece group (%d steps, %d paints) | %.3f | < 1 |\n", int(groupSize),
                int(steps.size()), overlayPaints.paints, medianMs(steps));
    std::printf("| strip repaint, full column | %.3f | < 2 |\n", medianMs(column));
    return 0;
}
