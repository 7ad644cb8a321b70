#include "skin_accessible.h"

#include "skin_window.h"

namespace {

QAccessibleInterface* skinFactory(const QString&, QObject* object)
{
    if (auto* w = qobject_cast<SkinWindow*>(object))
        return new SkinWindowAccessible(w);
    return nullptr;
}

} // namespace

void installSkinAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(skinFactory);
        return true;
    }();
    (void)installed;
}

SkinWindowAccessible::SkinWindowAccessible(SkinWindow* window)
    : QAccessibleWidget(window, window->isWindow() ? QAccessible::Dialog : QAccessible::Pane)
{
}

SkinWindowAccessible::~SkinWindowAccessible()
{
    // The children were registered by us and nothing else holds them.
    for (QAccessible::Id id : std::as_const(children_))
        QAccessible::deleteAccessibleInterface(id);
}

SkinWindow* SkinWindowAccessible::skin() const { return static_cast<SkinWindow*>(widget()); }

int SkinWindowAccessible::buttons() const { return skin() ? skin()->buttonCount() : 0; }

int SkinWindowAccessible::childCount() const { return buttons() + QAccessibleWidget::childCount(); }

QAccessibleInterface* SkinWindowAccessible::child(int index) const
{
    if (index < 0)
        return nullptr;
    if (index >= buttons())
        return QAccessibleWidget::child(index - buttons());
    if (auto it = children_.constFind(index); it != children_.constEnd())
        return QAccessible::accessibleInterface(*it);
    auto* made = new SkinButtonAccessible(skin(), index);
    children_.insert(index, QAccessible::registerAccessibleInterface(made));
    return made;
}

int SkinWindowAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    if (!child)
        return -1;
    if (child->object() == nullptr) {
        // Ours have no object; anything else without one is not our child.
        for (auto it = children_.constBegin(); it != children_.constEnd(); ++it)
            if (QAccessible::accessibleInterface(it.value()) == child)
                return it.key();
        return -1;
    }
    const int i = QAccessibleWidget::indexOfChild(child);
    return i < 0 ? -1 : i + buttons();
}

QAccessibleInterface* SkinWindowAccessible::childAt(int x, int y) const
{
    for (int i = 0; i < childCount(); ++i)
        if (QAccessibleInterface* c = child(i); c && !c->state().invisible && c->rect().contains(x, y))
            return c;
    return nullptr;
}

QAccessibleInterface* SkinWindowAccessible::focusChild() const
{
    if (skin() && skin()->focusedButton() != skin::kNone)
        return child(skin()->focusedButton());
    return QAccessibleWidget::focusChild();
}

SkinButtonAccessible::SkinButtonAccessible(SkinWindow* window, int button) : window_(window), button_(button) {}

bool SkinButtonAccessible::isValid() const { return window_ && button_ < window_->buttonCount(); }

QWindow* SkinButtonAccessible::window() const
{
    return window_ && window_->window() ? window_->window()->windowHandle() : nullptr;
}

QAccessibleInterface* SkinButtonAccessible::parent() const
{
    return window_ ? QAccessible::queryAccessibleInterface(window_.data()) : nullptr;
}

QString SkinButtonAccessible::text(QAccessible::Text t) const
{
    if (!window_)
        return {};
    switch (t) {
    case QAccessible::Name: return window_->buttonName(button_);
    default: return {};
    }
}

QRect SkinButtonAccessible::rect() const
{
    if (!window_)
        return {};
    const QRect r = window_->buttonRect(button_);
    return QRect(window_->mapToGlobal(r.topLeft()), r.size());
}

QAccessible::Role SkinButtonAccessible::role() const
{
    return window_ && window_->isRadio(button_) ? QAccessible::RadioButton : QAccessible::Button;
}

QAccessible::State SkinButtonAccessible::state() const
{
    QAccessible::State s;
    if (!window_)
        return s;
    s.focusable = true;
    s.invisible = !window_->isButtonShown(button_) || !window_->isVisible();
    s.focused = window_->focusedButton() == button_;
    s.pressed = window_->lookOf(button_) == skin::Pressed;
    if (window_->isRadio(button_)) {
        s.checkable = true;
        s.checked = window_->isRadioChecked(button_);
    }
    return s;
}

void* SkinButtonAccessible::interface_cast(QAccessible::InterfaceType type)
{
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
}

QStringList SkinButtonAccessible::actionNames() const { return {pressAction()}; }

void SkinButtonAccessible::doAction(const QString& actionName)
{
    if (window_ && actionName == pressAction())
        window_->pressByKey(button_);
}
