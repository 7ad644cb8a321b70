#pragma once
// The layer that carries dragged pieces above everything in the frame's
// client area: the board, the Piece Viewer and the trays. While a drag runs it
// shows a snapshot of the client area taken when the pieces were lifted, with
// the carried sprite on top, so a move repaints only the old and new places
// and nothing underneath has to paint itself again.

#include <QImage>
#include <QPixmap>
#include <QWidget>

class CDragOverlay : public QWidget {
    Q_OBJECT
public:
    // `frame` is the main frame; the overlay covers its client area.
    explicit CDragOverlay(QWidget* frame);

    // Takes the snapshot (the carried pieces must already have left their
    // containers, so the snapshot shows what lies under them) and shows the
    // sprite with its top-left at `at`, in the frame's client coordinates.
    // The sprite's alpha channel says where it covers (pieces and shadow).
    void begin(const QImage& sprite, QPoint at);
    // Moves the sprite, repainting the union of its old and new places.
    void moveTo(QPoint at);
    // Hides the layer; the windows underneath show through again.
    void end();

    bool active() const { return active_; }
    // Where the sprite is now, in the frame's client coordinates.
    QRect spriteRect() const { return QRect(at_, spriteSize_); }
    // The client area as it looked when the drag began (for tests).
    const QPixmap& snapshot() const { return snapshot_; }

    // One piece carried by itself (from the column or a tray): shown with its
    // origin at a global point, moved so that it and its shadow stay inside
    // the client area. Both return the global rectangle of piece and shadow.
    QRect beginPiece(const class CPiece& piece, QPoint globalOrigin);
    QRect movePiece(const class CPiece& piece, QPoint globalOrigin);

    // A sprite of one piece lifted off its container: the piece drawn at
    // (0, 0) of its paint box, with its black shadow 3 pixels right and down,
    // in the pixels of a screen of that device pixel ratio.
    static QImage pieceSprite(const class CPiece& piece, qreal devicePixelRatio = 1);
    // Where that sprite's top-left lies from the top-left of the piece's box.
    static QPoint spriteOffset(const class CPiece& piece);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QRect confinedBox(const class CPiece& piece, QPoint globalOrigin) const;
    QWidget* frame_;
    QPixmap snapshot_;
    QImage sprite_;
    QSize spriteSize_; // in logical pixels; the sprite may hold more
    QPoint at_;
    bool active_ = false;
};
