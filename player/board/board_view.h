#pragma once
// The play surface: background, the tiled board frame around the picture's
// place, the faded guide picture when it is switched on, the pieces lying on
// the board, and the four picture buttons drawn into the bottom of the
// frame. It owns the board's pieces and its trays, runs every drag that
// starts on it, and tells its owner through signals what the buttons ask
// for and when pieces join or the puzzle is done.

#include "board_rules.h"
#include "piece_list.h"
#include "player_messages.h"
#include "tray_host.h"
#include "tray_number_pool.h"
#include "tray_rules.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <vector>

class CFinishWnd;
class CTrayWnd;
class CTileMenderDoc;
class PieceHost;
struct PlayerLook;
struct PlayerState;

class CTileMenderView : public QWidget, public TrayHost {
    Q_OBJECT
public:
    enum Button { NoButton = 0, Rotate = 1, Restart = 2, Hint = 3, AddTray = 4 };
    // Private messages, as event types.
    static constexpr int kTrayClosedMessage = messages::kTrayClosed;
    static constexpr int kCloseFinishMessage = messages::kCloseFinish;

    CTileMenderView(const PlayerLook& look, const PlayerState& state, CTileMenderDoc& doc, PieceHost& host, QWidget* parent);
    ~CTileMenderView() override;

    // Lays the board out for the document: board origin, a fresh grid, the
    // old puzzle's trays gone, the guide picture faded.
    void initialUpdate();

    PieceList& boardList() { return board_; }
    const board_rules::BoardGrid& grid() const { return grid_; }
    QPoint boardOrigin() const { return origin_; }
    int fixedCount() const { return fixedCount_; }
    bool dragging() const { return dragging_; }
    // The pieces of the group being carried, at the places they were lifted from.
    const PieceList& carriedPieces() const { return carried_; }
    Button highlightedButton() const { return highlighted_; }
    // Unlights the picture button the mouse is no longer over.
    void refreshButtonHighlight();
    // The scroll position; the board always fits the view, so it stays (0, 0).
    QPoint scrollPosition() const { return QPoint(0, 0); }

    // The topmost board piece containing a board point, or null.
    CPiece* hitTest(QPoint boardPoint, int* index = nullptr) const;
    // Puts one piece from a tray or the strip on the board with its origin at
    // a global screen point, snapping it like a dropped group.
    void dropSinglePiece(std::unique_ptr<CPiece> piece, QPoint globalPoint);
    // Carrying by keyboard: the same carry a mouse drag makes, without the
    // mouse. A board piece lifts its whole group (false when it is fixed or
    // joined to a fixed one); a piece from the column or a tray is lifted
    // with its origin at a board point. The carry moves, kept over the
    // board, and is let go exactly as a mouse drop at that place is.
    bool keyLiftGroup(CPiece* piece);
    void keyLiftPiece(std::unique_ptr<CPiece> piece, QPoint boardAt);
    void keyMoveBy(QPoint delta);
    void keyDrop();
    // Puts a group from the board back where it was lifted (and returns
    // null), or hands back a piece lifted from elsewhere to its owner.
    std::unique_ptr<CPiece> keyCancel();
    bool keyCarrying() const { return dragging_ && !carried_.empty(); }
    bool keyCarriedFromOutside() const { return keyFromOutside_; }
    // The carried group with its shadow, in board coordinates.
    QRect keyCarriedRect() const;
    // Turns the group of a board piece a quarter turn about it.
    void turnGroup(CPiece* piece);
    // Undo or redo rearranged the board's list: the grid and the fixed count follow it.
    void boardListChanged();
    // Every board piece goes back to the Piece Viewer, unfixed.
    void clearBoard();
    // Restart: new trays open where the first one did.
    void resetTrayCascade();
    // Repaints the part of the board one piece covers (selection, hint).
    void redrawPiece(const CPiece* piece);
    // Moves a board piece to the top of the stack (a hinted piece shows).
    void raisePiece(CPiece* piece);

    // Hit rectangles of the picture buttons, in view coordinates.
    static QRect buttonRect(Button b);
    // Where a button is drawn, in the frame's window coordinates.
    static QRect buttonDrawRect(Button b);
    // Draws the picture buttons in their current looks. `windowToPainter`
    // maps the frame's window coordinates to the painter's: the view paints
    // what lies over it, the frame the rows that fall into its bottom border.
    void paintButtons(QPainter& painter, QPoint windowToPainter) const;

    CFinishWnd* finishWindow() const;

    // Trays, head = most recently used.
    const std::vector<CTrayWnd*>& trays() const { return trays_; }
    CTrayNumberPool& trayNumbers() { return trayNumbers_; }
    // "Add tray": a new tray cascaded 22 pixels from the last one; none (null)
    // once the most trays a saved game keeps are open.
    CTrayWnd* openTray();
    // A tray of a given number, 200 x 200 at (0, 0), at the head of the list
    // (a saved game recreates its trays this way).
    CTrayWnd* createTray(int number);
    void moveTrayToHead(CTrayWnd* tray);
    // Closes every tray; their pieces go back to the Piece Viewer.
    void closeAllTrays();
    // A closing tray leaves the list at once, so nobody finds it there while
    // its notice to the view is still on its way.
    void takeOutOfList(CTrayWnd* tray);
    // The open trays that show, the topmost first: where a drop looks for one.
    std::vector<CTrayWnd*> traysTopmostFirst() const;
    // Where the next tray opens and where the next minimised one goes.
    tray_rules::TrayCascade& trayCascade() { return cascade_; }
    const tray_rules::TrayCascade& trayCascade() const { return cascade_; }
    // Where the first tray opens, and the minimised trays' lowest place.
    static QPoint firstTrayPosition();
    int lowestMinimizedTrayY() const;

    // What a tray knows of the board.
    int takeMinimizedTrayY() override;
    void releaseTrayNumber(int number) override;
    void bringToHead(CTrayWnd* tray) override { moveTrayToHead(tray); }
    void trayClosed(CTrayWnd* tray) override;
    QSize area() const override { return size(); }
    // Sets the fixed count once a saved game has put its pieces down. Older
    // games may hold loose pieces lying joined to fixed ones, which could never
    // be moved nor counted: they are fixed now, and a game they complete ends.
    void setFixedCount(int n);
    // Puts a piece on the board as a saved game has it: at its stored place,
    // on top (fixed pieces too), in the grid, without snapping or repainting.
    void placeOnBoard(std::unique_ptr<CPiece> piece);
    const QByteArray& completionSound() const { return completionSound_; }

signals:
    // A picture button was clicked.
    void buttonClicked(CTileMenderView::Button button);
    // A button changed its look: the rows of it drawn in the frame's bottom
    // border must be drawn again.
    void buttonBandChanged();
    // The mouse moved over the board, so it is over no caption button.
    void pointerOverBoard();
    // A dropped piece or group snapped into place.
    void piecesJoined();
    // The last piece was fixed. Sent before the finish window shows; the
    // clock must be stopped by then, so it is connected directly.
    void completed();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void focusOutEvent(QFocusEvent*) override;
    bool event(QEvent*) override;

private:
    void paintBoard(QPainter& p, const QRect& clip) const;
    void leftDown(QPoint pos);
    void rightDown(QMouseEvent* e);
    void buttonHover(QPoint pos, bool leftHeld);
    void buttonPress(QPoint pos);
    void buttonClick(QPoint pos);
    Button buttonAt(QPoint pos, bool withRotate) const;
    void setButtonState(Button b, int state);

    void startDrag(CPiece* hit, QPoint boardPoint);
    // Lifts the group of a board piece held at a board point onto the drag
    // layer; false (nothing lifted) when the group is fixed.
    bool liftGroup(CPiece* hit, QPoint boardPoint);
    // Shows the carried pieces (lying within `bounds`) on the drag layer, held at a board point.
    void showCarried(QRect bounds, QPoint boardPoint);
    void moveDrag(QPoint globalPoint);
    void drop(QPoint globalPoint);
    void groupDrop(QPoint globalPoint);
    void putOnBoard(std::unique_ptr<CPiece> piece);
    // A group turned where it lies snaps and joins as a drop there would.
    void snapTurnedGroup(const std::vector<CPiece*>& group);
    void complete();
    // Fixes every loose piece joined to a fixed one, and counts it; returns how many.
    int fixJoinedPieces();
    // The finish, once every piece is fixed (and only once).
    void finishIfComplete();
    // A closed tray's notice: the tray goes once its events are done.
    void deleteClosedTray(CTrayWnd* tray);
    // Another puzzle: the old trays go with the old pieces in them.
    void discardAllTrays();

    const PlayerLook& look_;
    const PlayerState& state_;
    CTileMenderDoc& doc_;
    PieceHost& host_;
    PieceList board_;
    board_rules::BoardGrid grid_;
    PieceList carried_;
    bool dragging_ = false;
    bool keyFromOutside_ = false;
    CPiece* carriedPiece_ = nullptr;
    QRect groupRect_;      // in the frame's client coordinates
    QPoint grabInPiece_;   // cursor minus the carried piece's origin
    QPoint grabInGroup_;   // cursor minus the group rectangle's top-left
    QPoint groupOrigin_;   // the group rectangle's top-left at the start, board coordinates
    QPoint origin_;        // where the finished picture belongs
    int fixedCount_ = 0;
    Button highlighted_ = NoButton;
    int buttonStates_[5] = {0, 0, 0, 0, 0};
    QImage buttonBitmaps_[5];
    QImage tiles_;
    const QImage& fadedGuide() const;
    mutable QImage fadedGuide_; // made on first need, see fadedGuide()
    QByteArray completionSound_;
    QPointer<CFinishWnd> finish_;
    std::vector<CTrayWnd*> trays_;
    CTrayNumberPool trayNumbers_;
    tray_rules::TrayCascade cascade_;
};
