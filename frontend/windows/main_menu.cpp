#include "main_menu.h"

#include "about_box.h"
#include "frontend_art.h"
#include "game_menu.h"
#include "load_dialog.h"
#include "splash.h"
#include "vorlin_app.h"
#include "window_link.h"
#include "window_maker_ui.h"
#include "wizard_frame.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <cstdio>

QRect CMainMenuDlg::rectOf(ButtonId b)
{
    switch (b) {
    case GameMenu: return skin::box(10, 0, 71, 27);
    case Help: return kHelpRect;
    case Minimise: return kMinimiseRect;
    case Close: return kCloseRect;
    case NewGame: return skin::box(44, 468, 231, 518);
    case LoadGame: return skin::box(59, 527, 303, 583);
    case About: return skin::box(343, 510, 454, 553);
    case Exit: return skin::box(721, 547, 796, 591);
    }
    return {};
}

QString CMainMenuDlg::nameOf(ButtonId b)
{
    switch (b) {
    case GameMenu: return QStringLiteral("Game");
    case Help: return QStringLiteral("Help");
    case Minimise: return QStringLiteral("Minimize");
    case Close: return QStringLiteral("Close");
    case NewGame: return QStringLiteral("New Game");
    case LoadGame: return QStringLiteral("Load Game");
    case About: return QStringLiteral("About");
    case Exit: return QStringLiteral("Exit");
    }
    return {};
}

CMainMenuDlg::CMainMenuDlg(CVorlinApp& app, QWidget* parent, bool showSplash)
    : SkinWindow(app, parent, kSize), splashPending_(showSplash)
{
    setBackground(frontendBitmap(QStringLiteral("01_MAIN")));
    setWindowIcon(QIcon(QPixmap::fromImage(frontendBitmap(QStringLiteral("128")))));
    // Added in hit-test order, so the ids are the ButtonId values.
    addButton(frontendBitmap(QStringLiteral("BAR_GAME")), rectOf(GameMenu), nameOf(GameMenu));
    addCaptionButtons();
    addButton(frontendBitmap(QStringLiteral("01_NEWGAME")), rectOf(NewGame), nameOf(NewGame), true);
    addButton(frontendBitmap(QStringLiteral("01_LOADGAME")), rectOf(LoadGame), nameOf(LoadGame), true);
    addButton(frontendBitmap(QStringLiteral("01_ABOUT")), rectOf(About), nameOf(About), true);
    addButton(frontendBitmap(QStringLiteral("01_EXIT")), rectOf(Exit), nameOf(Exit), true);

    // The game menu hangs from its button: the keyboard leaving the button
    // puts it away, as the mouse moving to another button does.
    connect(this, &SkinWindow::keyboardFocusMoved, this, [this](int button) {
        if (button != GameMenu)
            hideGameMenu();
    });
    centreOnScreen(this);
    app.mainWindow = this;
    link_ = new WindowLink(CVorlinApp::productTitle(), this, this);
}

CMainMenuDlg::~CMainMenuDlg() = default;

void CMainMenuDlg::redrawNormal(int button)
{
    // The modal window opened by this button took the mouse: whatever the
    // tracker remembers is stale now.
    resetButtons();
    update(buttonRect(button));
}

void CMainMenuDlg::onButtonClick(int button)
{
    switch (button) {
    case GameMenu: showGameMenu(); break;
    case Help: app().OpenHelp(this); break;
    case Minimise:
        hideGameMenu();
        app().minimiseTogether(this);
        break;
    case Close:
    case Exit: OnCommand(kCmdExit); break;
    case NewGame: OnCommand(kCmdNewGame); break;
    case LoadGame: OnCommand(kCmdLoadGame); break;
    case About: runAbout(); break;
    default: break;
    }
}

void CMainMenuDlg::OnCommand(int id)
{
    switch (id) {
    case kCmdNewGame: runNewGame(); break;
    case kCmdLoadGame: runLoadGame(); break;
    case kCmdExit: accept(); break;
    default: break;
    }
}

void CMainMenuDlg::openPicture(const QString& path)
{
    bringToFront();
    if (app().childWindow || app().busy || !isVisible())
        return;
    runNewGame(path);
}

void CMainMenuDlg::runNewGame(const QString& picture)
{
    redrawNormal(NewGame);
    closeGameMenu();
    app().wizardPage = 1;
    WindowMakerUi ui(this);
    CWizardFrame wizard(app(), ui);
    ui.setParent(&wizard);
    if (!picture.isEmpty())
        QTimer::singleShot(0, &wizard, [&wizard, picture] { wizard.startWithPicture(picture); });
    wizard.exec();
    app().childWindow = nullptr;
    app().wizardPage = 0;
}

void CMainMenuDlg::runLoadGame()
{
    redrawNormal(LoadGame);
    closeGameMenu();
    CLoadDialog load(app());
    app().childWindow = &load;
    load.exec();
    app().childWindow = nullptr;
}

void CMainMenuDlg::runAbout()
{
    redrawNormal(About);
    CAboutDlg about(app(), this);
    about.exec();
    hideGameMenu();
}

void CMainMenuDlg::showGameMenu()
{
    if (!gameMenu_)
        gameMenu_ = new CGameMenu(app(), this);
    gameMenu_->show();
    gameMenu_->raise();
}

void CMainMenuDlg::hideGameMenu()
{
    if (!gameMenu_ || !gameMenu_->isVisible())
        return;
    gameMenu_->hide();
    // Over the menu the mouse was out of our sight.
    refreshHot();
}

void CMainMenuDlg::closeGameMenu()
{
    // The menu may be the one whose click got us here: let it finish first.
    if (gameMenu_) {
        gameMenu_->hide();
        gameMenu_->deleteLater();
        gameMenu_ = nullptr;
    }
}

void CMainMenuDlg::onPressElsewhere() { hideGameMenu(); }

void CMainMenuDlg::onHotChanged(int button)
{
    if (button != GameMenu)
        hideGameMenu();
}

bool CMainMenuDlg::event(QEvent* e)
{
    if (e->type() == QEvent::Type(kBringToFront)) {
        bringToFront();
        return true;
    }
    if (e->type() == QEvent::Type(kOpenPicture)) {
        // The sender waits for our answer: the wizard opens once it has it.
        const QString path = static_cast<WindowMessageEvent*>(e)->text;
        QTimer::singleShot(0, this, [this, path] { openPicture(path); });
        return true;
    }
    return SkinWindow::event(e);
}

void CMainMenuDlg::bringToFront()
{
    // Come forward without moving or resizing; a minimised window is shown
    // again, since coming forward minimised would show nothing.
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    if (app().childWindow) {
        app().childWindow->raise();
        app().childWindow->activateWindow();
    }
}

void CMainMenuDlg::showEvent(QShowEvent* e)
{
    SkinWindow::showEvent(e);
    if (!splashPending_)
        return;
    splashPending_ = false;
    // Shown after the menu, so it lies above it even without a window manager.
    auto* splash = new CSplashWnd(this);
    splash->show();
    splash->raise();
}

void CMainMenuDlg::paintEvent(QPaintEvent* e)
{
    SkinWindow::paintEvent(e);
    if (painted_)
        return;
    painted_ = true;
    // The start-up benchmark waits for this line: the time a user waits
    // for the menu is from starting the program to its first paint.
    if (qEnvironmentVariableIsSet("VORLIN_QUIT_AFTER_FIRST_PAINT")) {
        std::fputs("painted\n", stdout);
        std::fflush(stdout);
        QTimer::singleShot(0, this, &QDialog::accept);
    }
}

void CMainMenuDlg::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        app().restoreMinimised();
    SkinWindow::changeEvent(e);
}
