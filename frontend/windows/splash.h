#pragma once
// The splash picture: the about box's picture, without the version, that
// goes away on its own.

#include <QImage>
#include <QStringList>
#include <QWidget>

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
