#pragma once
// The window that celebrates a finished puzzle: the finish picture with a
// thumbnail of the puzzle in its box. Any click closes it.

#include "imaging.h"

#include <QWidget>

class CFinishWnd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kControlId = 1004;
    // `notify` receives messages::kCloseFinish when the window is clicked.
    CFinishWnd(QWidget* frame, QObject* notify);

    // Loads "finish.bmp" from the program's folder and makes the thumbnail;
    // false when the finish picture cannot be read.
    bool load(const ToolkitBitmap& puzzlePicture);
    // Shows it centred in the frame, on top of everything, holding the mouse.
    void present();

    const ToolkitBitmap& thumbnail() const { return thumbnail_; }
    QPoint thumbnailPosition() const;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;

private:
    // Asks the board to take it away, as a click on it does.
    void dismiss();
    QObject* notify_;
    ToolkitBitmap picture_;
    ToolkitBitmap thumbnail_;
};
