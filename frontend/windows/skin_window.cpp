#include "skin_window.h"

#include "bitmap_strip.h"
#include "frontend_art.h"
#include "skin_accessible.h"
#include "vorlin_app.h"

#include <QAccessible>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>

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
    installSkinAccessibility();
    // A text entry of ours taking the caret (by Tab, by the mouse, or as the
    // name page opens) takes the keyboard off our buttons: one focus at a time.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && now != this && !qobject_cast<SkinWindow*>(now) && isAncestorOf(now))
            setFocusedButton(skin::kNone);
    });
}

int SkinWindow::addButton(const QImage& strip, const QRect& rect, const QString& name, bool transparent)
{
    Button b;
    b.name = name;
    b.strip = transparent ? skin::keyed(strip) : strip;
    b.rect = rect;
    b.hitRect = rect;
    b.transparent = transparent;
    buttons_.push_back(b);
    return int(buttons_.size()) - 1;
}

int SkinWindow::addRadio(const QImage& strip, const QRect& rect, int value, const QString& name)
{
    const int id = addButton(strip, rect, name);
    buttons_[id].hitRect = rect.translated(-kRadioShift, 0);
    buttons_[id].radioValue = value;
    return id;
}

void SkinWindow::addCaptionButtons()
{
    helpButton_ = addButton(app_.sharedBitmap(QStringLiteral("BAR_HELP")), kHelpRect, QStringLiteral("Help"));
    minimiseButton_ = addButton(app_.sharedBitmap(QStringLiteral("BAR_ICON")), kMinimiseRect, QStringLiteral("Minimize"));
    closeButton_ = addButton(app_.sharedBitmap(QStringLiteral("BAR_CLOSE")), kCloseRect, QStringLiteral("Close"));
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
    if (!visible && button == focused_) {
        // Finish takes Next's place: the keyboard stays where it was.
        update(focusRect(button));
        int stand = skin::kNone;
        // (Finish may be shown only just after Next is hidden.)
        for (int i = 0; i < int(buttons_.size()) && stand == skin::kNone; ++i)
            if (i != button && buttons_[i].rect == buttons_[button].rect)
                stand = i;
        focused_ = skin::kNone;
        setFocusedButton(stand);
    }
    if (!visible && button == keyDown_)
        keyDown_ = skin::kNone;
    if (visible && button == focused_)
        update(focusRect(button));
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
        bitmap_strip::drawLook(p, b.rect.topLeft(), b.strip, lookOf(i));
        p.restore();
    }
    paintRadioMarks(p);
    paintContent(p);
    paintFocus(p);
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

QString SkinWindow::buttonName(int button) const
{
    return button >= 0 && button < int(buttons_.size()) ? buttons_[button].name : QString();
}

bool SkinWindow::isRadio(int button) const
{
    return button >= 0 && button < int(buttons_.size()) && buttons_[button].radioValue >= 0;
}

bool SkinWindow::isButtonShown(int button) const
{
    return button >= 0 && button < int(buttons_.size()) && buttons_[button].visible;
}

int SkinWindow::focusedButton() const
{
    return keyRoot()->focusShown_ ? focused_ : skin::kNone;
}

QRect SkinWindow::focusRect(int button) const
{
    if (button < 0 || button >= int(buttons_.size()))
        return {};
    const Button& b = buttons_[button];
    // An option's look is one text line high whatever its rectangle says.
    const QRect label = b.radioValue >= 0 ? QRect(b.rect.topLeft(), QSize(b.rect.width(), 29)) : b.rect;
    const QRect around = b.radioValue >= 0 ? label.united(label.translated(-kRadioShift, 0)) : label;
    return around.adjusted(-3, -3, 3, 3) & rect();
}

void SkinWindow::paintFocus(QPainter& p)
{
    if (focused_ == skin::kNone || !keyRoot()->focusShown_ || !buttons_[focused_].visible)
        return;
    if (focusLook_.isNull())
        focusLook_ = skin::keyed(frontendBitmap(QStringLiteral("FOCUS")));
    if (focusLook_.isNull())
        return;
    // One corner of the bitmap at each corner of the place, so one bitmap
    // fits every button size.
    const QRect r = focusRect(focused_);
    const int cw = focusLook_.width() / 2, ch = focusLook_.height() / 2;
    p.drawImage(r.topLeft(), focusLook_, QRect(0, 0, cw, ch));
    p.drawImage(QPoint(r.right() + 1 - cw, r.top()), focusLook_, QRect(cw, 0, cw, ch));
    p.drawImage(QPoint(r.left(), r.bottom() + 1 - ch), focusLook_, QRect(0, ch, cw, ch));
    p.drawImage(QPoint(r.right() + 1 - cw, r.bottom() + 1 - ch), focusLook_, QRect(cw, ch, cw, ch));
}

SkinWindow* SkinWindow::keyRoot()
{
    SkinWindow* r = this;
    while (!r->isWindow()) {
        auto* up = qobject_cast<SkinWindow*>(r->parentWidget());
        if (!up)
            break;
        r = up;
    }
    return r;
}

const SkinWindow* SkinWindow::keyRoot() const { return const_cast<SkinWindow*>(this)->keyRoot(); }

void SkinWindow::collectStops(std::vector<KeyStop>& stops, std::vector<skin::FocusStop>& kinds, int& group)
{
    const int mine = group++;
    // Pages and entries first: they lie above the window's own buttons.
    for (QObject* o : children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w->isWindow())
            continue;
        if (auto* page = qobject_cast<SkinWindow*>(w)) {
            if (page->isVisible())
                page->collectStops(stops, kinds, group);
        } else if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled()) {
            stops.push_back({nullptr, skin::kNone, w});
            kinds.push_back({skin::FocusStop::Text, w->isVisible(), mine});
        }
    }
    std::vector<int> order = focusOrder_;
    for (int i = 0; i < int(buttons_.size()); ++i)
        if (std::find(order.begin(), order.end(), i) == order.end())
            order.push_back(i);
    for (int i : order) {
        const auto kind = isCaptionButton(i) ? skin::FocusStop::Caption
                          : isRadio(i)       ? skin::FocusStop::Radio
                                             : skin::FocusStop::Button;
        stops.push_back({this, i, nullptr});
        kinds.push_back({kind, buttons_[i].visible && isVisible(), mine});
    }
}

bool SkinWindow::moveFocus(bool forward)
{
    std::vector<KeyStop> stops;
    std::vector<skin::FocusStop> kinds;
    int group = 0;
    collectStops(stops, kinds, group);
    const std::vector<int> order = skin::focusOrder(kinds);
    // The window's own record: it is kept even while another window is active.
    const QWidget* typing = window()->focusWidget();
    int current = skin::kNone;
    for (int k = 0; k < int(order.size()) && current == skin::kNone; ++k) {
        const KeyStop& s = stops[order[k]];
        if (s.widget ? s.widget == typing : focusShown_ && s.owner->focused_ == s.button)
            current = k;
    }
    const int next = skin::stepRing(int(order.size()), current, forward);
    if (next == skin::kNone)
        return false;
    focusShown_ = true;
    focusStop(stops[order[next]]);
    return true;
}

void SkinWindow::focusStop(const KeyStop& target)
{
    // Hidden pages too: one coming back must not bring an old focus with it.
    SkinWindow* root = keyRoot();
    if (root != target.owner)
        root->setFocusedButton(skin::kNone);
    for (SkinWindow* page : root->findChildren<SkinWindow*>())
        if (page != target.owner)
            page->setFocusedButton(skin::kNone);
    if (target.widget) {
        target.widget->setFocus(Qt::TabFocusReason);
        return;
    }
    target.owner->setFocus(Qt::TabFocusReason);
    target.owner->setFocusedButton(target.button);
}

void SkinWindow::focusEntry(QWidget* entry)
{
    focusStop({nullptr, skin::kNone, entry});
}

void SkinWindow::setFocusedButton(int button)
{
    if (button == focused_)
        return;
    if (focused_ != skin::kNone) {
        update(focusRect(focused_));
        if (keyDown_ == focused_) {
            update(buttons_[keyDown_].rect);
            keyDown_ = skin::kNone;
        }
    }
    focused_ = button;
    if (button == skin::kNone || !keyRoot()->focusShown_)
        return;
    update(focusRect(button));
    QAccessibleEvent moved(this, QAccessible::Focus);
    moved.setChild(button);
    QAccessible::updateAccessibility(&moved);
    emit keyboardFocusMoved(button);
}

void SkinWindow::pressByKey(int button)
{
    if (mouseBlocked() || !isButtonShown(button))
        return;
    skin::Effects e;
    e.clicked = button;
    apply(e);
}

void SkinWindow::stepOption(bool forward)
{
    std::vector<skin::FocusStop> kinds;
    for (int i = 0; i < int(buttons_.size()); ++i)
        kinds.push_back({isRadio(i) ? skin::FocusStop::Radio : skin::FocusStop::Button, buttons_[i].visible, 0});
    const int next = skin::stepOption(kinds, focused_, forward);
    if (next == focused_)
        return;
    setFocusedButton(next);
    // As the arrows do in any group of options: the one reached is chosen.
    pressByKey(next);
}

bool SkinWindow::focusNextPrevChild(bool next)
{
    SkinWindow* root = keyRoot();
    // A page hidden with the caret in its text entry asks for a new focus:
    // until a key has asked for the ring (the caret was put there by the
    // mouse), Qt's own chain decides, as it always did.
    if (!root->focusShown_ && !isVisible())
        return root->QDialog::focusNextPrevChild(next);
    return root->moveFocus(next);
}

void SkinWindow::keyPressEvent(QKeyEvent* e)
{
    using skin::KeyAction;
    const KeyAction action = skin::keyAction(e->key(), e->modifiers());
    const bool onButton = focused_ != skin::kNone && keyRoot()->focusShown_ && isButtonShown(focused_);
    switch (action) {
    case KeyAction::NextStop:
    case KeyAction::PreviousStop:
        // Tab reaches us only when Qt did not take it (Ctrl+Tab and the like
        // never do); the ring is asked directly.
        if (keyRoot()->moveFocus(action == KeyAction::NextStop))
            return;
        break;
    case KeyAction::Press:
        if (onButton) {
            if (!e->isAutoRepeat() && !mouseBlocked()) {
                keyDown_ = focused_;
                update(buttons_[keyDown_].rect);
            }
            return;
        }
        break;
    case KeyAction::NextOption:
    case KeyAction::PreviousOption:
        if (onButton && isRadio(focused_)) {
            stepOption(action == KeyAction::NextOption);
            return;
        }
        if (onArrowKey(action))
            return;
        break;
    case KeyAction::Back:
        // As the window's own Back or Close button, never QDialog's reject:
        // whatever that button asks or keeps, Escape asks and keeps too.
        if (const int b = backButton(); isButtonShown(b) && (keyRoot()->focusShown_ || !escapeWaitsForKeyboard())) {
            pressByKey(b);
            return;
        }
        break;
    case KeyAction::Close:
        if (isButtonShown(closeButton_)) {
            pressByKey(closeButton_);
            return;
        }
        break;
    case KeyAction::None: break;
    }
    if (!isWindow()) {
        // A page leaves the rest to its window: Escape is the window's Back.
        e->ignore();
        return;
    }
    // Enter and Escape would close a dialog; these windows close only by
    // their own buttons.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(e);
}

void SkinWindow::keyReleaseEvent(QKeyEvent* e)
{
    if (skin::keyAction(e->key(), e->modifiers()) != skin::KeyAction::Press || e->isAutoRepeat() ||
        keyDown_ == skin::kNone) {
        QDialog::keyReleaseEvent(e);
        return;
    }
    // The click comes as the key comes up, as a mouse click comes with the
    // button's release; a press begun in another window clicks nothing here.
    const int b = keyDown_;
    keyDown_ = skin::kNone;
    update(buttons_[b].rect);
    pressByKey(b);
}
