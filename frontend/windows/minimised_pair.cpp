#include "minimised_pair.h"

#include "vorlin_app.h"

#include <QEvent>
#include <QWidget>

MinimisedPair::MinimisedPair(CVorlinApp& app, QWidget* window)
    : QObject(window), app_(app), window_(window), main_(app.mainWindow)
{
    window_->installEventFilter(this);
    if (main_ && main_ != window_)
        main_->installEventFilter(this);
}

bool MinimisedPair::eventFilter(QObject* watched, QEvent* e)
{
    // A hidden window has ended its run: the main menu goes its own way.
    if (bringing_ || !main_ || !window_->isVisible())
        return false;
    const QEvent::Type type = e->type();
    if (watched == main_) {
        // The desktop restored or activated the main menu (a taskbar click)
        // while this window stayed minimised. An activation that comes while
        // the main menu is still being minimised is no restore.
        const bool shown = (type == QEvent::WindowStateChange || type == QEvent::WindowActivate) && !main_->isMinimized();
        if (shown && window_->isMinimized())
            bringBack();
    } else if (watched == window_ && type == QEvent::WindowStateChange) {
        if (!window_->isMinimized() && main_->isMinimized())
            bringBack();
    }
    return false;
}

void MinimisedPair::bringBack()
{
    bringing_ = true;
    app_.minimised = false;
    // The main menu first, so that this window ends above it.
    if (main_->isMinimized())
        main_->showNormal();
    if (window_->isMinimized())
        window_->showNormal();
    window_->raise();
    window_->activateWindow();
    bringing_ = false;
}
