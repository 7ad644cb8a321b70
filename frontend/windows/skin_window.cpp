#include "skin_window.h"

#include "bitmap_strip.h"
#include "vorlin_app.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

void centreOnScreen(QWidget* window)
{
    if (const QScreen* s = QGuiApplication::primaryScreen())
        window->move(s->geometry().center() - QPoint(window->width() / 2, window->height() / 2));
}

SkinWindow::SkinWindow(CVorlinApp& app, QWidget* parent, QSize size) : QDialog(parent), app_(app)
{
    setWindowFlag(Qt::FramelessWindowHint);
    setFixedSize(size);
    setMouseTracking(true);
    // The paint covers every pixel, so Qt need not erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowTitle(CVorlinApp::productTitle());
}

int SkinWindow::addButton(const QImage& strip, const QRect& rect, bool transparent)
{
    Button b;
    b.strip = transparent ? skin::keyed(strip) : strip;
    b.rect = rect;
    b.hitRect = rect;
    b.transparent = transparent;
    buttons_.push_back(b);
    return int(buttons_.size()) - 1;
}

int SkinWindow::addRadio(const QImage& strip, const QRect& rect, int value)
{
    const int id = addButton(strip, rect);
    buttons_[id].hitRect = rect.translated(-kRadioShift, 0);
    buttons_[id].radioValue = value;
    return id;
}

void SkinWindow::addCaptionButtons()
{
    helpButton_ = addButton(app_.sharedBitmap(QStringLiteral("BAR_HELP")), kHelpRect);
    minimiseButton_ = addButton(app_.sharedBitmap(QStringLiteral("BAR_ICON")), kMinimiseRect);
    closeButton_ = addButton(app_.sharedBitmap(QStringLiteral("BAR_CLOSE")), kCloseRect);
}

bool SkinWindow::isCaptionButton(int button) const
{
    return button != skin::kNone && (button == helpButton_ || button == minimiseButton_ || button == closeButton_);
}

bool SkinWindow::handleCaptionClick(int button)
{
    if (button == skin::kNone)
        return false;
    if (button == helpButton_)
        app_.OpenHelp(this);
    else if (button == minimiseButton_)
        app_.minimiseTogether(this);
    else if (button == closeButton_)
        reject();
    else
        return false;
    return true;
}

void SkinWindow::setRadioValue(int value)
{
    radioValue_ = value;
    update();
}

void SkinWindow::setButtonVisible(int button, bool visible)
{
    if (button < 0 || button >= int(buttons_.size()) || buttons_[button].visible == visible)
        return;
    buttons_[button].visible = visible;
    update(buttons_[button].rect);
}

void SkinWindow::setBackground(const QImage& bitmap, QPoint origin)
{
    background_ = bitmap;
    backgroundOrigin_ = origin;
    update();
}

QRect SkinWindow::buttonRect(int button) const
{
    return button >= 0 && button < int(buttons_.size()) ? buttons_[button].rect : QRect();
}

int SkinWindow::hitTest(QPoint pos) const
{
    for (int i = 0; i < int(buttons_.size()); ++i)
        if (buttons_[i].visible && buttons_[i].hitRect.contains(pos))
            return i;
    return skin::kNone;
}

void SkinWindow::paintRadioMarks(QPainter& p) const
{
    const QImage& marks = app_.sharedBitmap(QStringLiteral("02_RADIO"));
    for (const Button& b : buttons_) {
        if (b.radioValue < 0)
            continue;
        const int look = b.radioValue == radioValue_ ? 1 : 0;
        bitmap_strip::drawLook(p, b.rect.topLeft() - QPoint(kRadioShift, 0), marks, look, 2);
    }
}

void SkinWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!background_.isNull())
        p.drawImage(QPoint(0, 0), background_, QRect(backgroundOrigin_, size()));
    else
        p.fillRect(rect(), Qt::black);
    for (int i = 0; i < int(buttons_.size()); ++i) {
        const Button& b = buttons_[i];
        if (!b.visible)
            continue;
        // A look is drawn into its rectangle only, whatever the strip's width.
        p.save();
        p.setClipRect(b.rect);
        bitmap_strip::drawLook(p, b.rect.topLeft(), b.strip, tracker_.lookOf(i));
        p.restore();
    }
    paintRadioMarks(p);
    paintContent(p);
}

void SkinWindow::apply(const skin::Effects& e)
{
    for (const skin::Redraw& r : e.redraws)
        update(buttonRect(r.button));
    if (e.clicked == skin::kNone)
        return;
    const Button& b = buttons_[e.clicked];
    if (b.radioValue >= 0) {
        radioValue_ = b.radioValue;
        for (const Button& other : buttons_)
            if (other.radioValue >= 0)
                update(QRect(other.rect.topLeft() - QPoint(kRadioShift, 0), QSize(kRadioShift, 36)));
        onRadioChanged();
    }
    onButtonClick(e.clicked);
}

void SkinWindow::resetButtons()
{
    tracker_.reset();
    update();
}

void SkinWindow::mouseMoveEvent(QMouseEvent* e)
{
    if (mouseBlocked())
        return;
    const int before = tracker_.hot();
    apply(tracker_.move(hitTest(e->position().toPoint())));
    if (tracker_.hot() != before && tracker_.hot() != skin::kNone)
        onHotChanged(tracker_.hot());
}

void SkinWindow::mousePressEvent(QMouseEvent* e)
{
    if (mouseBlocked() || e->button() != Qt::LeftButton)
        return;
    const int b = hitTest(e->position().toPoint());
    if (b == skin::kNone)
        onPressElsewhere();
    apply(tracker_.press(b));
}

void SkinWindow::mouseReleaseEvent(QMouseEvent* e)
{
    if (mouseBlocked() || e->button() != Qt::LeftButton)
        return;
    apply(tracker_.release(hitTest(e->position().toPoint()), forgetsHotOnRelease()));
}

void SkinWindow::mouseDoubleClickEvent(QMouseEvent* e)
{
    // The second press of a double click is a press like any other.
    mousePressEvent(e);
}

void SkinWindow::leaveEvent(QEvent*)
{
    // The mouse left the window: as a move onto no button. While the button
    // is held Qt keeps sending moves here, so a press can still come back.
    if (!mouseBlocked() && !tracker_.down())
        apply(tracker_.move(skin::kNone));
}

bool SkinWindow::event(QEvent* e)
{
    if (e->type() == QEvent::WindowUnblocked)
        refreshHot();
    return QDialog::event(e);
}

void SkinWindow::refreshHot()
{
    if (mouseBlocked() || tracker_.down() || tracker_.hot() == skin::kNone)
        return;
    const QPoint at = mapFromGlobal(QCursor::pos());
    const QWidget* child = childAt(at);
    if (!rect().contains(at) || (child && child->isVisible()) || hitTest(at) != tracker_.hot())
        apply(tracker_.move(skin::kNone));
}

void SkinWindow::keyPressEvent(QKeyEvent* e)
{
    // Enter and Escape would close a dialog; these windows close only by
    // their own buttons.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(e);
}
