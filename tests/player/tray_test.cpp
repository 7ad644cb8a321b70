#include "bitmaps.h"
#include "drag_overlay.h"
#include "game_fixture.h"
#include "tray_wnd.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

namespace {

constexpr int kTop = 27 - 3 - 19; // where the first tray opens, and the highest a tray goes

std::unique_ptr<CPiece> fromBox(Game& g, int c, int r)
{
    return g.doc->boxList().take(g.doc->boxList().find(c, r));
}

// A point of a tray's client area on the screen.
QPoint inClient(const CTrayWnd* t, QPoint p) { return t->mapToGlobal(t->clientOrigin() + p); }
// A point surely inside a tray piece, in the tray's own coordinates.
QPoint onPiece(const CTrayWnd* t, const CPiece* p, int k) { return t->clientOrigin() + QPoint(p->x + k / 2, p->y + k / 2); }

// Puts a box piece into a tray with its origin at a client point.
CPiece* park(Game& g, CTrayWnd* t, int c, int r, QPoint at)
{
    auto piece = fromBox(g, c, r);
    CPiece* p = piece.get();
    t->addPiece(std::move(piece), inClient(t, at));
    return p;
}

void click(QWidget* w, QPoint at)
{
    Game::send(w, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    Game::send(w, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

// Lets the closed trays' notices and deletions run.
void settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QPoint closeButton(const CTrayWnd* t) { return QPoint(t->width() - 10, 10); }
QPoint minimizeButton(const CTrayWnd* t) { return QPoint(t->width() - 30, 10); }

} // namespace

// ---- opening, numbers, closing ----

TEST(Trays, CascadeBy22UntilOneWouldLeaveTheViewAndMinimisedPlacesStackUp)
{
    Game g(2, 2, 48, false);
    const int lowest = g.view->height() - 2 * 3 - 19;
    EXPECT_EQ(g.view->trayCascade().nextMinimizedY, lowest);
    std::vector<CTrayWnd*> opened;
    // 575 high: y = 5 + 22n stays inside while n <= 16; the 18th starts again.
    for (int i = 0; i < 18; ++i)
        opened.push_back(g.view->openTray());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(opened[i]->geometry(), QRect(22 * i, kTop + 22 * i, 200, 200)) << i;
    EXPECT_EQ(opened[17]->geometry(), QRect(0, kTop, 200, 200));
    EXPECT_EQ(g.view->trayCascade().next, QPoint(22, kTop + 22));
    // Tray 15 would reach into the picture buttons' corner: it opens above it.
    EXPECT_EQ(opened[14]->geometry().bottom() + 1, g.view->height() + 3 - 71);
    EXPECT_EQ(opened[14]->x(), 22 * 14);

    EXPECT_EQ(opened[0]->placement().minPosition, QPoint(1, lowest));
    EXPECT_EQ(opened[1]->placement().minPosition, QPoint(1, lowest - 25));
    EXPECT_TRUE(opened[0]->placement().flags & WindowPlacement::kSetMinPosition);
    // 550 / 25: the 23rd place is y 0, then the stack starts at the bottom again.
    g.view->trayCascade().nextMinimizedY = 0;
    EXPECT_EQ(g.view->takeMinimizedTrayY(), 0);
    EXPECT_EQ(g.view->trayCascade().nextMinimizedY, lowest);

    EXPECT_EQ(g.view->trays().front(), opened.back()) << "the newest tray heads the list";
    EXPECT_EQ(opened[0]->title(), "Tray1");
    EXPECT_EQ(opened[17]->title(), "Tray18");
}

TEST(Trays, ClosingReturnsThePiecesFreesTheNumberAndForgetsTheCurrentPiece)
{
    Game g(3, 3, 48, false);
    CTrayWnd* a = g.view->openTray();
    CTrayWnd* b = g.view->openTray();
    CTrayWnd* c = g.view->openTray();
    CPiece* p = park(g, b, 1, 1, QPoint(10, 10));
    park(g, b, 2, 2, QPoint(100, 10)); // clear of the first one's centre, whatever its knobs
    Game::rightClick(b, onPiece(b, p, g.k()));
    EXPECT_EQ(g.frame->currentPiece(), p);
    EXPECT_EQ(g.frame->currentKind(), ContainerKind::Tray);

    g.app.state.modified = 0;
    click(b, closeButton(b));
    EXPECT_EQ(g.app.state.modified, 1);
    EXPECT_EQ(g.doc->boxList().size(), 9);
    EXPECT_GE(g.doc->boxList().indexOf(p), 0);
    EXPECT_EQ(g.frame->currentPiece(), nullptr);
    EXPECT_FALSE(p->selected);
    EXPECT_FALSE(g.view->trayNumbers().used(1));
    ASSERT_EQ(g.view->trays().size(), 2u) << "out of the list at once";
    EXPECT_EQ(g.view->trays()[0], c);
    EXPECT_EQ(g.view->trays()[1], a);
    QPointer<CTrayWnd> closed(b);
    settle();
    EXPECT_TRUE(closed.isNull());

    EXPECT_EQ(g.view->openTray()->title(), "Tray2") << "the lowest free number comes back";
    EXPECT_EQ(g.view->openTray()->title(), "Tray4");
    // A release away from the close button closes nothing.
    Game::send(c, QEvent::MouseButtonPress, closeButton(c), Qt::LeftButton, Qt::LeftButton);
    Game::send(c, QEvent::MouseButtonRelease, QPoint(60, 10), Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(c->closed());
}

TEST(Trays, NumbersGrowBy20WhenAllAreTaken)
{
    Game g(2, 2, 48, false);
    for (int i = 0; i < 20; ++i)
        g.view->openTray();
    EXPECT_EQ(g.view->trayNumbers().capacity(), 20);
    EXPECT_EQ(g.view->openTray()->title(), "Tray21");
    EXPECT_EQ(g.view->trayNumbers().capacity(), 40);
}

TEST(Trays, RestartClosesEveryTrayAndStartsTheCascadeAgain)
{
    Game g(3, 2, 48, false);
    park(g, g.view->openTray(), 0, 0, QPoint(10, 10));
    park(g, g.view->openTray(), 1, 0, QPoint(10, 10));
    g.view->trayCascade().nextMinimizedY = 100;
    g.boxes.answer(mb::IdYes);
    click(g.view, CTileMenderView::buttonRect(CTileMenderView::Restart).center());
    EXPECT_TRUE(g.view->trays().empty());
    EXPECT_EQ(g.doc->boxList().size(), 6);
    EXPECT_EQ(g.view->trayCascade().next, QPoint(0, kTop));
    EXPECT_EQ(g.view->trayCascade().nextMinimizedY, g.view->height() - 25);
    // A saved game loaded right away sets its own table; the closed trays,
    // deleted later, must not free its numbers.
    g.view->trayNumbers().setTable({1, 1});
    settle();
    EXPECT_TRUE(g.view->trayNumbers().used(0));
    EXPECT_TRUE(g.view->trayNumbers().used(1));
    g.view->trayNumbers().setTable(std::vector<int32_t>(20, 0));
    EXPECT_EQ(g.view->openTray()->title(), "Tray1");
}

TEST(Trays, AnotherPuzzleTakesTheOldTraysWithTheirPieces)
{
    Game g(3, 3, 48, false);
    CTrayWnd* t = g.view->openTray();
    CPiece* p = park(g, t, 0, 0, QPoint(10, 10));
    Game::rightClick(t, onPiece(t, p, g.k()));
    ASSERT_EQ(g.frame->currentPiece(), p);
    const QString other = g.dir.filePath("Other.puz");
    ASSERT_TRUE(puzzle_file::writeFile(other, testfiles::makePuzzle(2, 2, 48, false)));
    ASSERT_TRUE(g.app.openDocumentFile(other));
    settle();
    EXPECT_TRUE(g.view->trays().empty());
    EXPECT_EQ(g.strip->list()->size(), 4) << "none of the old puzzle's pieces comes along";
    EXPECT_EQ(g.frame->currentPiece(), nullptr);
    EXPECT_EQ(g.view->openTray()->title(), "Tray1");
}

// ---- pieces in a tray ----

TEST(Trays, AddedPiecesArePulledInsideTheClientArea)
{
    Game g(3, 3, 48, false);
    CTrayWnd* t = g.view->openTray();
    const QSize c = t->clientRect().size();
    CPiece* p = park(g, t, 1, 1, QPoint(-40, -30));
    QRect b = p->bounds().translated(p->x, p->y);
    EXPECT_EQ(b.left(), 8 - 3);
    EXPECT_EQ(b.top(), 0);
    CPiece* q = park(g, t, 2, 2, QPoint(c.width() - 10, c.height() - 5));
    b = q->bounds().translated(q->x, q->y);
    EXPECT_EQ(b.left() + b.width(), c.width() - 7);
    EXPECT_EQ(b.top() + b.height(), c.height() - 7);
    EXPECT_EQ(t->pieces().at(1), q) << "a new piece lies on top";
    EXPECT_EQ(t->hitTest(QPoint(q->x + 24, q->y + 24)), q);
}

TEST(Trays, SinglePiecesTravelBetweenBoardTraysAndTheColumn)
{
    Game g(3, 3, 48, false);
    const int k = g.k();
    CTrayWnd* a = g.view->openTray();
    CTrayWnd* b = g.view->openTray();
    b->move(300, 100);
    ASSERT_FALSE(a->geometry().intersects(b->geometry()));

    // Board to tray: the origin lands at the cursor minus the grab.
    g.view->dropSinglePiece(fromBox(g, 1, 1), g.view->mapToGlobal(QPoint(400, 420)));
    CPiece* p = g.view->grid().at(1, 1);
    ASSERT_TRUE(p);
    // The places below leave room for any knob, so no clamp moves the piece.
    Game::drag(g.view, QPoint(p->x + 20, p->y + 22), inClient(a, QPoint(60, 60)));
    ASSERT_EQ(a->pieces().size(), 1);
    EXPECT_EQ(a->pieces().at(0), p);
    EXPECT_EQ(QPoint(p->x, p->y), QPoint(40, 38));
    EXPECT_EQ(g.view->grid().at(1, 1), nullptr);
    EXPECT_EQ(g.frame->currentKind(), ContainerKind::Tray);
    EXPECT_EQ(g.frame->currentContainer(), a);

    // Within the same tray: a new place, on top.
    park(g, a, 2, 2, QPoint(90, 60));
    Game::drag(a, onPiece(a, p, k), inClient(a, QPoint(60 + k / 2, 50 + k / 2)));
    EXPECT_EQ(a->pieces().size(), 2);
    EXPECT_EQ(a->pieces().at(1), p);
    EXPECT_EQ(QPoint(p->x, p->y), QPoint(60, 50));
    EXPECT_FALSE(a->dragging());
    EXPECT_FALSE(p->carried);

    // Tray to tray.
    Game::drag(a, onPiece(a, p, k), inClient(b, QPoint(36 + k / 2, 36 + k / 2)));
    EXPECT_EQ(a->pieces().indexOf(p), -1);
    EXPECT_EQ(b->pieces().indexOf(p), 0);
    EXPECT_EQ(QPoint(p->x, p->y), QPoint(36, 36));
    EXPECT_EQ(g.frame->currentContainer(), b);

    // Tray to the column.
    Game::drag(b, onPiece(b, p, k), g.strip->mapToGlobal(QPoint(60, 200)));
    EXPECT_TRUE(b->pieces().empty());
    EXPECT_GE(g.doc->boxList().indexOf(p), 0);
    EXPECT_EQ(g.frame->currentKind(), ContainerKind::Strip);

    // Column to tray.
    Game::drag(g.strip, g.stripCentreOf(p), inClient(b, QPoint(60, 60)));
    EXPECT_EQ(b->pieces().indexOf(p), 0);
    EXPECT_EQ(QPoint(p->x, p->y), QPoint(60 - k / 2, 60 - k / 2));
    EXPECT_EQ(g.doc->boxList().size(), 7);
}

TEST(Trays, APieceFromATraySnapsOnTheBoard)
{
    Game g(2, 2, 48, false);
    const int k = g.k();
    CTrayWnd* t = g.view->openTray();
    park(g, t, 1, 1, QPoint(70, 10));
    CPiece* p = park(g, t, 0, 0, QPoint(10, 10));
    park(g, t, 1, 0, QPoint(10, 70));

    // To the board, 2 pixels off its corner: it snaps and is fixed.
    const QPoint grab(k / 2, k / 2);
    Game::drag(t, onPiece(t, p, k), g.view->mapToGlobal(g.home(0, 0) + QPoint(2, -1) + grab));
    EXPECT_EQ(g.view->grid().at(0, 0), p);
    EXPECT_EQ(QPoint(p->x, p->y), g.home(0, 0));
    EXPECT_TRUE(p->fixed);
    EXPECT_EQ(g.view->fixedCount(), 1);
    EXPECT_EQ(g.frame->currentKind(), ContainerKind::Board);
}

TEST(Trays, GroupsNeverEnterATray)
{
    Game g(3, 3, 48, false);
    const int k = g.k();
    CTrayWnd* t = g.view->openTray();
    t->move(300, 60);
    g.view->dropSinglePiece(fromBox(g, 1, 1), g.view->mapToGlobal(QPoint(100, 300)));
    g.view->dropSinglePiece(fromBox(g, 2, 1), g.view->mapToGlobal(QPoint(100 + k + 1, 300)));
    CPiece* p = g.view->grid().at(1, 1);
    ASSERT_EQ(g.view->grid().at(2, 1)->x, p->x + k) << "the two joined";
    Game::drag(g.view, QPoint(p->x + 20, p->y + 20), inClient(t, QPoint(40, 40)));
    EXPECT_TRUE(t->pieces().empty());
    EXPECT_EQ(g.view->boardList().size(), 2);
}

TEST(Trays, RightClickAndRotateTurnATrayPieceWhereItLies)
{
    Game g(3, 3, 48, true);
    const int k = g.k();
    CTrayWnd* t = g.view->openTray();
    CTrayWnd* other = g.view->openTray();
    CPiece* p = park(g, t, 1, 1, QPoint(20, 20));
    const int r = p->rotation;
    const QPoint at(p->x, p->y);
    Game::rightClick(t, onPiece(t, p, k));
    EXPECT_EQ(p->rotation, (r + 1) % 4);
    EXPECT_EQ(QPoint(p->x, p->y), at);
    EXPECT_EQ(g.frame->currentPiece(), p);
    EXPECT_EQ(g.view->trays().front(), t) << "a right click brings the tray forward";

    // Rotate from the frame: a minimised tray opens and comes to the head.
    click(t, minimizeButton(t));
    g.view->moveTrayToHead(other);
    g.frame->turnCurrentPiece();
    EXPECT_EQ(p->rotation, (r + 2) % 4);
    EXPECT_FALSE(t->isMinimizedTray());
    EXPECT_EQ(g.view->trays().front(), t);
}

// ---- the tray's window ----

TEST(Trays, MinimiseAndRestoreByTheCaptionButton)
{
    Game g(2, 2, 48, false);
    CTrayWnd* a = g.view->openTray();
    CTrayWnd* b = g.view->openTray();
    const QRect normal = a->geometry();
    const int lowest = g.view->height() - 25;
    click(a, minimizeButton(a));
    click(b, minimizeButton(b));
    ASSERT_TRUE(a->isMinimizedTray());
    EXPECT_EQ(a->geometry().topLeft(), QPoint(1, lowest));
    EXPECT_EQ(a->height(), 25);
    EXPECT_EQ(b->geometry().topLeft(), QPoint(1, lowest - 25)) << "minimised trays stack upwards";
    EXPECT_TRUE(a->clientRect().isEmpty());
    const QPoint onTitle = a->mapToGlobal(QPoint(30, 12));
    EXPECT_NE(g.frame->dropTarget(onTitle, QRect(onTitle, QSize(1, 1))).kind, DropTarget::Tray)
        << "a minimised tray takes no piece";
    const WindowPlacement wp = a->placement();
    EXPECT_EQ(wp.showCmd, WindowPlacement::kShowMinimized);
    EXPECT_EQ(wp.normalRect(), normal);

    click(a, minimizeButton(a));
    EXPECT_FALSE(a->isMinimizedTray());
    EXPECT_EQ(a->geometry(), normal);

    // A placement from a saved game, minimised, and back.
    CTrayWnd* c = g.view->createTray(7);
    WindowPlacement stored = wp;
    stored.minPosition = QPoint(1, 300);
    c->setPlacement(stored);
    EXPECT_EQ(c->geometry().topLeft(), QPoint(1, 300));
    EXPECT_EQ(c->placement(), stored);
    EXPECT_TRUE(g.view->trayNumbers().used(7));
}

TEST(Trays, MovedOrSizedTraysStayInsideTheViewAndOutOfTheButtonCorner)
{
    Game g(2, 2, 48, false);
    CTrayWnd* t = g.view->openTray();
    const int cornerY = g.view->height() + 3 - 71;
    const QPoint band(60, 10);
    // Moving by the title band into the corner: pushed up above it.
    Game::drag(t, band, t->mapToGlobal(band) + QPoint(400, 400) - t->pos());
    EXPECT_EQ(t->geometry(), QRect(400, cornerY - 200, 200, 200));
    // Up beyond the top and out at the right: held at the top, pushed back in.
    Game::drag(t, band, t->mapToGlobal(band) + QPoint(300, -700));
    EXPECT_EQ(t->geometry(), QRect(g.view->width() - 200, kTop, 200, 200));
    // Left of the corner it may go down to the view's bottom.
    Game::drag(t, band, t->mapToGlobal(band) + QPoint(-2000, 2000));
    EXPECT_EQ(t->geometry(), QRect(0, g.view->height() - 200, 200, 200));

    // Sizing by the bottom-right corner stops at the smallest tray.
    const QPoint corner(t->width() - 3, t->height() - 3);
    Game::drag(t, corner, t->mapToGlobal(corner) + QPoint(-500, -500));
    EXPECT_EQ(t->size(), t->minimumTrackingSize());
    EXPECT_EQ(t->minimumTrackingSize().height(), 60);
    EXPECT_EQ(t->pos(), QPoint(0, g.view->height() - 200)) << "the opposite corner stays put";
    // The keeping-inside rule on its own: a tall tray in the corner is cut to it.
    EXPECT_EQ(CTrayWnd::keptInside(QRect(500, 0, 100, 560), g.view->size()), QRect(500, kTop, 100, cornerY - kTop));
}

TEST(Trays, PaintsItsFrameTitleButtonsAndClientFromItsBitmaps)
{
    Game g(2, 2, 48, false);
    CTrayWnd* t = g.view->openTray();
    const QImage shot = t->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), QSize(200, 200));
    EXPECT_EQ(QColor(shot.pixel(12, 10)), CTrayWnd::kTitleColour);
    const QRect c = t->clientRect();
    EXPECT_EQ(QColor(shot.pixel(c.center())), CTrayWnd::kTrayColour);
    EXPECT_EQ(QColor(shot.pixel(c.topLeft())), CTrayWnd::kTrayColour);

    const QRect title = t->titleRect();
    ASSERT_FALSE(title.isEmpty());
    int white = 0;
    for (int y = title.top(); y <= title.bottom(); ++y)
        for (int x = title.left(); x <= title.right(); ++x)
            white += qRed(shot.pixel(x, y)) > 200 && qGreen(shot.pixel(x, y)) > 200;
    EXPECT_GT(white, 10);

    const QImage icons = playerBitmap(165).convertToFormat(QImage::Format_RGB32);
    auto same = [&](const QImage& img, QPoint at, int sourceY) {
        for (int y = 0; y < 19; ++y)
            for (int x = 0; x < 19; ++x)
                if (img.pixel(at + QPoint(x, y)) != icons.pixel(x, sourceY + y))
                    return false;
        return true;
    };
    EXPECT_TRUE(same(shot, QPoint(180, 1), 57)) << "close";
    EXPECT_TRUE(same(shot, QPoint(160, 1), 0)) << "minimise";

    click(t, minimizeButton(t));
    const QImage small = t->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(small.height(), 25);
    EXPECT_TRUE(same(small, QPoint(t->width() - 40, 1), 76)) << "restore";

    // A tray too narrow for its title leaves the title out.
    t->restoreTray();
    t->resize(85, 60);
    EXPECT_TRUE(t->titleRect().isEmpty());
}

// ---- the hint ----

TEST(Trays, AHintFindsATrayNeighbourAndBringsItsTrayForward)
{
    Game g(3, 1, 48, false);
    CTrayWnd* t = g.view->openTray();
    CPiece* n = park(g, t, 1, 0, QPoint(10, 10));
    park(g, t, 2, 0, QPoint(60, 10));
    click(t, minimizeButton(t));
    CTrayWnd* other = g.view->openTray();
    ASSERT_EQ(g.view->trays().front(), other);
    CPiece* p = g.boxPiece(0, 0);
    g.frame->hint(p);
    EXPECT_FALSE(t->isMinimizedTray());
    EXPECT_EQ(g.view->trays().front(), t);
    EXPECT_EQ(t->pieces().at(t->pieces().size() - 1), n) << "the hinted piece lies on top";

    // A board neighbour under a tray: the tray steps aside.
    t->pieces().take(0); // (2, 0) leaves the game, so the board's is the one candidate
    g.view->dropSinglePiece(fromBox(g, 0, 0), t->mapToGlobal(t->clientOrigin() + QPoint(20, 100)));
    ASSERT_TRUE(g.view->grid().at(0, 0));
    g.frame->hint(n);
    EXPECT_TRUE(t->isMinimizedTray());
}
