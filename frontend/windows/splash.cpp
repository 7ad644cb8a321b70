#include "splash.h"

#include "about_box.h"
#include "frontend_art.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>

CSplashWnd::CSplashWnd(QWidget* repaintAfter)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::SplashScreen),
      picture_(frontendBitmap(QStringLiteral("181"))), repaintAfter_(repaintAfter)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(CAboutDlg::kSize);
    centreOnScreen(this);
    qApp->installEventFilter(this);
    timer_ = startTimer(kShowMs);
}

bool CSplashWnd::wanted(const QStringList& arguments)
{
    for (const QString& a : arguments.mid(1)) {
        const QString s = a.toLower();
        if (s == QLatin1String("-nosplash") || s == QLatin1String("/nosplash"))
            return false;
    }
    return true;
}

void CSplashWnd::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(QPoint(0, 0), picture_);
}

bool CSplashWnd::eventFilter(QObject*, QEvent* e)
{
    switch (e->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
        finish();
        break;
    default:
        break;
    }
    return false;
}

void CSplashWnd::timerEvent(QTimerEvent*) { finish(); }

void CSplashWnd::finish()
{
    if (!timer_)
        return;
    killTimer(timer_);
    timer_ = 0;
    qApp->removeEventFilter(this);
    if (repaintAfter_)
        repaintAfter_->update();
    close();
}
