#pragma once
// A running player on a puzzle written by the test, with mouse helpers that
// send real events to the real widgets.

#include "board_view.h"
#include "main_frame.h"
#include "message_box.h"
#include "piece_strip.h"
#include "test_files.h"
#include "tick_clock.h"
#include "tile_mender_app.h"
#include "tile_mender_doc.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>

struct Game {
    QTemporaryDir dir;
    MessageBoxScript boxes;
    CTileMenderApp app;
    CMainFrame* frame = nullptr;
    CTileMenderView* view = nullptr;
    CPieceStrip* strip = nullptr;
    CTileMenderDoc* doc = nullptr;

    Game(int columns, int rows, int cell, bool rotation)
    {
        tick::setForTest(1000);
        const QString path = dir.filePath("Game.puz");
        puzzle_file::writeFile(path, testfiles::makePuzzle(columns, rows, cell, rotation));
        app.InitInstance({path});
        frame = app.mainFrame();
        view = frame->view();
        strip = frame->strip();
        doc = app.document();
    }
    ~Game() { tick::releaseTestClock(); }

    int k() const { return doc->cellSize(); }

    static void send(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton button,
                     Qt::MouseButtons held, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QMouseEvent e(type, QPointF(local), QPointF(w->mapToGlobal(local)), button, held, mods);
        QApplication::sendEvent(w, &e);
    }
    // Press at `from` on `source`, move in steps to the global point `to`,
    // release there; every event goes to `source`, which holds the mouse.
    static void drag(QWidget* source, QPoint from, QPoint toGlobal, int steps = 4)
    {
        send(source, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        const QPoint start = source->mapToGlobal(from);
        for (int i = 1; i <= steps; ++i) {
            const QPoint g = start + (toGlobal - start) * i / steps;
            send(source, QEvent::MouseMove, source->mapFromGlobal(g), Qt::NoButton, Qt::LeftButton);
        }
        send(source, QEvent::MouseButtonRelease, source->mapFromGlobal(toGlobal), Qt::LeftButton, Qt::NoButton);
    }
    static void rightClick(QWidget* w, QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        send(w, QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton, mods);
        send(w, QEvent::MouseButtonRelease, at, Qt::RightButton, Qt::NoButton, mods);
    }

    // Where a piece of the column is drawn, and a point surely inside it.
    QPoint stripCentreOf(const CPiece* p) const
    {
        const int index = strip->list()->indexOf(p);
        const int h = strip->rowHeight(), kk = k();
        const int i = index - strip->scrollPosition() / h;
        const int y = kk / 4 + i * h - strip->scrollPosition() % h + 77 - 22;
        return QPoint((125 - kk) / 2 + 11 + kk / 2, y + kk / 2);
    }
    // The global point to let a strip piece go at so that its origin lands on `board`.
    QPoint globalForOrigin(QPoint board) const { return view->mapToGlobal(board + QPoint(k() / 2, k() / 2)); }
    QPoint home(int c, int r) const { return view->boardOrigin() + QPoint(c * k(), r * k()); }

    CPiece* boxPiece(int c, int r) const
    {
        const int i = doc->boxList().find(c, r);
        return i < 0 ? nullptr : doc->boxList()[i];
    }
    // Drags the piece of cell (c, r) out of the column to its home place,
    // turning it upright first with right clicks.
    void placeFromStrip(int c, int r)
    {
        CPiece* p = boxPiece(c, r);
        strip->scrollToPiece(p);
        while (p->rotation != 0)
            rightClick(strip, stripCentreOf(p));
        drag(strip, stripCentreOf(p), globalForOrigin(home(c, r)));
    }
};
