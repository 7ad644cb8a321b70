#pragma once
// A tray: a small window on the board in which the user parks single pieces.
// It paints its own frame and caption (title "Tray%d", minimise/restore and
// close buttons), can be moved by its title band, resized by its frame and
// minimised to its title band, and stays inside the board view.

#include "piece_list.h"
#include "window_placement.h"

#include <QColor>
#include <QEvent>
#include <QPointer>
#include <QWidget>

#include <memory>

class PieceHost;
class QMouseEvent;
class QPainter;
class TrayHost;
struct PlayerLook;
struct PlayerState;

class CTrayWnd;

// What a closing tray posts to the board view: "take me out of your list".
class TrayClosedEvent : public QEvent {
public:
    explicit TrayClosedEvent(CTrayWnd* tray);
    QPointer<CTrayWnd> tray;
};

class CTrayWnd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kControlId = 1003;
    // The painted frame around the client area: its bitmaps are 23 pixels
    // wide at the sides and the bottom and 37 high at the top, and their
    // green rim is the inner edge, so the client area starts right inside it.
    static constexpr int kSide = 23;
    static constexpr int kTop = 37;
    static constexpr int kBottom = 23;
    // The purple title band and a minimised tray's height (the title band,
    // its dark underline and the frame's bottom rows).
    static constexpr int kBandHeight = 20;
    static constexpr int kMinimizedHeight = 25; // 2 x cyDlg + cyCap
    static constexpr int kMinimizedWidth = 160;
    static constexpr int kMinHeight = 60;
    static inline const QColor kTrayColour{51, 192, 0};
    static inline const QColor kTitleColour{143, 0, 219};

    // A tray numbered `number` (shown as number + 1), 200 x 200 at (0, 0),
    // a child of the board, which places it and adds it to its tray list.
    CTrayWnd(const PlayerLook& look, const PlayerState& state, PieceHost& pieces, TrayHost& board, QWidget* parent,
             int number);
    ~CTrayWnd() override;

    int number() const { return number_; }
    QString title() const;
    PieceList& pieces() { return pieces_; }
    const PieceList& pieces() const { return pieces_; }

    // Puts a piece into the tray with its origin at a global screen point,
    // pulled inside the tray's client area.
    void addPiece(std::unique_ptr<CPiece> piece, QPoint globalPoint);
    // Turns one of the tray's pieces a quarter turn where it lies.
    void turnPiece(CPiece* piece);
    // The topmost piece containing a client point, or null.
    CPiece* hitTest(QPoint clientPoint) const;
    // The tray's client area (inside its painted frame) in its own coordinates and on the screen.
    QRect clientRect() const;
    QRect globalClientRect() const;

    WindowPlacement placement() const;
    void setPlacement(const WindowPlacement& placement);
    bool isMinimizedTray() const { return minimized_; }
    void minimizeTray();
    void restoreTray();
    // Returns every piece to the Piece Viewer, frees the number and tells the
    // board, which takes the tray out of its list and deletes it.
    void closeTray();
    bool closed() const { return closed_; }

    // The client area's top-left in the tray's own coordinates.
    QPoint clientOrigin() const { return QPoint(kSide, kTop); }
    // Repaints the place of one piece (selection, hint flash).
    void redrawPiece(const CPiece* piece);
    // Puts a piece on top of the tray's others.
    void raisePiece(CPiece* piece);
    // The narrowest and lowest a tray may be made.
    QSize minimumTrackingSize() const;
    // The tray's frame bands, in its own coordinates.
    QRect closeButtonRect() const { return QRect(width() - 20, 1, 19, 19); }
    QRect minimizeButtonRect() const { return QRect(width() - 40, 1, 19, 19); }
    // Where the title is written, or an empty rectangle when it does not fit.
    QRect titleRect() const;
    // Pulls a rectangle (in the view's coordinates) inside the view and out
    // of the picture buttons' corner.
    static QRect keptInside(QRect r, QSize view);
    // A drag out of this tray is in progress.
    bool dragging() const { return dragging_; }
    const CPiece* carriedPiece() const { return carried_.get(); }
    // Where the carried piece lay in the tray before it was picked up.
    QPoint carriedFrom() const { return carriedFrom_; }
    // Ends a drag when the tray goes away under it; the piece is lost with the tray.
    void abandonDrag();
    // Another puzzle replaces this one: the tray goes with its pieces, which
    // belong to the old puzzle, without handing them anywhere.
    void discard();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void focusOutEvent(QFocusEvent*) override;
    void moveEvent(QMoveEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    enum class Press { None, Minimize, Close, Move, Size };
    void paintFrame(QPainter& p) const;
    void paintClient(QPainter& p, const QRect& clip) const;
    // Non-client mouse work: the caption buttons, moving and sizing.
    void framePress(QMouseEvent* e);
    void frameMove(QMouseEvent* e);
    void frameRelease(QMouseEvent* e);
    // Which edges a point of the frame sizes, as Qt::Edges; none in the title band.
    Qt::Edges sizingEdges(QPoint p) const;
    void keepInside();
    void startDrag(CPiece* piece, QPoint clientPoint);
    void moveDrag(QPoint globalPoint);
    void drop(QPoint globalPoint);
    // The carried piece's box under the cursor, kept inside the frame's
    // client area; in the drag layer's (the frame's client) coordinates.
    void bringForward();
    // Ends a drag with the carried piece back at its old place in the list.
    void putCarriedBack();
    int minimizedWidth() const;

    const PlayerLook& look_;
    const PlayerState& state_;
    PieceHost& host_;
    TrayHost& board_;
    int number_;
    PieceList pieces_;
    bool minimized_ = false;
    QRect normalGeometry_;
    QPoint minimizedPosition_{-1, -1};
    bool minimizedPositionSet_ = false;
    bool closed_ = false;
    bool keepingInside_ = false;

    // A piece carried out of the tray, owned here until it lands somewhere.
    bool dragging_ = false;
    std::unique_ptr<CPiece> carried_;
    int carriedIndex_ = -1;      // its place in the list, for going back
    QPoint carriedFrom_;         // its position before the drag
    QPoint grab_;                // cursor minus the piece's origin, client coordinates
    QRect dragRect_;             // the piece and its shadow, global coordinates

    // The frame's mouse state.
    Press press_ = Press::None;
    bool pressInside_ = false;   // the cursor is over the armed button
    Qt::Edges sizing_;
    QPoint pressGlobal_;
    QRect pressGeometry_;
};
