#include "tray_rules.h"

#include "system_metrics.h"

namespace tray_rules {

namespace {
constexpr int cxDlg = metrics::kDialogFrameWidth;
constexpr int cyDlg = metrics::kDialogFrameHeight;
constexpr int cyCap = metrics::kCaptionHeight;
constexpr QSize kTraySize(200, 200);
constexpr QPoint kCascadeStep(22, 22);
} // namespace

QPoint firstTrayPosition() { return QPoint(0, 27 - cyDlg - cyCap); }

int lowestMinimizedTrayY(int boardHeight) { return boardHeight - 2 * cyDlg - cyCap; }

QRect TrayCascade::open(QSize board)
{
    QRect r(next, kTraySize);
    if (!QRect(QPoint(0, 0), board).contains(r)) {
        next = firstTrayPosition();
        r.moveTopLeft(next);
    }
    next += kCascadeStep;
    return r;
}

int TrayCascade::takeMinimizedY(int boardHeight)
{
    const int y = nextMinimizedY;
    nextMinimizedY -= 2 * cyDlg + cyCap;
    if (nextMinimizedY < 0)
        nextMinimizedY = lowestMinimizedTrayY(boardHeight);
    return y;
}

void TrayCascade::reset(int boardHeight)
{
    next = firstTrayPosition();
    nextMinimizedY = lowestMinimizedTrayY(boardHeight);
}

QRect keptInside(QRect r, QSize board)
{
    const int W = board.width(), H = board.height();
    // The corner where the picture buttons are drawn.
    const int kx = W + cxDlg - 375, ky = H + cyDlg - 71;
    // Right and bottom one past the last pixel, as the rules count them.
    int left = r.left(), top = r.top(), right = left + r.width(), bottom = top + r.height();
    auto inCorner = [&] { return bottom > ky && right > kx; };
    if (inCorner()) {
        top -= bottom - ky;
        bottom = ky;
    }
    const int highest = 27 - cyCap - cyDlg;
    if (top < highest) {
        bottom += highest - top;
        top = highest;
    }
    if (inCorner())
        bottom = ky;
    if (bottom > H) {
        top -= bottom - H;
        bottom = H;
    }
    if (left < 0) {
        right -= left;
        left = 0;
    }
    if (right > W) {
        left -= right - W;
        right = W;
    }
    if (left < 0)
        left = 0;
    return QRect(left, top, right - left, bottom - top);
}

QPoint pulledInside(QPoint at, const QRect& pieceBox, QSize client)
{
    const int cw = client.width(), ch = client.height();
    const QRect b = pieceBox.translated(at);
    const int right = b.left() + b.width(), bottom = b.top() + b.height();
    if (b.left() < 8 - cxDlg)
        at.rx() += 8 - cxDlg - b.left();
    else if (right > cw + cxDlg - 10)
        at.rx() -= right - (cw + cxDlg - 10);
    if (b.top() < 0)
        at.ry() -= b.top();
    else if (bottom > ch + cyDlg - 10)
        at.ry() -= bottom - (ch + cyDlg - 10);
    return at;
}

} // namespace tray_rules
