#pragma once
// The background picture shown centred on the screen while the player starts.

#include <QWidget>

struct ToolkitBitmap;

class CSplashWindow : public QWidget {
public:
    explicit CSplashWindow(const ToolkitBitmap& picture);
    // Top-left that centres an 800 x 600 window on a screen of that size;
    // negative on a smaller screen.
    static QPoint centredOrigin(const QSize& screen);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    const ToolkitBitmap& picture_;
};
