#include "progress_bar.h"

#include "about_box.h"
#include "frontend_art.h"

#include <QPainter>

namespace progress_fill {

int fillEnd(int position, int range)
{
    if (range <= 0)
        return 28;
    int e = int(double(position) / double(range) * 178.0);
    if (e < 28)
        e = 28;
    else if (e > 164)
        e = 178;
    return e;
}

std::vector<Tile> tiles(int position, int range)
{
    const int e = fillEnd(position, range);
    const int m = e % kTileWidth;
    std::vector<Tile> out;
    out.push_back({0, 9, kTileWidth});
    if (m > 0)
        out.push_back({1, 23, m});
    if (m + 14 < e - 14) {
        const int n = ((e - 14) - (m + 14) + 13) / 14;
        for (int i = 0; i < n; ++i)
            out.push_back({1, m + 23 + i * kTileWidth, kTileWidth});
    }
    if (e == 178)
        out.push_back({3, 173, kTileWidth});
    else
        out.push_back({2, e - 5, kTileWidth});
    return out;
}

} // namespace progress_fill

CProgressBar::CProgressBar()
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool),
      background_(frontendBitmap(QStringLiteral("141"))), tiles_(frontendBitmap(QStringLiteral("140")))
{
    setFixedSize(kSize);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::ArrowCursor);
    centreOnScreen(this);
}

CProgressBar::~CProgressBar() = default;

bool CProgressBar::setRange(int range)
{
    if (range < 0)
        return false;
    range_ = range;
    update();
    return true;
}

bool CProgressBar::setPosition(int position)
{
    if (position < 0 || position > range_)
        return false;
    const int before = progress_fill::fillEnd(position_, range_);
    position_ = position;
    // The cutting runs without returning to the event loop: paint now, and
    // only when the fill really moved (it has fewer steps than the range).
    if (progress_fill::fillEnd(position_, range_) != before && isVisible())
        repaint();
    return true;
}

void CProgressBar::paintBar(QPainter& p) const
{
    if (background_.isNull())
        p.fillRect(QRect(QPoint(0, 0), kSize), Qt::white);
    else
        p.drawImage(QPoint(0, 0), background_);
    for (const progress_fill::Tile& t : progress_fill::tiles(position_, range_))
        p.drawImage(QPoint(t.x, progress_fill::kTop), tiles_,
                    QRect(t.tile * progress_fill::kTileWidth, 0, t.width, progress_fill::kTileHeight));
}

QImage CProgressBar::render() const
{
    QImage out(kSize, QImage::Format_RGB32);
    QPainter p(&out);
    paintBar(p);
    return out;
}

void CProgressBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    paintBar(p);
}
