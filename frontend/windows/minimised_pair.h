#pragma once
// A window run modally over the main menu is minimised together with it, and
// must come back together with it however the desktop brings either one
// back. A taskbar that restores only the main menu would otherwise show a
// window whose every button is dead, the input held by the hidden modal one.

#include <QObject>
#include <QPointer>

class CVorlinApp;
class QWidget;

class MinimisedPair : public QObject {
public:
    // Watches `window` and the application's main menu window; owned by `window`.
    MinimisedPair(CVorlinApp& app, QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void bringBack();

    CVorlinApp& app_;
    QWidget* window_;
    QPointer<QWidget> main_;
    bool bringing_ = false;
};
