// The play surface's painting costs on a 20 x 15 puzzle of 32-pixel cells
// with every piece on the board: a full repaint of the view, one drag step of
// a 30-piece group, and a repaint of the Piece Viewer's column; on a plain
// screen and on one of scale factor 2, where pieces and canvases hold four
// times the pixels. Each scale runs in its own process, started by this one.

#include "board_view.h"
#include "drag_overlay.h"
#include "imaging.h"
#include "main_frame.h"
#include "piece_strip.h"
#include "puzzle_file.h"
#include "tile_mender_app.h"
#include "tile_mender_doc.h"

#include "../../tests/support/test_files.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QProcess>
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
    if (argc != 3 || QByteArray(argv[1]) != "--scale") {
        std::printf("Play surface, 20 x 15 puzzle of 32-pixel cells (median, milliseconds)\n\n");
        std::printf("| operation | scale | measured | target |\n|---|---|---|---|\n");
        std::fflush(stdout);
        for (const char* scale : {"1", "2"}) {
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(scale));
            child.setProcessEnvironment(env);
            child.setProcessChannelMode(QProcess::ForwardedOutputChannel);
            child.start(QString::fromLocal8Bit(argv[0]), {QStringLiteral("--scale"), QString::fromLatin1(scale)});
            child.waitForFinished(-1);
            if (child.exitCode() != 0)
                return 1;
        }
        return 0;
    }
    QApplication qapp(argc, argv);
    const QByteArray scale = argv[2];
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

    // Rendered as the screen would be: in its device pixels.
    QImage target = imaging::deviceCanvas(view->size(), view->devicePixelRatioF(), QImage::Format_RGB32);
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
    QImage stripTarget = imaging::deviceCanvas(strip->size(), strip->devicePixelRatioF(), QImage::Format_RGB32);
    std::vector<qint64> column;
    for (int i = 0; i < 60; ++i) {
        QElapsedTimer t;
        t.start();
        strip->render(&stripTarget);
        column.push_back(t.nsecsElapsed());
    }

    std::printf("| full repaint of the view, 300 pieces on the board | %s | %.3f | < 4 |\n", scale.constData(),
                medianMs(full));
    std::printf("| one drag step of a %d-piece group (%d steps, %d paints) | %s | %.3f | < 1 |\n", int(groupSize),
                int(steps.size()), overlayPaints.paints, scale.constData(), medianMs(steps));
    std::printf("| strip repaint, full column | %s | %.3f | < 2 |\n", scale.constData(), medianMs(column));
    return 0;
}
