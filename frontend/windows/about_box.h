#pragma once
// The about box and the splash picture: both show the about picture; the box
// writes the version over it, the splash goes away on its own.

#include <QDialog>
#include <QWidget>

#include "skin_window.h"

class CVorlinApp;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr QSize kSize{332, 207};
    static constexpr QRect kVersionRect{107, 95, 190, 20};

    CAboutDlg(CVorlinApp& app, QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
};

// Shown when the main menu opens; closes itself after 750 ms or at the first
// key or mouse press anywhere in the program.
class CSplashWnd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kShowMs = 750;
    explicit CSplashWnd(QWidget* repaintAfter = nullptr);

    // The command line asks for no splash with -nosplash or /nosplash.
    static bool wanted(const QStringList& arguments);

protected:
    void paintEvent(QPaintEvent*) override;
    bool eventFilter(QObject*, QEvent*) override;
    void timerEvent(QTimerEvent*) override;

private:
    void finish();
    QImage picture_;
    QWidget* repaintAfter_;
    int timer_ = 0;
};
