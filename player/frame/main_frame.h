#pragma once
// The player's 800 x 600 main window without a system frame. It paints its
// own caption band and borders from the background picture, with the Game,
// Options, Help, minimise and close buttons in the band; it owns and wires
// the Piece Viewer on its left and the board view beside it, which know it
// only as their PieceHost; it keeps the play clock, the current piece and
// the hint flash, hands dropped pieces over, dispatches the player's
// commands, asks to save on closing, and takes puzzle files dropped onto it.

#include "container.h"
#include "piece_host.h"
#include "play_clock.h"
#include "recovery_schedule.h"
#include "recovery_writer.h"
#include "saved_game.h"
#include "undo_history.h"

#include <QBasicTimer>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <functional>
#include <vector>

class CDragOverlay;
class CPiece;
class CPieceStrip;
class CPieceViewerBar;
class CPopupMenuWnd;
class CTileMenderDoc;
class FrameHost;
class CTileMenderView;
class QTimer;
class WindowLink;
namespace frame_caption {
class CaptionState;
}

class CMainFrame : public QWidget, public PieceHost {
    Q_OBJECT
public:
    enum CaptionButton { NoCaptionButton = 0, Game = 1, Options = 2, Help = 3, Minimize = 4, Close = 5 };
    static constexpr int kHintTimerId = 10;
    static constexpr int kClockTimerId = 11;
    static constexpr int kPlayerClosedMessage = 1124; // messages::kPlayerClosed

    CMainFrame(FrameHost* app, CTileMenderDoc* doc, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Runs a command by its number; false when the frame does not know it.
    bool OnCommand(int id);

    // Top-left that centres the frame on a screen, never above or left of it.
    static QPoint centredOrigin(const QSize& screen);

    CTileMenderView* view() const { return view_; }
    CPieceViewerBar* bar() const { return bar_; }
    CPieceStrip* strip() const;
    CDragOverlay* overlay() const override { return overlay_; }
    FrameHost& app() const { return *app_; }
    CTileMenderDoc& document() const { return *doc_; }

    // The clock: stands still once the game is finished.
    PlayClock& clock() { return clock_; }
    const PlayClock& clock() const { return clock_; }
    int32_t playTime() const;
    // Completion: the time played so far is kept and the clock stands still.
    void stopClock();
    // Restart: the clock starts again from zero.
    void resetClock();
    // "%2d:%02d:%02d" of hours, minutes and seconds.
    static QString clockText(int32_t milliseconds) { return PlayClock::text(milliseconds); }

    // The current piece: the last one clicked, wherever it lies.
    void select(CPiece* piece, ContainerKind kind, QWidget* container) override;
    void clearCurrentPiece();
    void forgetCurrentPiece() override { clearCurrentPiece(); }
    CPiece* currentPiece() const override { return current_; }
    ContainerKind currentKind() const { return currentKind_; }
    QWidget* currentContainer() const { return currentContainer_; }

    // Where dropped pieces go (frame_drop.cpp).
    DropTarget dropTarget(QPoint cursor, const QRect& dragRect) const override;
    void handOver(std::unique_ptr<CPiece> piece, const DropTarget& target, QPoint globalPoint) override;
    void returnToBox(std::vector<std::unique_ptr<CPiece>> pieces) override;
    void rebuildPiece(CPiece& piece) override;
    void markModified() override;
    // The Rotate button: turns the current piece where it lies.
    void turnCurrentPiece();

    // Undo and redo (frame_undo.cpp): each user action is one step; false
    // when there is none to take back (or bring again) or a drag is under way.
    void actionStarts() override;
    void actionDone() override;
    bool undo();
    bool redo();
    const undo_history::UndoHistory& history() const { return history_; }
    // The game as the history sees it: every list, the trays, the current piece.
    undo_history::GameRecord recordGame() const;
    // The Hint button or Shift + right click: flashes a neighbour of the piece.
    void hint(CPiece* piece) override;
    // Keyboard play (frame_keys.cpp). Tab's choice: the column's shown
    // pieces, one piece per loose group on the board, the trays' pieces.
    struct KeyTarget {
        CPiece* piece;
        ContainerKind kind;
        QWidget* container;
    };
    std::vector<KeyTarget> keyTargets() const;
    void tabToPiece(bool backwards);
    // An arrow: lifts the current piece (its group on the board) on the
    // first press, moves it on the next ones; false when it cannot move.
    bool keyMove(QPoint delta);
    bool keyDrop();
    bool keyEscape();

    // What a screen reader hears (frame_access.cpp): the current piece's
    // description is the frame's accessible description, and changes with it.
    QString currentPieceDescription() const;
    void announce(const QString& text);
    void announceCurrent();
    void announceHint();
    // The view clears the caption buttons' highlight whenever the mouse is over it.
    void clearCaptionHighlight();
    // The mouse may have gone elsewhere while a menu or a dialog held it:
    // every lit button of the frame and the view is looked at again.
    void refreshButtonHighlights();
    CaptionButton highlightedCaptionButton() const { return highlighted_; }
    CPopupMenuWnd* openMenu() const;
    int hintLevel() const { return hintLevel_; }

    // Asks "Would you like to save your current game?" when the game has
    // changed, and saves on Yes. False when the game must stay: Cancel, or a
    // save that failed. Closing, a new document, another puzzle and loading
    // the saved game all ask first.
    bool saveModified();

    // The game in progress as the saved game holds it, the clock brought up
    // to date (frame_game.cpp).
    saved_game::SavedGame captureGame() const;

    // The recovery copy beside the saved game (frame_recovery.cpp). The
    // due-check writes it when the schedule says so and returns true when
    // it handed a copy to the writer; a timer calls it, tests call it too.
    bool checkRecovery();
    // After a puzzle is opened: a copy left by a player that did not close
    // is offered, and restored on Yes; false when the game stays as it is.
    bool offerRecovery();
    // Waits until every copy handed over is on disk (or removed).
    void flushRecovery();
    // The copy of the game in progress; empty without a puzzle.
    QString recoveryPath() const;

    // Repaints the bottom border rows the view's picture buttons reach into.
    void updateButtonBand();
    // What the caption's own code keeps between mouse events.
    frame_caption::CaptionState& captionState() const { return *caption_; }

signals:
    // Something was told to a screen reader: the frame's accessible
    // description became `text` and its change went out to the reader.
    void announced(const QString& text);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void timerEvent(QTimerEvent*) override;
    void closeEvent(QCloseEvent*) override;
    void dragEnterEvent(QDragEnterEvent*) override;
    // Keyboard play (frame_keys.cpp): Tab and Shift+Tab choose the current
    // piece, the arrows carry it, Return lets it go, Escape puts it back,
    // R turns it and H hints.
    void keyPressEvent(QKeyEvent*) override;
    bool focusNextPrevChild(bool next) override;
    void dropEvent(QDropEvent*) override;

    // The game in progress, kept beside its puzzle (frame_game.cpp). Save
    // reports a failure to the user and keeps the previous saved game; load
    // changes nothing unless the whole file is sound.
    bool saveGame();
    bool loadGame();
    // Puts a whole, checked game into the windows (frame_game.cpp).
    void applyGame(const saved_game::SavedGame& g);

private:
    // The children's news.
    void pictureButtonClicked(int button);
    void restartAsked();
    void completed();
    void openWithDialog();
    // Another puzzle or an empty document: a new game, not finished, with
    // the clock at zero and running, and nothing yet to save.
    void startNewGame();
    // The recovery copy's side of a change, a new game and a kept game.
    void noteRecoveryChange();
    void armRecoveryTimer(uint32_t now);
    void dropRecovery(const QString& copy);
    RecoveryWriter& recoveryWriter();
    // Runs a frame's own action (Add tray, Restart, the Rotate button) as
    // one step; what the children report while it runs is part of it.
    void runAsOneStep(const std::function<void()>& action);
    // Runs something that is no step (a load): the children's reports are ignored.
    void runUnrecorded(const std::function<void()>& action);
    // Restores one side of a step into the windows.
    void restoreSide(const undo_history::Step& step, bool after);
    // A piece of ours is being carried: no step may be taken back under it.
    bool dragUnderWay() const;

    FrameHost* app_;
    CTileMenderDoc* doc_;
    CPieceViewerBar* bar_ = nullptr;
    CTileMenderView* view_ = nullptr;
    CDragOverlay* overlay_ = nullptr;
    QPointer<CPopupMenuWnd> menu_;
    QBasicTimer hintTimer_;
    QBasicTimer clockTimer_;
    int hintLevel_ = 0;
    CaptionButton highlighted_ = NoCaptionButton;
    struct HintEntry {
        CPiece* piece;
        ContainerKind kind;
        QPointer<QWidget> container;
    };
    std::vector<HintEntry> hintList_;
    // The caption's mouse state (frame_caption.cpp), a child of the frame.
    frame_caption::CaptionState* caption_ = nullptr;
    CPiece* current_ = nullptr;
    ContainerKind currentKind_ = ContainerKind::Strip;
    QPointer<QWidget> currentContainer_;
    PlayClock clock_;
    // The recovery copy: when to write, the one worker that writes, and the
    // copy of the game in progress (removed when that game is left).
    recovery::Schedule recoverySchedule_;
    QTimer* recoveryTimer_ = nullptr;
    std::unique_ptr<RecoveryWriter> recoveryWriter_;
    QString recoveryCopy_;
    undo_history::UndoHistory history_;
    undo_history::GameRecord actionBefore_;
    bool actionOpen_ = false;
    int holding_ = 0;
    // Where a piece carried by keyboard from the column or a tray came from.
    struct KeyOrigin {
        ContainerKind kind = ContainerKind::Strip;
        QPointer<QWidget> container;
        int index = 0;
        QPoint at;
    } keyOrigin_;
};
