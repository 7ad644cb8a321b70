#include "popup_menu.h"

#include "bitmaps.h"
#include "command_ids.h"

#include <QAccessible>
#include <QCursor>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace {
constexpr int kTile = 20;     // width of one background tile
constexpr int kIcon = 14;     // side of the check and cross icons
constexpr QPoint kIconAt{6, 13};
constexpr QPoint kTextAt{20, 7};
const QColor kText(0, 175, 0);
const QColor kHotText(0, 255, 0);
} // namespace

CPopupMenuWnd::CPopupMenuWnd(QWidget& frame, std::vector<Item> items, const QFont& font)
    : QWidget(&frame), items_(std::move(items)), font_(font),
      tiles_(playerBitmap(164)), icons_(playerBitmap(171)), hotIcons_(playerBitmap(170))
{
    setObjectName(QStringLiteral("popupMenu%1").arg(kControlId));
    // Every pixel is ours; nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    hide();
}

CPopupMenuWnd::~CPopupMenuWnd()
{
    if (QWidget::mouseGrabber() == this)
        releaseMouse();
}

QSize CPopupMenuWnd::sizeForItems() const
{
    const QFontMetrics fm(font_);
    int widest = 0;
    for (const Item& it : items_)
        widest = std::max(widest, fm.horizontalAdvance(it.text));
    return QSize(widest + kTextMargin, kRowHeight * int(items_.size()));
}

void CPopupMenuWnd::open(QPoint clientPoint)
{
    setGeometry(QRect(clientPoint + frame_geometry::kClient.topLeft(), sizeForItems()));
    show();
    raise();
    setHotRow(rowAt(mapFromGlobal(QCursor::pos())));
    // Holding the mouse means a click anywhere, in the frame or outside it,
    // comes here, and the menu can close itself on a click outside.
    grabMouse();
    // And the keys: the arrows walk the rows, Return chooses, Escape closes.
    setFocus(Qt::PopupFocusReason);
}

int CPopupMenuWnd::rowAt(QPoint p) const
{
    // The rows a click chooses and the row drawn bright are the same ones:
    // inside the menu's own rectangle, never beside or below it.
    if (p.x() < 0 || p.x() >= width() || p.y() < 0)
        return -1;
    const int row = p.y() / kRowHeight;
    return row < int(items_.size()) ? row : -1;
}

namespace {

// The bright row is the selected and focused one to a screen reader, which
// says the row the cursor came to as it says the row of a menu walked with
// the keys. The rows are the menu's children that are no widgets.
void tellReaderOfRow(QWidget* menu, int row, bool hot)
{
    if (row < 0 || !QAccessible::isActive())
        return;
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(menu);
    QAccessibleInterface* part = nullptr;
    for (int i = 0, rows = 0; iface && i < iface->childCount() && !part; ++i) {
        QAccessibleInterface* c = iface->child(i);
        if (c && !c->object() && rows++ == row)
            part = c;
    }
    if (!part)
        return;
    QAccessible::State changed;
    changed.selected = true;
    changed.focused = true;
    QAccessibleStateChangeEvent e(part, changed);
    QAccessible::updateAccessibility(&e);
    if (hot) {
        QAccessibleEvent focus(part, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

} // namespace

void CPopupMenuWnd::setHotRow(int row)
{
    if (row == hot_)
        return;
    const int was = hot_;
    hot_ = row;
    update();
    tellReaderOfRow(this, was, false);
    tellReaderOfRow(this, row, true);
}

void CPopupMenuWnd::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setFont(font_);
    const QFontMetrics fm(font_);
    const int w = width();
    for (int i = 0; i < int(items_.size()); ++i) {
        const Item& it = items_[size_t(i)];
        const int y = kRowHeight * i;
        const bool hot = i == hot_;

        // Left end, middle tiles, right end (drawn last, over a middle tile
        // that runs past it).
        p.drawImage(QPoint(0, y), tiles_, QRect(0, 0, kTile, kRowHeight));
        for (int x = kTile; x < w - kTile; x += kTile)
            p.drawImage(QPoint(x, y), tiles_, QRect(0, kRowHeight, kTile, kRowHeight));
        p.drawImage(QPoint(w - kTile, y), tiles_, QRect(0, 2 * kRowHeight, kTile, kRowHeight));

        // The text sits on an opaque black cell, like a plain text-out.
        const QPoint at = kTextAt + QPoint(0, y);
        p.fillRect(QRect(at, QSize(fm.horizontalAdvance(it.text), fm.height())), Qt::black);
        p.setPen(hot ? kHotText : kText);
        p.drawText(at + QPoint(0, fm.ascent()), it.text);

        if (it.state == Checked || it.state == Crossed) {
            const QImage& icons = hot ? hotIcons_ : icons_;
            const int sx = it.state == Checked ? 0 : kIcon;
            p.drawImage(kIconAt + QPoint(0, y), icons, QRect(sx, 0, kIcon, kIcon));
        }
    }
}

void CPopupMenuWnd::mouseMoveEvent(QMouseEvent* e)
{
    setHotRow(rowAt(e->position().toPoint()));
}

void CPopupMenuWnd::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || chosen_)
        return;
    e->accept();
    choose(rowAt(e->position().toPoint()));
}

void CPopupMenuWnd::keyPressEvent(QKeyEvent* e)
{
    const int rows = int(items_.size());
    switch (e->key()) {
    case Qt::Key_Down:
    case Qt::Key_Up:
        if (rows > 0) {
            const int step = e->key() == Qt::Key_Down ? 1 : rows - 1;
            setHotRow(hot_ < 0 ? (e->key() == Qt::Key_Down ? 0 : rows - 1) : (hot_ + step) % rows);
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (hot_ >= 0 && !chosen_)
            choose(hot_);
        break;
    case Qt::Key_Escape:
        if (!chosen_)
            choose(-1);
        break;
    default:
        e->ignore();
        return;
    }
    e->accept();
}

void CPopupMenuWnd::choose(int row)
{
    releaseMouse();
    chosen_ = true;
    const int command = row >= 0 && row < int(items_.size()) ? items_[size_t(row)].command : cmd::kClosePopup;
    // The command may delete this menu (at once when it closes the frame),
    // so nothing of ours may be touched after it.
    hide();
    emit commandChosen(command);
}

void CPopupMenuWnd::mouseDoubleClickEvent(QMouseEvent* e)
{
    // The second click of a quick pair lands here when the menu is still
    // open; it counts as a click of its own.
    mousePressEvent(e);
}
