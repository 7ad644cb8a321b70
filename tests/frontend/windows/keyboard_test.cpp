// The skinned windows by keyboard and screen reader: the key rules without a
// window, then the real windows driven with key events only: the ring Tab
// walks, the pressed look while a key is down, Escape and Alt+F4, the focus
// corners seen on every button, a whole puzzle made from the main menu
// without the mouse, and what a screen reader is told.

#include "frontend_fixture.h"
#include "game_menu.h"
#include "library_file.h"
#include "load_dialog.h"
#include "load_fixture.h"
#include "main_menu.h"
#include "message_box.h"
#include "picture_source.h"
#include "skin_focus.h"
#include "vorlin_app.h"
#include "window_maker_ui.h"
#include "wizard_frame.h"
#include "wizard_pages.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using skin::FocusStop;
using skin::KeyAction;
using skin::kNone;

// --- the rules --------------------------------------------------------------

TEST(KeyRules, EachKeyMeansOneThingAndModifiedKeysMostlyNothing)
{
    EXPECT_EQ(skin::keyAction(Qt::Key_Tab, {}), KeyAction::NextStop);
    EXPECT_EQ(skin::keyAction(Qt::Key_Tab, Qt::ShiftModifier), KeyAction::PreviousStop);
    EXPECT_EQ(skin::keyAction(Qt::Key_Backtab, Qt::ShiftModifier), KeyAction::PreviousStop);
    EXPECT_EQ(skin::keyAction(Qt::Key_Tab, Qt::ControlModifier), KeyAction::None);
    for (int key : {Qt::Key_Space, Qt::Key_Return})
        EXPECT_EQ(skin::keyAction(key, {}), KeyAction::Press);
    EXPECT_EQ(skin::keyAction(Qt::Key_Enter, Qt::KeypadModifier), KeyAction::Press);
    EXPECT_EQ(skin::keyAction(Qt::Key_Return, Qt::ShiftModifier), KeyAction::None);
    EXPECT_EQ(skin::keyAction(Qt::Key_Escape, {}), KeyAction::Back);
    EXPECT_EQ(skin::keyAction(Qt::Key_F4, Qt::AltModifier), KeyAction::Close);
    EXPECT_EQ(skin::keyAction(Qt::Key_F4, {}), KeyAction::None);
    EXPECT_EQ(skin::keyAction(Qt::Key_F4, Qt::AltModifier | Qt::ShiftModifier), KeyAction::None);
    EXPECT_EQ(skin::keyAction(Qt::Key_Down, {}), KeyAction::NextOption);
    EXPECT_EQ(skin::keyAction(Qt::Key_Right, {}), KeyAction::NextOption);
    EXPECT_EQ(skin::keyAction(Qt::Key_Up, {}), KeyAction::PreviousOption);
    EXPECT_EQ(skin::keyAction(Qt::Key_Left, {}), KeyAction::PreviousOption);
    EXPECT_EQ(skin::keyAction(Qt::Key_A, {}), KeyAction::None);
}

TEST(KeyRules, TheRingReadsInOrderWithCaptionsLastAndWraps)
{
    const std::vector<FocusStop> stops = {
        {FocusStop::Caption, true, 0}, {FocusStop::Button, true, 0}, {FocusStop::Caption, false, 0},
        {FocusStop::Radio, true, 1},   {FocusStop::Button, false, 0}, {FocusStop::Text, true, 1},
        {FocusStop::Caption, true, 0},
    };
    EXPECT_EQ(skin::focusOrder(stops), (std::vector<int>{1, 3, 5, 0, 6}));
    EXPECT_TRUE(skin::focusOrder({{FocusStop::Button, false, 0}}).empty());

    EXPECT_EQ(skin::stepRing(5, kNone, true), 0);
    EXPECT_EQ(skin::stepRing(5, kNone, false), 4);
    EXPECT_EQ(skin::stepRing(5, 4, true), 0);
    EXPECT_EQ(skin::stepRing(5, 0, false), 4);
    EXPECT_EQ(skin::stepRing(5, 2, true), 3);
    EXPECT_EQ(skin::stepRing(1, 0, true), 0);
    EXPECT_EQ(skin::stepRing(0, kNone, true), kNone);
    EXPECT_EQ(skin::stepRing(3, 7, true), 0) << "a stop gone from the ring starts it again";
}

TEST(KeyRules, ArrowsStayAmongTheOptionsOfOneGroup)
{
    const std::vector<FocusStop> stops = {
        {FocusStop::Radio, true, 0},  {FocusStop::Button, true, 0}, {FocusStop::Radio, false, 0},
        {FocusStop::Radio, true, 0},  {FocusStop::Radio, true, 1},  {FocusStop::Radio, true, 2},
    };
    EXPECT_EQ(skin::stepOption(stops, 0, true), 3) << "a hidden option is passed over";
    EXPECT_EQ(skin::stepOption(stops, 3, true), 0) << "wraps inside the group, not into the next";
    EXPECT_EQ(skin::stepOption(stops, 0, false), 3);
    EXPECT_EQ(skin::stepOption(stops, 4, true), 4) << "alone in its group";
    EXPECT_EQ(skin::stepOption(stops, 1, true), 1) << "a plain button is no option";
    EXPECT_EQ(skin::stepOption(stops, kNone, true), kNone);
}

// --- the windows ------------------------------------------------------------

namespace {

// The widget a key goes to: the one with the keyboard in the topmost modal
// window, or in `root` when none is open.
QWidget* keyTarget(QWidget* root)
{
    QWidget* top = QApplication::activeModalWidget();
    if (!top)
        top = root;
    QWidget* f = top->focusWidget();
    return f ? f : top;
}

void key(QWidget* root, Qt::Key k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(keyTarget(root), k, m); }

// The name of the button or option a screen reader is told has the focus,
// looked for through the window's accessible children and theirs.
QString focusedName(QWidget* root)
{
    std::function<QString(QAccessibleInterface*)> find = [&](QAccessibleInterface* i) -> QString {
        for (int c = 0; c < i->childCount(); ++c) {
            QAccessibleInterface* ch = i->child(c);
            if (!ch)
                continue;
            if (!ch->object() && ch->state().focused)
                return ch->text(QAccessible::Name);
            if (const QString inner = find(ch); !inner.isEmpty())
                return inner;
        }
        return {};
    };
    return find(QAccessible::queryAccessibleInterface(root));
}

// Tabs on until the named stop has the focus; false after a whole lap without it.
bool tabTo(QWidget* root, const QString& name)
{
    for (int i = 0; i < 16; ++i) {
        if (focusedName(root) == name)
            return true;
        key(root, Qt::Key_Tab);
    }
    return focusedName(root) == name;
}

QImage shot(QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }

// The rectangle holding every pixel that differs between a and b.
QRect changed(const QImage& a, const QImage& b)
{
    QRect r;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                r |= QRect(x, y, 1, 1);
    return r;
}

struct KeyMenu : ::testing::Test {
    SuiteTree tree;
    MessageBoxScript boxes;
    CVorlinApp app{tree.folders};
    CMainMenuDlg menu{app};

    void SetUp() override
    {
        menu.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    }
};

} // namespace

TEST_F(KeyMenu, NothingIsDrawnOrDoneUntilTheFirstTab)
{
    const QImage before = shot(&menu);
    key(&menu, Qt::Key_Escape);
    key(&menu, Qt::Key_Space);
    key(&menu, Qt::Key_Down);
    EXPECT_TRUE(menu.isVisible()) << "Escape at a window the mouse drives keeps it";
    EXPECT_EQ(shot(&menu), before);
    EXPECT_EQ(menu.focusedButton(), kNone);

    key(&menu, Qt::Key_Tab);
    ASSERT_EQ(menu.focusedButton(), CMainMenuDlg::GameMenu);
    const QImage after = shot(&menu);
    const QRect diff = changed(before, after);
    EXPECT_FALSE(diff.isEmpty());
    EXPECT_TRUE(menu.focusRect(CMainMenuDlg::GameMenu).contains(diff)) << "only around the focused button";
}

TEST_F(KeyMenu, TabReadsTheMenuTopToBottomCaptionButtonsLastAndWraps)
{
    const QStringList ring = {"Game", "New Game", "Load Game", "About", "Exit", "Help", "Minimize", "Close"};
    QStringList seen;
    for (int i = 0; i <= ring.size(); ++i) {
        key(&menu, Qt::Key_Tab);
        seen << focusedName(&menu);
    }
    EXPECT_EQ(seen, ring + QStringList{"Game"});
    key(&menu, Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(focusedName(&menu), QStringLiteral("Close"));
    EXPECT_EQ(menu.focusedButton(), CMainMenuDlg::Close);
    key(&menu, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focusedName(&menu), QStringLiteral("Minimize"));

    // Game's menu opens by key and goes away as the keyboard moves on.
    ASSERT_TRUE(tabTo(&menu, QStringLiteral("Game")));
    key(&menu, Qt::Key_Return);
    ASSERT_NE(menu.gameMenu(), nullptr);
    EXPECT_TRUE(menu.gameMenu()->isVisible());
    key(&menu, Qt::Key_Tab);
    EXPECT_FALSE(menu.gameMenu()->isVisible());
}

TEST_F(KeyMenu, SpaceHoldsTheButtonPressedAndClicksAsItComesUp)
{
    ASSERT_TRUE(tabTo(&menu, QStringLiteral("Help")));
    QWidget* target = keyTarget(&menu);
    QTest::keyPress(target, Qt::Key_Space);
    EXPECT_EQ(menu.lookOf(CMainMenuDlg::Help), skin::Pressed);
    EXPECT_TRUE(boxes.calls().empty()) << "nothing happens while the key is down";
    QTest::keyRelease(target, Qt::Key_Space);
    EXPECT_EQ(menu.lookOf(CMainMenuDlg::Help), skin::Normal);
    ASSERT_EQ(boxes.calls().size(), 1u) << "the manual is missing here, and Help says so";

    // Return does the same; a release without its press clicks nothing.
    QTest::keyRelease(target, Qt::Key_Return);
    EXPECT_EQ(boxes.calls().size(), 1u);
    key(&menu, Qt::Key_Return);
    EXPECT_EQ(boxes.calls().size(), 2u);
}

TEST_F(KeyMenu, EscapeOnceTheKeyboardIsInUseDoesWhatCloseDoes)
{
    key(&menu, Qt::Key_Tab);
    key(&menu, Qt::Key_Escape);
    EXPECT_FALSE(menu.isVisible());
    EXPECT_EQ(menu.result(), QDialog::Accepted) << "as Close and Exit end the menu";
}

TEST(KeyLoadWindow, AltF4ClosesArrowsWalkTheListAndTabStartsAtPlay)
{
    LoadTree tree;
    tree.makeLibrary(3);
    MessageBoxScript boxes;
    CVorlinApp app(tree.folders);
    CLoadDialog dlg(app);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_EQ(dlg.pager().selected(), 0);
    key(&dlg, Qt::Key_Down);
    EXPECT_EQ(dlg.pager().selected(), 1);
    key(&dlg, Qt::Key_Up);
    key(&dlg, Qt::Key_Up);
    EXPECT_EQ(dlg.pager().selected(), 2) << "wraps to the last filled slot";
    key(&dlg, Qt::Key_Tab);
    EXPECT_EQ(focusedName(&dlg), QStringLiteral("Play"));
    for (int i = 0; i < 4; ++i)
        key(&dlg, Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(focusedName(&dlg), QStringLiteral("Page Down")) << "the page buttons just before the caption's";
    key(&dlg, Qt::Key_F4, Qt::AltModifier);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_TRUE(boxes.calls().empty());
}

// Every stop of every window, in turn: the corners must stand out from what
// lies under them, dark purple, light panel or button face alike.
TEST(KeyFocusLook, TheCornersStandOutAroundEveryButtonOfEveryWindow)
{
    LoadTree tree;
    tree.makeLibrary(2);
    MessageBoxScript boxes;
    CVorlinApp app(tree.folders);
    CMainMenuDlg menu(app);
    CLoadDialog load(app);
    WindowMakerUi ui(nullptr);
    CWizardFrame wizard(app, ui);
    for (QWidget* w : std::initializer_list<QWidget*>{&menu, &load, &wizard}) {
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
        const QImage plain = shot(w);
        QStringList seen;
        for (int i = 0; i < 12; ++i) {
            key(w, Qt::Key_Tab);
            const QString name = focusedName(w);
            if (seen.contains(name))
                break;
            seen << name;
            const QImage lit = shot(w);
            // Pixels whose brightness jumped by a good third of the scale.
            int strong = 0;
            for (int y = 0; y < lit.height(); ++y)
                for (int x = 0; x < lit.width(); ++x)
                    strong += std::abs(qGray(lit.pixel(x, y)) - qGray(plain.pixel(x, y))) >= 90;
            EXPECT_GE(strong, 4 * 40) << qPrintable(name);
        }
        EXPECT_GE(seen.size(), 8);
        w->hide();
    }
}

// Main menu, New Game, the picture, the level, the name, Finish: keys only,
// each sent where the keyboard is. The file dialog's answer is scripted, as
// in the wizard's own tests.
TEST_F(KeyMenu, AWholePuzzleIsMadeWithoutTheMouse)
{
    const QString picture = tree.dir.filePath(QStringLiteral("boats.png"));
    ASSERT_TRUE(testfiles::patternImage(320, 240).save(picture));
    picture_source::PictureChoiceScript pictures;
    pictures.answer(picture);
    int lastPage = 0;
    bool typedInTheField = false, leftTheFieldByTab = false;
    QTimer::singleShot(0, [&] {
        auto* w = qobject_cast<CWizardFrame*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        // Page 1: the picture file is the option already chosen.
        ASSERT_TRUE(tabTo(w, QStringLiteral("Open a picture file")));
        key(w, Qt::Key_Space);
        ASSERT_TRUE(tabTo(w, QStringLiteral("Next")));
        key(w, Qt::Key_Return);
        ASSERT_EQ(w->page(), 2);
        // Page 2: Normal by the arrow, then Next again.
        ASSERT_TRUE(tabTo(w, QStringLiteral("Easy")));
        key(w, Qt::Key_Down);
        EXPECT_EQ(w->pageWindow(2)->value(), 1);
        EXPECT_EQ(focusedName(w), QStringLiteral("Normal"));
        ASSERT_TRUE(tabTo(w, QStringLiteral("Next")));
        key(w, Qt::Key_Return);
        ASSERT_EQ(w->page(), 3);
        key(w, Qt::Key_Return);
        ASSERT_EQ(w->page(), 4);
        // The name page puts the caret in the field; the field keeps its
        // own keys (Space, the arrows), Tab leaves it and comes back to it.
        QLineEdit* field = w->pageWindow(4)->nameField();
        ASSERT_EQ(keyTarget(w), field);
        EXPECT_EQ(focusedName(w), QString()) << "no button keeps the focus while the caret is in the field";
        for (char c : std::string("Bot a"))
            QTest::keyClick(keyTarget(w), c);
        key(w, Qt::Key_Left);
        key(w, Qt::Key_Backspace);
        typedInTheField = field->text() == QStringLiteral("Bota");
        key(w, Qt::Key_Tab);
        leftTheFieldByTab = keyTarget(w) != field && !focusedName(w).isEmpty();
        for (int i = 0; i < 16 && keyTarget(w) != field; ++i)
            key(w, Qt::Key_Tab);
        ASSERT_EQ(keyTarget(w), field);
        key(w, Qt::Key_Return);
        ASSERT_EQ(w->page(), 5);
        // Escape is Back; Next pressed by key turns into Finish under the keyboard.
        key(w, Qt::Key_Escape);
        ASSERT_EQ(w->page(), 4);
        ASSERT_TRUE(tabTo(w, QStringLiteral("Next")));
        key(w, Qt::Key_Space);
        ASSERT_EQ(w->page(), 5);
        EXPECT_EQ(focusedName(w), QStringLiteral("Finish"));
        lastPage = w->page();
        key(w, Qt::Key_Return);
    });
    ASSERT_TRUE(tabTo(&menu, QStringLiteral("New Game")));
    key(&menu, Qt::Key_Return);

    EXPECT_EQ(lastPage, 5);
    EXPECT_TRUE(typedInTheField);
    EXPECT_TRUE(leftTheFieldByTab);
    for (const auto& call : boxes.calls())
        ADD_FAILURE() << call.text.toStdString();
    const std::vector<LibraryRecord> list = LibraryFile(tree.folders.libraryFile).readList(tree.folders.data);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_TRUE(list[0].name.compare(QStringLiteral("Bota"), Qt::CaseInsensitive) == 0) << qPrintable(list[0].name);
    EXPECT_TRUE(tree.exists(list[0].name + QStringLiteral(".puz")));
    EXPECT_TRUE(menu.isVisible()) << "the menu is there again after the wizard";
}

// --- what a screen reader is told ------------------------------------------


// The focus news goes out as a QAccessibleEvent too, which Qt hands on only
// to a platform reader; offscreen there is none, so the signal beside it is heard.
TEST_F(KeyMenu, EveryButtonHasItsNameAndRoleAndTheFocusIsAnnounced)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&menu);
    ASSERT_NE(iface, nullptr);
    ASSERT_GE(iface->childCount(), menu.buttonCount());
    for (int b = CMainMenuDlg::GameMenu; b <= CMainMenuDlg::Exit; ++b) {
        QAccessibleInterface* c = iface->child(b);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->text(QAccessible::Name), CMainMenuDlg::nameOf(CMainMenuDlg::ButtonId(b)));
        EXPECT_FALSE(c->text(QAccessible::Name).isEmpty());
        EXPECT_EQ(c->role(), QAccessible::PushButton);
        EXPECT_EQ(c->parent(), iface);
        EXPECT_EQ(iface->indexOfChild(c), b);
        EXPECT_EQ(c, iface->child(b)) << "asked twice, the same child";
        EXPECT_EQ(c->rect(), QRect(menu.mapToGlobal(CMainMenuDlg::rectOf(CMainMenuDlg::ButtonId(b)).topLeft()),
                                   CMainMenuDlg::rectOf(CMainMenuDlg::ButtonId(b)).size()));
        EXPECT_FALSE(c->state().focused);
    }
    EXPECT_EQ(iface->child(CMainMenuDlg::NewGame)->text(QAccessible::Name), QStringLiteral("New Game"));

    std::vector<int> moves;
    QObject::connect(&menu, &SkinWindow::keyboardFocusMoved, [&](int b) { moves.push_back(b); });
    key(&menu, Qt::Key_Tab);
    key(&menu, Qt::Key_Tab);
    EXPECT_EQ(moves, (std::vector<int>{CMainMenuDlg::GameMenu, CMainMenuDlg::NewGame}));
    EXPECT_TRUE(iface->child(CMainMenuDlg::NewGame)->state().focused);
    EXPECT_EQ(iface->focusChild(), iface->child(CMainMenuDlg::NewGame));

    // Its press action is a click: Help says the manual is missing.
    auto* action = iface->child(CMainMenuDlg::Help)->actionInterface();
    ASSERT_NE(action, nullptr);
    action->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(boxes.calls().size(), 1u);
}

TEST(KeyAccessible, OptionsAreRadioButtonsCheckedAsChosenAndHiddenButtonsSaySo)
{
    SuiteTree tree;
    CVorlinApp app(tree.folders);
    WindowMakerUi ui(nullptr);
    CWizardFrame wizard(app, ui);
    wizard.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&wizard));
    CWizardPage* level = wizard.pageWindow(2);
    QAccessibleInterface* page = QAccessible::queryAccessibleInterface(level);
    ASSERT_NE(page, nullptr);
    const QStringList names = {"Easy", "Normal", "Hard", "Custom..."};
    for (int i = 0; i < names.size(); ++i) {
        QAccessibleInterface* c = page->child(i);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->text(QAccessible::Name), names[i]);
        EXPECT_EQ(c->role(), QAccessible::RadioButton);
        EXPECT_TRUE(c->state().checkable);
        EXPECT_EQ(bool(c->state().checked), i == 0);
    }
    level->selectValue(2);
    EXPECT_TRUE(page->child(2)->state().checked);
    EXPECT_FALSE(page->child(0)->state().checked);

    QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(&wizard);
    EXPECT_EQ(frame->child(CWizardFrame::Finish)->text(QAccessible::Name), QStringLiteral("Finish"));
    EXPECT_TRUE(frame->child(CWizardFrame::Finish)->state().invisible) << "Finish shows only on the last page";
    EXPECT_FALSE(frame->child(CWizardFrame::Next)->state().invisible);
    // The pages follow the buttons among the frame's children.
    bool pageFound = false;
    for (int i = wizard.buttonCount(); i < frame->childCount(); ++i)
        pageFound |= frame->child(i) && frame->child(i)->object() == wizard.pageWindow(1);
    EXPECT_TRUE(pageFound);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(wizard.pageWindow(4)->nameField())->text(QAccessible::Name),
              QStringLiteral("Puzzle name"));
}
