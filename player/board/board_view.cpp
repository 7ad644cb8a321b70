// Painting the board and its picture buttons, and the clicks on them.
// Dragging, dropping and joining live in board_drag.cpp.

#include "board_view.h"

#include "bitmaps.h"
#include "finish_window.h"
#include "imaging.h"
#include "paths.h"
#include "piece_host.h"
#include "player_look.h"
#include "player_state.h"
#include "tile_mender_doc.h"
#include "tray_wnd.h"

#include <QCursor>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>

using namespace frame_geometry;

namespace {

struct ButtonInfo {
    int bitmap;
    QRect hit;   // view coordinates
    int drawX;   // frame window coordinates
    int drawWidth;
};

// Indexed by CTileMenderView::Button.
const ButtonInfo kButtons[5] = {
    {0, QRect(), 0, 0},
    {156, QRect(328, 508, 388 - 328, 573 - 508), 460, 68},
    {155, QRect(415, 508, 484 - 415, 573 - 508), 549, 75},
    {157, QRect(508, 508, 560 - 508, 573 - 508), 637, 67},
    {154, QRect(579, 508, 656 - 579, 573 - 508), 715, 80},
};
constexpr int kButtonY = 530;
constexpr int kButtonHeight = 70;

// Where the view lies in the frame's window.
const QPoint kViewInWindow = kView.topLeft() + kClient.topLeft();

} // namespace

CTileMenderView::CTileMenderView(const PlayerLook& look, const PlayerState& state, CTileMenderDoc& doc, PieceHost& host,
                                 QWidget* parent)
    : QWidget(parent), look_(look), state_(state), doc_(doc), host_(host)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    for (int b = Rotate; b <= AddTray; ++b)
        buttonBitmaps_[b] = playerBitmap(kButtons[b].bitmap);
    tiles_ = playerBitmap(163);

    QFile wave(paths::programFolder() + QStringLiteral("app.wav"));
    constexpr qint64 kMaxSoundBytes = 16 * 1024 * 1024;
    if (wave.open(QIODevice::ReadOnly) && wave.size() <= kMaxSoundBytes)
        completionSound_ = wave.readAll();
}

CTileMenderView::~CTileMenderView()
{
    delete finish_;
}

CFinishWnd* CTileMenderView::finishWindow() const { return finish_; }

QRect CTileMenderView::buttonRect(Button b) { return kButtons[b].hit; }

QRect CTileMenderView::buttonDrawRect(Button b)
{
    return QRect(kButtons[b].drawX, kButtonY, kButtons[b].drawWidth, kButtonHeight);
}

void CTileMenderView::initialUpdate()
{
    const QSize guide = doc_.guideSize();
    if (guide.isValid())
        origin_ = QPoint((662 - guide.width()) / 2, (503 - guide.height()) / 2 - cyDlg - cyCap + 27);
    else
        origin_ = QPoint(11, 38 - cyDlg - cyCap);

    // Trays of the puzzle that was open before hold its pieces, which have no
    // place in this one's column: they go with their trays.
    discardAllTrays();
    carried_.clear();
    board_.clear();
    grid_.reset(doc_.columns(), doc_.rows());
    cascade_.nextMinimizedY = lowestMinimizedTrayY();
    fixedCount_ = 0;
    delete finish_;

    // Made when the guide is first shown: with the option off (as most play)
    // an open neither fades a copy of the picture nor holds one.
    fadedGuide_ = QImage();
    update();
}

const QImage& CTileMenderView::fadedGuide() const
{
    // The guide shows faded; the document keeps the plain picture.
    const ToolkitBitmap& guide = doc_.guidePicture();
    if (fadedGuide_.isNull() && !guide.isNull()) {
        ToolkitBitmap faded, white;
        imaging::copy(faded, guide);
        imaging::create(white, guide.width(), guide.height());
        imaging::fill(white, 0xFFFFFF);
        imaging::combine(faded, white, imaging::kCombineFade);
        fadedGuide_ = faded.image;
    }
    return fadedGuide_;
}

CPiece* CTileMenderView::hitTest(QPoint pt, int* index) const
{
    for (int i = board_.size() - 1; i >= 0; --i) {
        const CPiece* p = board_[i];
        if (p->outline().contains(pt - QPoint(p->x, p->y))) {
            if (index)
                *index = i;
            return board_[i];
        }
    }
    return nullptr;
}

void CTileMenderView::paintBoard(QPainter& p, const QRect& c) const
{
    // The part of the 800 x 600 background that lies behind the view.
    if (look_.background)
        imaging::paint(p, *look_.background, c.translated(kViewInWindow), c, c);
    else
        p.fillRect(c, QColor(40, 0, 64));

    const QSize guide = doc_.guideSize();
    if (guide.isValid() && !tiles_.isNull()) {
        const QRect f = QRect(origin_, guide).adjusted(-4, -4, 4, 4);
        const int right = f.left() + f.width(), bottom = f.top() + f.height();
        auto tile = [&](int x, int y, int sx, int sy) {
            const QRect target(x, y, 20, 20);
            if (target.intersects(c))
                p.drawImage(target.topLeft(), tiles_, QRect(sx, sy, 20, 20));
        };
        auto row = [&](int y, int sy) {
            tile(f.left(), y, 0, sy);
            for (int x = f.left() + 20; x < right - 20; x += 20)
                tile(x, y, 21, sy);
            tile(right - 20, y, 42, sy);
        };
        row(f.top(), 0);
        for (int y = f.top() + 20; y < bottom - 20; y += 20)
            row(y, 21);
        row(bottom - 20, 42);
    }

    if (state_.backgroundOption && !fadedGuide().isNull()) {
        const QRect g(origin_, fadedGuide_.size());
        const QRect part = g & c;
        if (!part.isEmpty())
            p.drawImage(part.topLeft(), fadedGuide_, part.translated(-origin_));
    }

    for (const auto& piece : board_)
        if (piece->intersects(piece->x, piece->y, c))
            piece->draw(p, piece->x, piece->y);
}

void CTileMenderView::paintEvent(QPaintEvent* e)
{
    // Straight into the window's backing store, which the toolkit flushes
    // whole once every widget has painted, so nothing flickers; a picture of
    // our own in between cost a board-sized allocation and copy per paint
    // (four times the pixels at a scale factor of 2).
    QPainter p(this);
    paintBoard(p, e->rect());
    paintButtons(p, -kViewInWindow);
}

void CTileMenderView::paintButtons(QPainter& p, QPoint windowToPainter) const
{
    for (int b = Rotate; b <= AddTray; ++b) {
        const QImage& bmp = buttonBitmaps_[b];
        if (bmp.isNull())
            continue;
        const QRect r = buttonDrawRect(Button(b));
        p.drawImage(r.topLeft() + windowToPainter, bmp,
                    QRect(0, buttonStates_[b] * kButtonHeight, r.width(), kButtonHeight));
    }
}

void CTileMenderView::setButtonState(Button b, int state)
{
    if (b == NoButton || buttonStates_[b] == state)
        return;
    buttonStates_[b] = state;
    update(buttonDrawRect(b).translated(-kViewInWindow));
    emit buttonBandChanged();
}

CTileMenderView::Button CTileMenderView::buttonAt(QPoint pos, bool withRotate) const
{
    // Tested in this order: Add tray, Hint, Restart, Rotate.
    for (Button b : {AddTray, Hint, Restart, Rotate}) {
        if (b == Rotate && !withRotate)
            continue;
        if (kButtons[b].hit.contains(pos))
            return b;
    }
    return NoButton;
}

void CTileMenderView::buttonHover(QPoint pos, bool leftHeld)
{
    emit pointerOverBoard();
    const bool rotateAllowed = state_.rotationAllowed != 0;
    // Pointing at Rotate while turning is off changes nothing at all.
    if (!rotateAllowed && kButtons[Rotate].hit.contains(pos))
        return;
    const Button b = buttonAt(pos, rotateAllowed);
    if (b != NoButton) {
        if (b != highlighted_) {
            setButtonState(highlighted_, 0);
            highlighted_ = b;
        }
        setButtonState(b, leftHeld ? 2 : 1);
    } else if (highlighted_ != NoButton) {
        setButtonState(highlighted_, 0);
        highlighted_ = NoButton;
    }
}

void CTileMenderView::refreshButtonHighlight()
{
    if (highlighted_ == NoButton || dragging_)
        return;
    const QPoint at = mapFromGlobal(QCursor::pos());
    const bool over = rect().contains(at) && !childAt(at) && buttonAt(at, state_.rotationAllowed != 0) == highlighted_;
    if (!over) {
        setButtonState(highlighted_, 0);
        highlighted_ = NoButton;
    }
}

void CTileMenderView::buttonPress(QPoint pos)
{
    const Button b = buttonAt(pos, state_.rotationAllowed != 0);
    if (b == NoButton)
        return;
    if (highlighted_ != b)
        setButtonState(highlighted_, 0);
    setButtonState(b, 2);
    highlighted_ = b;
}

void CTileMenderView::buttonClick(QPoint pos)
{
    const Button b = buttonAt(pos, state_.rotationAllowed != 0);
    if (b == NoButton)
        return;
    setButtonState(b, 1);
    highlighted_ = b;
    emit buttonClicked(b);
}

void CTileMenderView::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        leftDown(e->position().toPoint());
    else if (e->button() == Qt::RightButton)
        rightDown(e);
}

void CTileMenderView::mouseDoubleClickEvent(QMouseEvent* e) { mousePressEvent(e); }

void CTileMenderView::leftDown(QPoint pos)
{
    if (dragging_)
        return;
    const QPoint board = pos + scrollPosition();
    if (CPiece* hit = hitTest(board))
        startDrag(hit, board);
    else
        buttonPress(pos);
}

void CTileMenderView::rightDown(QMouseEvent* e)
{
    if (dragging_)
        return;
    CPiece* hit = hitTest(e->position().toPoint() + scrollPosition());
    if (!hit)
        return;
    host_.select(hit, ContainerKind::Board, this);
    if (e->modifiers() & Qt::ShiftModifier)
        host_.hint(hit);
    else
        turnGroup(hit);
}

void CTileMenderView::mouseMoveEvent(QMouseEvent* e)
{
    if (dragging_)
        moveDrag(e->globalPosition().toPoint());
    else
        buttonHover(e->position().toPoint(), e->buttons() & Qt::LeftButton);
}

void CTileMenderView::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    if (dragging_)
        drop(e->globalPosition().toPoint());
    else if (highlighted_ != NoButton)
        buttonClick(e->position().toPoint());
}

void CTileMenderView::focusOutEvent(QFocusEvent* e)
{
    QWidget::focusOutEvent(e);
    if (dragging_)
        drop(QCursor::pos());
}

bool CTileMenderView::event(QEvent* e)
{
    if (int(e->type()) == kCloseFinishMessage) {
        delete finish_;
        return true;
    }
    if (int(e->type()) == kTrayClosedMessage) {
        deleteClosedTray(static_cast<TrayClosedEvent*>(e)->tray);
        return true;
    }
    return QWidget::event(e);
}

void CTileMenderView::redrawPiece(const CPiece* p)
{
    if (p)
        update(p->paintBounds().translated(QPoint(p->x, p->y) - scrollPosition()));
}

void CTileMenderView::raisePiece(CPiece* p)
{
    const int i = board_.indexOf(p);
    if (i < 0)
        return;
    board_.append(board_.take(i));
    redrawPiece(p);
}
