#include "splash_window.h"

#include "imaging.h"

#include <QPainter>

CSplashWindow::CSplashWindow(const ToolkitBitmap& picture)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picture_(picture)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(800, 600);
}

QPoint CSplashWindow::centredOrigin(const QSize& screen)
{
    // Halves truncated toward zero, also when the screen is smaller.
    return QPoint((screen.width() - 800) / 2, (screen.height() - 600) / 2);
}

void CSplashWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    imaging::paint(p, picture_, QRect(0, 0, 800, 600), QRect(0, 0, 800, 600), rect());
}
