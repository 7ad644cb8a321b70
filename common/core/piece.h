#pragma once
// One puzzle piece: four edges (flat, knob or hole) with their circle offsets,
// its home cell, how it is turned, where it lies, its outline and its image.
// A piece never copies itself; it moves between container lists by pointer.

#include "imaging.h"

#include <QImage>
#include <QRect>
#include <QRegion>

#include <cstdint>
#include <memory>
#include <optional>

class QPainter;
class ArchiveReader;
class ArchiveWriter;

// The piece's fields as the puzzle file stores them, in file order.
struct PieceRecord {
    int32_t lrDiameter = 10;
    int32_t tbDiameter = 12;
    int32_t topKind = 0, bottomKind = 0, leftKind = 0, rightKind = 0;
    int32_t topDx = 0, topDy = 0;
    int32_t bottomDx = 0, bottomDy = 0;
    int32_t leftDx = 0, leftDy = 0;
    int32_t rightDx = 0, rightDy = 0;

    static constexpr int kFields = 14;
    bool operator==(const PieceRecord&) const = default;
};

// The picture and its three clockwise turns, indexed by rotation. A turn
// left null is read from the unturned picture pixel by pixel instead: the
// same image without a full turned copy of the picture.
struct TurnedPictures {
    const ToolkitBitmap* byRotation[4] = {nullptr, nullptr, nullptr, nullptr};
};

// What a piece cuts its image from when it is first drawn: the unturned
// picture (shared with the document, not copied) and the puzzle's grid.
struct PieceCutSource {
    ToolkitBitmap picture;
    int cellSize = 0;
    int columns = 0;
    int rows = 0;
};

class CPiece {
public:
    enum Kind : int32_t { Hole = -1, Flat = 0, Knob = 1 };

    CPiece() = default;
    CPiece(const CPiece&) = delete;
    CPiece& operator=(const CPiece&) = delete;

    int32_t topKind = 0;
    int32_t rightKind = 0;
    int32_t bottomKind = 0;
    int32_t leftKind = 0;
    int32_t tbDiameter = 12;
    int32_t lrDiameter = 10;
    int32_t topDx = 0, topDy = 0;
    int32_t bottomDx = 0, bottomDy = 0;
    int32_t leftDx = 0, leftDy = 0;
    int32_t rightDx = 0, rightDy = 0;
    int32_t carried = 0;
    int32_t hintLevel = 0;
    int32_t selected = 0;
    int32_t fixed = 0;
    int32_t column = 0;
    int32_t row = 0;
    int32_t rotation = 0;
    int32_t x = 0;
    int32_t y = 0;

    // The outline in the puzzle's pixels: what hit tests and the rules of
    // the game go by.
    const QRegion& outline() const
    {
        traceIfAsked();
        return outline_;
    }
    // The outline's bounding box in cell coordinates (knobs reach outside the cell).
    QRect bounds() const { return outline().boundingRect(); }
    // The box of every pixel the piece paints: bounds(), and at a scale above
    // 1 whatever pixels of ours the finer curves reach beyond it. Repaints go
    // by this box; the rules of the game go by bounds().
    QRect paintBounds() const
    {
        traceIfAsked();
        return paintBounds_;
    }
    // The picture under paintBounds(), already turned; transparent outside
    // the fine outline. Its device pixel ratio is the scale, so it paints at
    // the size of that box whatever the scale.
    const QImage& image() const
    {
        cutIfDeferred();
        return image_;
    }
    // How many device pixels a side each of the puzzle's pixels is drawn with.
    int scale() const { return scale_; }
    // The outline measured in device pixels (the outline itself at scale 1).
    const QRegion& fineOutline() const
    {
        traceIfAsked();
        return fine_;
    }

    PieceRecord record() const;
    void setRecord(const PieceRecord& r);
    void serialize(ArchiveWriter& ar) const;
    void serialize(ArchiveReader& ar);
    // The record serialize() would read, without a piece to read it into.
    static PieceRecord readRecord(ArchiveReader& ar);

    // Stores the home cell and rebuilds the outline for the current rotation;
    // a rotation outside 0..3 leaves the outline as it was. The outline is
    // traced from the edges as they are now, but only when first asked for. A scale above 1
    // cuts the edges (and later the image) for a screen with that many device
    // pixels to each of ours, so knobs are as smooth as the screen can show.
    void buildOutline(int cellSize, int column, int row, int scale = 1);
    // Cuts the image out of the picture turned as this piece is. Call after
    // every outline rebuild. False when the image could not be allocated; the
    // piece then has no image (it draws nothing) rather than a broken one.
    bool buildImage(const TurnedPictures& pictures, int cellSize, int columns, int rows);
    // The same cut, made when the image is first drawn or asked for: a piece
    // that stays out of sight costs no image. Call after every outline rebuild.
    void deferImage(std::shared_ptr<const PieceCutSource> source);
    // Whether the image waits for its first use.
    bool imageDeferred() const { return deferred_ != nullptr; }
    // One quarter turn clockwise, with outline and image rebuilt at the same scale.
    void turn(const TurnedPictures& pictures, int cellSize, int columns, int rows);

    // The piece with its cell origin at (x, y), framed when hinted or selected.
    void draw(QPainter& painter, int x, int y) const;
    // Only the frame of draw(); nothing when neither hinted nor selected.
    void drawOutline(QPainter& painter, int x, int y) const;
    void fillOutline(QPainter& painter, int x, int y, const QColor& colour) const;
    // Whether the piece with its cell origin at (x, y) paints any pixel of the rectangle.
    bool intersects(int x, int y, const QRect& rect) const;
    // The colour of the hint or selection frame for a hint level.
    static QColor frameColour(int hintLevel);

private:
    // Cuts the picture under the region (cell coordinates) into the target,
    // whose top-left is paintBounds(); the corner is where the cell lies in
    // the picture turned as this piece is.
    void cut(const TurnedPictures& pictures, QPoint corner, const QRegion& region, QImage& target) const;
    // The same for rotations 1 to 3, read from the unturned picture.
    void cutTurned(const QImage& picture, QPoint corner, const QRegion& region, QImage& target) const;
    // Fills device-pixel rectangles of the piece with its origin at (x, y).
    void fillFine(QPainter& painter, int x, int y, const QRegion& region, const QColor& colour) const;

    mutable QRegion outline_;
    mutable QRegion fine_;
    mutable QRect paintBounds_;
    int scale_ = 1;
    void cutIfDeferred() const;
    // Traces the outline a buildOutline() asked for, if it is still to do.
    void traceIfAsked() const
    {
        if (asked_)
            trace();
    }
    void trace() const;

    // What buildOutline() was asked, kept until the outline is first needed:
    // ten thousand outlines traced at an open would hold up its first paint.
    struct OutlineAsked {
        PieceRecord edges;
        int32_t cellSize = 0;
        int32_t rotation = 0;
    };
    mutable std::optional<OutlineAsked> asked_;

    // Cut on first use when deferred, hence mutable: to its users the piece
    // has its image all along.
    mutable QImage image_;
    mutable std::shared_ptr<const PieceCutSource> deferred_;
    mutable QRegion frame_; // the fine outline's border, a pixel of ours wide, made on first need
};

// Code that cuts puzzles or checks outlines has long found these through this
// header; new code includes them itself.
#include "edge_chooser.h"
#include "piece_outline.h"
