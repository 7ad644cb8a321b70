#pragma once
// The docked panel that holds the Piece Viewer. It stays on the left of the
// frame at a fixed width: it cannot be moved, floated or resized.

#include <QWidget>

class CPieceStrip;
class PieceHost;
struct PlayerLook;
struct PlayerState;

class CDockPanel : public QWidget {
    Q_OBJECT
public:
    // `size` is the creation size; the horizontal, vertical and floating
    // sizes all start as it. Docked on the left, the panel is as wide as
    // its vertical size and as high as the frame's client area.
    CDockPanel(const QString& title, QSize size, int controlId, QWidget* parent);
    QSize horizontalSize() const { return horizontal_; }
    QSize verticalSize() const { return vertical_; }
    QSize floatingSize() const { return floating_; }
    int controlId() const { return controlId_; }

private:
    QSize horizontal_, vertical_, floating_;
    int controlId_;
};

class CPieceViewerBar : public CDockPanel {
    Q_OBJECT
public:
    static constexpr int kPanelId = 132;
    static constexpr int kStripId = 1000;

    CPieceViewerBar(const PlayerLook& look, const PlayerState& state, PieceHost& host, QWidget* parent);
    CPieceStrip* strip() const { return strip_; }

protected:
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;

private:
    CPieceStrip* strip_;
};
