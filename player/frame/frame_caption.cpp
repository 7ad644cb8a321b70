// The frame's own drawing and its caption: the band and borders taken from
// the background picture, the five caption buttons with their hover and
// pressed looks, the clock, the scroll thumb's part in the left border, the
// bottom rows of the view's picture buttons, and what the caption buttons do.

#include "frame_caption.h"

#include "bitmaps.h"
#include "board_view.h"
#include "command_ids.h"
#include "desktop_opener.h"
#include "message_box.h"
#include "piece_strip.h"
#include "popup_menu.h"
#include "frame_host.h"
#include "player_look.h"
#include "player_messages.h"
#include "player_state.h"

#include <QApplication>
#include <QCursor>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QWindow>

namespace {

using namespace frame_geometry;
using Button = CMainFrame::CaptionButton;
using frame_caption::CaptionState;

// Shown instead of the background picture when it did not load.
const QColor kPlainBackground(38, 14, 62);
const QColor kClockColour(200, 200, 0);
constexpr int kCaptionBand = 27;
constexpr int kThumbBitmap = 153;

// The looks of a caption button, one row each in its bitmap.
enum Look { Normal = 0, Hover = 1, Pressed = 2 };

constexpr Button kHoverOrder[] = {Button::Game, Button::Options, Button::Help, Button::Minimize, Button::Close};

Button buttonAt(QPoint p)
{
    for (Button b : kHoverOrder)
        if (frame_caption::buttonRect(b).contains(p))
            return b;
    return Button::NoCaptionButton;
}

int rowHeight(Button b) { return b == Button::Minimize || b == Button::Close ? 24 : 27; }

} // namespace

namespace frame_caption {

// What the caption remembers between mouse events: the look of the
// highlighted button, the button a press went down on (a click is a release
// over that same button), a window move in progress, and the clock's last
// drawn cell.
class CaptionState : public QObject {
public:
    explicit CaptionState(CMainFrame* frame) : QObject(frame), frame_(frame)
    {
        // The children's enter events too: the frame hears no leave when the
        // mouse goes from its caption straight into the view or a tray.
        qApp->installEventFilter(this);
    }
    // The cursor leaving the caption would otherwise leave a button lit
    // until it came back, and so would a dialog closing over it.
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        switch (e->type()) {
        case QEvent::Leave:
            if (watched == frame_)
                frame_->clearCaptionHighlight();
            break;
        case QEvent::Enter:
            if (watched != frame_ && watched->isWidgetType() && frame_->isAncestorOf(static_cast<QWidget*>(watched)))
                frame_->refreshButtonHighlights();
            break;
        case QEvent::WindowUnblocked:
            if (watched == frame_)
                frame_->refreshButtonHighlights();
            break;
        default:
            break;
        }
        return false;
    }
    CMainFrame* frame_;
    int look = 0; // normal
    CMainFrame::CaptionButton pressed = CMainFrame::NoCaptionButton;
    bool moving = false;
    QPoint grab;        // cursor minus the window's top-left while moving it by hand
    QString clockText;  // what the clock showed at the last paint
    QRect clockCell;
};

CaptionState* createState(CMainFrame* frame) { return new CaptionState(frame); }

QRect buttonRect(Button b)
{
    switch (b) {
    case Button::Game: return QRect(10, 0, 61, 27);
    case Button::Options: return QRect(82, 0, 83, 27);
    case Button::Help: return QRect(682, 0, 51, 27);
    case Button::Minimize: return QRect(744, 1, 28, 24);
    case Button::Close: return QRect(772, 1, 28, 24);
    case Button::NoCaptionButton: break;
    }
    return QRect();
}

int buttonBitmap(Button b)
{
    switch (b) {
    case Button::Game: return 159;
    case Button::Options: return 160;
    case Button::Help: return 161;
    case Button::Minimize: return 162;
    case Button::Close: return 169;
    case Button::NoCaptionButton: break;
    }
    return 0;
}

QRect clockRect(const QFont& font, const QString& text)
{
    const QFontMetrics fm(font);
    return QRect(kClockAt, QSize(fm.horizontalAdvance(text), fm.height()));
}

QRect thumbBorderRect(const CMainFrame& frame)
{
    // The strip's own rectangle: one track for its drawing and ours, and for
    // both hit tests.
    return frame.strip() ? frame.strip()->borderThumbRect() : QRect();
}

void clockTick(CMainFrame& frame)
{
    frame_caption::CaptionState& s = frame.captionState();
    const QString text = CMainFrame::clockText(frame.playTime());
    if (text == s.clockText)
        return;
    // The old cell too: a shorter text must not leave digits behind.
    frame.update(clockRect(frame.app().look().largeFont, text).united(s.clockCell));
}

} // namespace frame_caption

void CMainFrame::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    const QRegion bands = QRegion(0, 0, width(), kCaptionBand) + QRegion(0, 0, cxDlg, height())
                          + QRegion(width() - cxDlg, 0, cxDlg, height())
                          + QRegion(0, height() - cyDlg, width(), cyDlg);
    const QRegion todo = bands & e->region();
    p.setClipRegion(todo);

    // 1. Caption band and borders, from the picture laid over the whole window.
    for (const QRect& r : todo) {
        if (app_->look().background && !app_->look().background->isNull())
            imaging::paint(p, *app_->look().background, app_->look().background->image.rect(), rect(), r);
        else
            p.fillRect(r, kPlainBackground);
    }

    // 2. The caption buttons, the highlighted one in its look.
    frame_caption::CaptionState& s = captionState();
    for (Button b : kHoverOrder) {
        const QRect r = frame_caption::buttonRect(b);
        if (!e->region().intersects(r))
            continue;
        const int look = b == highlighted_ ? s.look : Normal;
        p.drawImage(r.topLeft(), playerBitmap(frame_caption::buttonBitmap(b)),
                    QRect(0, look * rowHeight(b), r.width(), r.height()));
    }

    // 3. The clock, on its opaque black cell.
    const QString text = clockText(playTime());
    const QRect cell = frame_caption::clockRect(app_->look().largeFont, text);
    if (e->region().intersects(cell)) {
        p.fillRect(cell, Qt::black);
        p.setFont(app_->look().largeFont);
        p.setPen(kClockColour);
        p.drawText(cell.topLeft() + QPoint(0, QFontMetrics(app_->look().largeFont).ascent()), text);
    }
    // The tick compares against what the screen shows. Only the cell's part
    // above the client area ever shows (the windows there cover the rest); a
    // cell painted only in part shows no whole text, so the next tick
    // paints it again.
    const QRect shown = cell & QRect(0, 0, width(), kClient.top());
    if ((QRegion(shown) - e->region()).isEmpty()) {
        s.clockText = text;
        s.clockCell = cell;
    } else if (e->region().intersects(cell)) {
        s.clockText.clear();
        s.clockCell = s.clockCell.united(cell);
    }

    // 4. The scroll thumb straddles the left border: its left columns are ours.
    const QRect thumb = frame_caption::thumbBorderRect(*this);
    if (e->region().intersects(thumb))
        p.drawImage(thumb.topLeft(), playerBitmap(kThumbBitmap), QRect(QPoint(0, 0), thumb.size()));

    // 5. The view's picture buttons reach into the bottom border.
    if (view_)
        view_->paintButtons(p, QPoint(0, 0));
}

void CMainFrame::clearCaptionHighlight()
{
    if (highlighted_ == NoCaptionButton)
        return;
    const QRect r = frame_caption::buttonRect(highlighted_);
    highlighted_ = NoCaptionButton;
    captionState().look = Normal;
    update(r);
}

void CMainFrame::refreshButtonHighlights()
{
    const QPoint at = mapFromGlobal(QCursor::pos());
    if (highlighted_ != NoCaptionButton && (buttonAt(at) != highlighted_ || childAt(at)))
        clearCaptionHighlight();
    if (view_)
        view_->refreshButtonHighlight();
}

void CMainFrame::updateButtonBand()
{
    update(QRect(0, height() - cyDlg, width(), cyDlg));
}

namespace {

// Shows the button highlighted in a look; the one highlighted before goes back to normal.
void highlight(CMainFrame& frame, Button& highlighted, Button b, int look)
{
    frame_caption::CaptionState& s = frame.captionState();
    if (b == highlighted && look == s.look)
        return;
    if (highlighted != Button::NoCaptionButton)
        frame.update(frame_caption::buttonRect(highlighted));
    highlighted = b;
    s.look = look;
    frame.update(frame_caption::buttonRect(b));
}

} // namespace

void CMainFrame::mouseMoveEvent(QMouseEvent* e)
{
    frame_caption::CaptionState& s = captionState();
    if (s.moving) {
        move(e->globalPosition().toPoint() - s.grab);
        return;
    }
    const QPoint at = e->position().toPoint();
    const Button b = buttonAt(at);
    if (b != NoCaptionButton)
        highlight(*this, highlighted_, b, (e->buttons() & Qt::LeftButton) ? Pressed : Hover);
    else
        clearCaptionHighlight();
}

void CMainFrame::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    frame_caption::CaptionState& s = captionState();
    const QPoint at = e->position().toPoint();
    if (frame_caption::thumbBorderRect(*this).contains(at) && strip()) {
        strip()->startThumbDrag();
        return;
    }
    const Button b = buttonAt(at);
    if (b != NoCaptionButton) {
        highlight(*this, highlighted_, b, Pressed);
        s.pressed = b;
        return;
    }
    // The rest of the caption band moves the window, as a system caption would.
    if (at.y() < kClient.top()) {
        QWindow* w = windowHandle();
        if (!w || !w->startSystemMove()) {
            // No window manager to ask: move it ourselves while the button is down.
            s.moving = true;
            s.grab = e->globalPosition().toPoint() - pos();
        }
    }
}

namespace {

void showMenu(CMainFrame& frame, QPointer<CPopupMenuWnd>& menu, std::vector<CPopupMenuWnd::Item> items, QPoint at)
{
    delete menu;
    menu = new CPopupMenuWnd(frame, std::move(items), frame.app().look().largeFont);
    CPopupMenuWnd* opened = menu;
    QObject::connect(opened, &CPopupMenuWnd::commandChosen, &frame, [&frame, opened](int command) {
        QPointer<CPopupMenuWnd> self(opened);
        const bool handled = frame.OnCommand(command);
        // A command nobody knows must not leave a hidden menu behind.
        if (self && !handled)
            self->deleteLater();
        // The menu held the mouse: the button that opened it is not lit any
        // more unless the mouse is still over it. A command that closed the
        // frame took the menu with it.
        if (self)
            frame.refreshButtonHighlights();
    });
    menu->open(at);
}

std::vector<CPopupMenuWnd::Item> gameItems(const undo_history::UndoHistory& history)
{
    // Crossed while there is nothing to take back or to bring again.
    auto can = [](bool yes) { return yes ? CPopupMenuWnd::Plain : CPopupMenuWnd::Crossed; };
    return {{QStringLiteral("Load"), cmd::kLoadGame, CPopupMenuWnd::Plain},
            {QStringLiteral("Save"), cmd::kFileSave, CPopupMenuWnd::Plain},
            {QStringLiteral("Undo"), cmd::kUndo, can(history.canUndo())},
            {QStringLiteral("Redo"), cmd::kRedo, can(history.canRedo())},
            {QStringLiteral("Exit"), cmd::kAppExit, CPopupMenuWnd::Plain}};
}

std::vector<CPopupMenuWnd::Item> optionItems(const PlayerState& st, const CPieceStrip* strip)
{
    auto mark = [](int32_t on) { return on ? CPopupMenuWnd::Checked : CPopupMenuWnd::Crossed; };
    // The column keeps its own two switches; without it they read off.
    const bool first = strip && strip->edgesFirst();
    const bool only = strip && strip->edgesOnly();
    return {{QStringLiteral("Sound"), cmd::kSound, mark(st.soundOption)},
            {QStringLiteral("Background"), cmd::kBackground, mark(st.backgroundOption)},
            {QStringLiteral("Edges First"), cmd::kEdgesFirst, mark(first)},
            {QStringLiteral("Edges Only"), cmd::kEdgesOnly, mark(only)}};
}

void openHelp(CMainFrame& frame)
{
    const QString path = frame.app().helpFile();
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        messageBox(&frame, QObject::tr("The help manual cannot be found:\n%1").arg(path),
                   messages::boxCaption(), mb::Ok | mb::IconExclamation);
        return;
    }
    QPointer<CMainFrame> shown(&frame);
    desktop_opener::open(path, &frame, [shown, path] {
        messageBox(shown, QObject::tr("No program could show the help manual. You can open it yourself:\n%1").arg(path),
                   messages::boxCaption(), mb::Ok | mb::IconExclamation);
    });
}

} // namespace

void CMainFrame::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    frame_caption::CaptionState& s = captionState();
    s.moving = false;
    const Button pressed = s.pressed;
    s.pressed = NoCaptionButton;
    const Button b = buttonAt(e->position().toPoint());
    // A click is a release over the button the press went down on.
    if (b == NoCaptionButton || b != pressed)
        return;
    highlight(*this, highlighted_, b, Hover);
    switch (b) {
    case Game:
        showMenu(*this, menu_, gameItems(history()), QPoint(0, 0));
        break;
    case Options:
        showMenu(*this, menu_, optionItems(app_->playerState(), strip()), QPoint(61, 0));
        break;
    case Minimize:
        // The button would still look hot when the window comes back.
        clearCaptionHighlight();
        showMinimized();
        break;
    case Close:
        close();
        break;
    case Help:
        openHelp(*this);
        break;
    case NoCaptionButton:
        break;
    }
}

void CMainFrame::mouseDoubleClickEvent(QMouseEvent*)
{
    // The second click of a pair does nothing on the caption; the first one
    // already did what it does.
}
