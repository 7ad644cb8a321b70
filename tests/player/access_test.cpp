// What a screen reader finds in the player, read through Qt's own
// accessibility interfaces: the painted buttons and menu rows with their
// names, roles and states, and the current piece, a hint and the finish
// told as changes of the frame's description.

#include "command_ids.h"
#include "frame_caption.h"
#include "game_fixture.h"
#include "popup_menu.h"
#include "tray_wnd.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <QAccessible>
#include <QTest>

namespace {

struct Part {
    QString name;
    QAccessible::Role role;
    QAccessible::State state;
};

// The children of a widget's interface that are no widgets of their own.
std::vector<Part> paintedParts(QWidget* w)
{
    std::vector<Part> parts;
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    if (!iface)
        return parts;
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface* c = iface->child(i);
        if (!c || c->object())
            continue;
        EXPECT_EQ(iface->indexOfChild(c), i);
        EXPECT_EQ(c->parent(), iface);
        parts.push_back({c->text(QAccessible::Name), c->role(), c->state()});
    }
    return parts;
}

std::vector<QString> namesOf(const std::vector<Part>& parts)
{
    std::vector<QString> names;
    for (const Part& p : parts)
        names.push_back(p.name);
    return names;
}

// Every description the frame announces, in order. Qt hands accessibility
// events only to an active reader, which a test run has none of; where one
// is active the events are recorded too and must say the same.
struct Listening {
    std::vector<QString> said;
    std::vector<QString> events;
    QWidget* frame;
    explicit Listening(QWidget* f)
        : frame(f)
    {
        QObject::connect(static_cast<CMainFrame*>(f), &CMainFrame::announced, f, [this](const QString& text) {
            said.push_back(text);
            // The reader finds the words where Qt's interfaces show them.
            EXPECT_EQ(QAccessible::queryAccessibleInterface(frame)->text(QAccessible::Description), text);
        });
        listener() = this;
        QAccessible::installUpdateHandler([](QAccessibleEvent* e) {
            if (listener() && e->type() == QAccessible::DescriptionChanged && e->object() == listener()->frame)
                listener()->events.push_back(listener()->frame->accessibleDescription());
        });
    }
    ~Listening()
    {
        QAccessible::installUpdateHandler(nullptr);
        listener() = nullptr;
        if (QAccessible::isActive()) {
            EXPECT_EQ(events, said);
        }
    }
    static Listening*& listener()
    {
        static Listening* l = nullptr;
        return l;
    }
};

} // namespace

TEST(Accessibility, PaintedButtonsHaveNamesAndButtonRoles)
{
    Game g(3, 3, 40, false);
    const std::vector<Part> board = paintedParts(g.view);
    EXPECT_EQ(namesOf(board), (std::vector<QString>{"Rotate", "Restart", "Hint", "Add tray"}));
    for (const Part& p : board)
        EXPECT_EQ(p.role, QAccessible::Button) << p.name.toStdString();

    const std::vector<Part> caption = paintedParts(g.frame);
    EXPECT_EQ(namesOf(caption), (std::vector<QString>{"Game", "Options", "Help", "Minimize", "Close"}));
    for (const Part& p : caption)
        EXPECT_EQ(p.role, QAccessible::Button) << p.name.toStdString();
    EXPECT_EQ(QAccessible::queryAccessibleInterface(g.frame)->role(), QAccessible::Window);
}

TEST(Accessibility, MenuRowsAreItemsCheckedOrUnavailable)
{
    Game g(3, 3, 40, false);
    auto* menu = new CPopupMenuWnd(*g.frame,
                                   {{"Undo", cmd::kUndo, CPopupMenuWnd::Crossed},
                                    {"Save", cmd::kFileSave, CPopupMenuWnd::Plain},
                                    {"Sound", cmd::kSound, CPopupMenuWnd::Checked},
                                    {"Background", cmd::kBackground, CPopupMenuWnd::Crossed}},
                                   g.app.look().largeFont);
    menu->open(QPoint(10, 30));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(menu)->role(), QAccessible::PopupMenu);
    const std::vector<Part> rows = paintedParts(menu);
    ASSERT_EQ(namesOf(rows), (std::vector<QString>{"Undo", "Save", "Sound", "Background"}));
    for (const Part& r : rows)
        EXPECT_EQ(r.role, QAccessible::MenuItem);
    // Undo with nothing to take back is unavailable, not a switch that is off.
    EXPECT_TRUE(rows[0].state.disabled);
    EXPECT_FALSE(rows[0].state.checkable);
    EXPECT_FALSE(rows[1].state.disabled);
    EXPECT_FALSE(rows[1].state.checked);
    EXPECT_TRUE(rows[2].state.checkable);
    EXPECT_TRUE(rows[2].state.checked);
    EXPECT_TRUE(rows[3].state.checkable);
    EXPECT_FALSE(rows[3].state.checked);
    EXPECT_FALSE(rows[3].state.disabled);
    menu->releaseMouse();
    delete menu;
}

TEST(Accessibility, TheCurrentPieceAndAHintAreAnnounced)
{
    Game g(2, 2, 40, false);
    Listening ear(g.frame);
    QTest::keyClick(g.frame, Qt::Key_Tab);
    ASSERT_FALSE(ear.said.empty());
    EXPECT_EQ(ear.said.back(), QStringLiteral("corner piece, 1 of 4 in the column"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(g.frame)->text(QAccessible::Description), ear.said.back());

    QTest::keyClick(g.frame, Qt::Key_H);
    EXPECT_EQ(ear.said.back(), QStringLiteral("Hint: the neighbour is in the column"));
    // The same words again are still news.
    const size_t before = ear.said.size();
    QTest::keyClick(g.frame, Qt::Key_H);
    EXPECT_EQ(ear.said.size(), before + 1);
    // Shift + right click in the column asks for a hint too, and is heard once.
    Game::rightClick(g.strip, g.stripCentreOf(g.frame->currentPiece()), Qt::ShiftModifier);
    EXPECT_EQ(ear.said.back(), QStringLiteral("Hint: the neighbour is in the column"));
    EXPECT_EQ(std::count_if(ear.said.begin() + long(before) + 1, ear.said.end(),
                            [](const QString& t) { return t.startsWith(QStringLiteral("Hint:")); }),
              1);

    // Two pieces joined on the board, loose.
    CPiece* a = g.boxPiece(0, 1);
    CPiece* b = g.boxPiece(1, 1);
    g.drag(g.strip, g.stripCentreOf(a), g.globalForOrigin(QPoint(200, 200)));
    g.drag(g.strip, g.stripCentreOf(b), g.globalForOrigin(QPoint(240, 200)));
    ASSERT_FALSE(b->fixed);
    EXPECT_EQ(ear.said.back(), QStringLiteral("corner piece, on the board, loose, group of 2"));

}

TEST(Accessibility, TheFinishIsAnnounced)
{
    Game g(2, 2, 40, false);
    Listening ear(g.frame);
    g.placeFromStrip(0, 0);
    ASSERT_FALSE(ear.said.empty());
    EXPECT_EQ(ear.said.back(), QStringLiteral("corner piece, on the board, fixed"));
    g.placeFromStrip(1, 0);
    g.placeFromStrip(0, 1);
    g.placeFromStrip(1, 1);
    EXPECT_EQ(g.doc->finished, 1);
    EXPECT_NE(std::find(ear.said.begin(), ear.said.end(), QStringLiteral("Puzzle complete")), ear.said.end());
}

namespace {

// The interface a reader reaches from the frame's, by its widget: the tree
// must lead there, not only the widget's own query.
QAccessibleInterface* reachedFrom(QWidget* top, QWidget* w)
{
    QAccessibleInterface* at = QAccessible::queryAccessibleInterface(top);
    std::vector<QAccessibleInterface*> todo{at};
    while (!todo.empty()) {
        QAccessibleInterface* i = todo.back();
        todo.pop_back();
        if (i->object() == w)
            return i;
        for (int c = 0; c < i->childCount(); ++c) {
            if (QAccessibleInterface* child = i->child(c))
                todo.push_back(child);
        }
    }
    return nullptr;
}

CPopupMenuWnd* openBy(Game& g, CMainFrame::CaptionButton b)
{
    const QPoint at = frame_caption::buttonRect(b).center();
    Game::send(g.frame, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    Game::send(g.frame, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    return g.frame->openMenu();
}

} // namespace

// A reader says "filler" for a bare client area and passes over it: the
// board, the column and a tray are panes it can name, reached from the frame.
TEST(Accessibility, BoardColumnAndTraysAreNamedPanesUnderTheFrame)
{
    Game g(3, 3, 40, false);
    QAccessibleInterface* board = reachedFrom(g.frame, g.view);
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board->role(), QAccessible::Pane);
    EXPECT_EQ(board->text(QAccessible::Name), QStringLiteral("Board"));
    // Its painted buttons still follow its widgets and lead back to it.
    EXPECT_EQ(namesOf(paintedParts(g.view)), (std::vector<QString>{"Rotate", "Restart", "Hint", "Add tray"}));

    QAccessibleInterface* column = reachedFrom(g.frame, g.strip);
    ASSERT_NE(column, nullptr);
    EXPECT_EQ(column->role(), QAccessible::Pane);
    EXPECT_EQ(column->text(QAccessible::Name), QStringLiteral("Pieces"));
    QAccessibleInterface* panel = column->parent();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->text(QAccessible::Name), QStringLiteral("Piece Viewer"));

    // A name given to the widget itself wins.
    g.view->setAccessibleName(QStringLiteral("Picture"));
    EXPECT_EQ(board->text(QAccessible::Name), QStringLiteral("Picture"));

    CTrayWnd* second = nullptr;
    g.view->openTray();
    second = g.view->openTray();
    QAccessibleInterface* tray = reachedFrom(g.frame, second);
    ASSERT_NE(tray, nullptr);
    EXPECT_EQ(tray->role(), QAccessible::Pane);
    EXPECT_EQ(tray->text(QAccessible::Name), QStringLiteral("Tray2"));
    std::vector<Part> buttons = paintedParts(second);
    EXPECT_EQ(namesOf(buttons), (std::vector<QString>{"Minimize", "Close"}));
    for (const Part& b : buttons)
        EXPECT_EQ(b.role, QAccessible::Button);
    // Each button lies where it is painted, in the tray's title band.
    QAccessibleInterface* close = tray->child(tray->childCount() - 1);
    EXPECT_EQ(close->rect(), QRect(second->mapToGlobal(second->closeButtonRect().topLeft()), second->closeButtonRect().size()));

    // Minimised, the left button brings the tray back.
    second->minimizeTray();
    EXPECT_EQ(namesOf(paintedParts(second)), (std::vector<QString>{"Restore", "Close"}));
}

TEST(Accessibility, MenusAreNamedAfterTheirButtonAndTheBrightRowIsTheSelectedOne)
{
    Game g(3, 3, 40, false);
    CPopupMenuWnd* menu = openBy(g, CMainFrame::Game);
    ASSERT_NE(menu, nullptr);
    QAccessibleInterface* iface = reachedFrom(g.frame, menu);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::PopupMenu);
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("Game"));

    // The cursor over the second row lights it: that row alone is selected and focused.
    const QPoint onSave(10, CPopupMenuWnd::kRowHeight + CPopupMenuWnd::kRowHeight / 2);
    Game::send(menu, QEvent::MouseMove, onSave, Qt::NoButton, Qt::NoButton);
    ASSERT_EQ(menu->hotRow(), 1);
    std::vector<Part> rows = paintedParts(menu);
    ASSERT_EQ(rows.size(), 5u);
    for (size_t r = 0; r < rows.size(); ++r) {
        EXPECT_TRUE(rows[r].state.selectable) << r;
        EXPECT_EQ(bool(rows[r].state.selected), r == 1) << r;
        EXPECT_EQ(bool(rows[r].state.focused), r == 1) << r;
    }
    // Beside every row nothing is.
    Game::send(menu, QEvent::MouseMove, QPoint(menu->width() + 5, 5), Qt::NoButton, Qt::NoButton);
    rows = paintedParts(menu);
    EXPECT_TRUE(std::none_of(rows.begin(), rows.end(), [](const Part& p) { return p.state.selected || p.state.focused; }));

    // A click away closes it; the Options menu has its own name.
    Game::send(menu, QEvent::MouseButtonPress, QPoint(-20, -20), Qt::LeftButton, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(g.frame->openMenu(), nullptr);
    menu = openBy(g, CMainFrame::Options);
    ASSERT_NE(menu, nullptr);
    iface = reachedFrom(g.frame, menu);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("Options"));
    EXPECT_EQ(namesOf(paintedParts(menu)), (std::vector<QString>{"Sound", "Background", "Edges First", "Edges Only"}));
    menu->releaseMouse();
}

// A reader's mouse review asks each interface what lies under the pointer,
// down to the painted button or menu row.
TEST(Accessibility, ThePartUnderAPointIsFoundFromTheFrameDown)
{
    Game g(3, 3, 40, false);
    QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(g.frame);
    auto nameAt = [](QAccessibleInterface* i, QPoint global) {
        QAccessibleInterface* hit = i ? i->childAt(global.x(), global.y()) : nullptr;
        // As text, so that a failure shows the name found.
        return hit ? hit->text(QAccessible::Name).toStdString() : std::string("(nothing)");
    };
    const QPoint options = g.frame->mapToGlobal(frame_caption::buttonRect(CMainFrame::Options).center());
    EXPECT_EQ(nameAt(frame, options), "Options");
    const QPoint hint = g.view->mapToGlobal(CTileMenderView::buttonRect(CTileMenderView::Hint).center());
    EXPECT_EQ(nameAt(frame, hint), "Board");
    EXPECT_EQ(nameAt(QAccessible::queryAccessibleInterface(g.view), hint), "Hint");

    // The Game menu hangs over the column: the menu is on top there.
    CPopupMenuWnd* menu = openBy(g, CMainFrame::Game);
    ASSERT_NE(menu, nullptr);
    const QPoint redo = menu->mapToGlobal(QPoint(10, 3 * CPopupMenuWnd::kRowHeight + 5));
    ASSERT_TRUE(g.strip->rect().contains(g.strip->mapFromGlobal(redo)));
    EXPECT_EQ(nameAt(frame, redo), "Game");
    EXPECT_EQ(nameAt(QAccessible::queryAccessibleInterface(menu), redo), "Redo");
    // Beside the rows, under the menu's last row: the column again.
    EXPECT_EQ(nameAt(frame, menu->mapToGlobal(QPoint(10, menu->height() + 5))), "Piece Viewer");
    menu->releaseMouse();
}

// Orca says a notification each time it shows: the frame's news is one, the
// frame's last child, whose name follows every announcement.
TEST(Accessibility, TheNewsIsANotificationUnderTheFrame)
{
    Game g(2, 2, 40, false);
    QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(g.frame);
    ASSERT_GT(frame->childCount(), 0);
    QAccessibleInterface* news = frame->child(frame->childCount() - 1);
    ASSERT_NE(news, nullptr);
    EXPECT_EQ(news->role(), QAccessible::Notification);
    EXPECT_EQ(news->parent(), frame);
    EXPECT_EQ(frame->indexOfChild(news), frame->childCount() - 1);
    // Nothing said yet: there is nothing to show.
    EXPECT_TRUE(news->state().invisible);
    // It has no place on the screen: pointing finds the caption, never it.
    const QPoint corner = g.frame->mapToGlobal(QPoint(5, 5));
    EXPECT_NE(frame->childAt(corner.x(), corner.y()), news);

    Listening ear(g.frame);
    QTest::keyClick(g.frame, Qt::Key_Tab);
    EXPECT_EQ(news->text(QAccessible::Name), QStringLiteral("corner piece, 1 of 4 in the column"));
    EXPECT_FALSE(news->state().invisible);
    QTest::keyClick(g.frame, Qt::Key_H);
    EXPECT_EQ(news->text(QAccessible::Name), ear.said.back());
    // The same one stays, however much is said.
    EXPECT_EQ(frame->child(frame->childCount() - 1), news);
    EXPECT_EQ(namesOf(paintedParts(g.frame)), (std::vector<QString>{"Game", "Options", "Help", "Minimize", "Close"}));
}

namespace {

// Presses the painted part named `name` under `w` as a reader does, and lets the click land.
bool press(QWidget* w, const QString& name)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    for (int i = 0; iface && i < iface->childCount(); ++i) {
        QAccessibleInterface* c = iface->child(i);
        if (!c || c->object() || c->text(QAccessible::Name) != name)
            continue;
        QAccessibleActionInterface* action = c->actionInterface();
        if (!action || !action->actionNames().contains(QAccessibleActionInterface::pressAction()))
            return false;
        action->doAction(QAccessibleActionInterface::pressAction());
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return true;
    }
    return false;
}

} // namespace

// What the mouse can click, a reader can press; what does nothing is unavailable.
TEST(Accessibility, PaintedButtonsArePressedThroughTheReader)
{
    Game g(3, 3, 40, false);
    // Pieces that never turn: Rotate is there, unavailable, and cannot be pressed.
    std::vector<Part> board = paintedParts(g.view);
    ASSERT_EQ(board.size(), 4u);
    EXPECT_TRUE(board[0].state.disabled);
    EXPECT_FALSE(board[2].state.disabled);
    EXPECT_FALSE(press(g.view, QStringLiteral("Rotate")));

    ASSERT_TRUE(press(g.frame, QStringLiteral("Options")));
    CPopupMenuWnd* menu = g.frame->openMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(menu)->text(QAccessible::Name), QStringLiteral("Options"));
    const int sound = g.app.playerState().soundOption;
    ASSERT_TRUE(press(menu, QStringLiteral("Sound")));
    EXPECT_NE(g.app.playerState().soundOption, sound);
    EXPECT_EQ(g.frame->openMenu(), nullptr) << "a chosen row closes its menu";

    // Undo with nothing done is unavailable: no press, the menu stays.
    ASSERT_TRUE(press(g.frame, QStringLiteral("Game")));
    menu = g.frame->openMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_FALSE(press(menu, QStringLiteral("Undo")));
    EXPECT_EQ(g.frame->openMenu(), menu);
    menu->releaseMouse();

    CTrayWnd* tray = g.view->openTray();
    ASSERT_TRUE(press(tray, QStringLiteral("Minimize")));
    EXPECT_TRUE(tray->isMinimizedTray());
    ASSERT_TRUE(press(tray, QStringLiteral("Restore")));
    EXPECT_FALSE(tray->isMinimizedTray());
}

TEST(Accessibility, RotateIsAvailableWherePiecesTurn)
{
    Game g(3, 3, 40, true);
    const std::vector<Part> board = paintedParts(g.view);
    ASSERT_EQ(board.size(), 4u);
    for (const Part& b : board)
        EXPECT_FALSE(b.state.disabled) << b.name.toStdString();
}
