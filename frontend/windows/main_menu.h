#pragma once
// The main menu window: the first thing a user sees. It opens the wizard, the
// list of saved puzzles and the about box, one at a time above itself.

#include "skin_window.h"

#include <QPointer>

class CGameMenu;
class WindowLink;

class CMainMenuDlg : public SkinWindow {
    Q_OBJECT
public:
    static constexpr QSize kSize{800, 600};
    // Private message: a second start of the program asks us to come forward.
    static constexpr int kBringToFront = 1027;
    // Private message: a second start was given a picture; its path is the text.
    static constexpr int kOpenPicture = 1028;
    // Commands of the game menu.
    static constexpr int kCmdNewGame = 32773;
    static constexpr int kCmdLoadGame = 32774;
    static constexpr int kCmdExit = 32775;

    enum ButtonId { GameMenu, Help, Minimise, Close, NewGame, LoadGame, About, Exit };

    // showSplash: the splash picture comes up over the menu when it first shows.
    explicit CMainMenuDlg(CVorlinApp& app, QWidget* parent = nullptr, bool showSplash = false);
    ~CMainMenuDlg() override;

    void OnCommand(int id);
    // Opens the wizard on this picture, as if it had been chosen on the
    // first page; while another window of ours is open it only comes forward.
    void openPicture(const QString& path);
    CGameMenu* gameMenu() const { return gameMenu_; }
    // Where the main menu's buttons are (left, top, right, bottom as listed).
    static QRect rectOf(ButtonId b);
    // What a screen reader calls each of them.
    static QString nameOf(ButtonId b);

protected:
    void onButtonClick(int button) override;
    bool forgetsHotOnRelease() const override { return true; }
    // Escape here would end Vorlin: only once the keyboard drives the menu.
    bool escapeWaitsForKeyboard() const override { return true; }
    void onPressElsewhere() override;
    void onHotChanged(int button) override;
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void showGameMenu();
    void hideGameMenu();
    void closeGameMenu();
    void runNewGame(const QString& picture = QString());
    void bringToFront();
    void runLoadGame();
    void runAbout();
    void redrawNormal(int button);

    CGameMenu* gameMenu_ = nullptr;
    WindowLink* link_ = nullptr;
    bool painted_ = false;
    bool splashPending_ = false;
};
