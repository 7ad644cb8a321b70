#pragma once
// What a screen reader sees of a skinned window: the window, and one child
// per bitmap button or radio option (its name, role, state and place),
// before the window's child widgets (pages, text entries).

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

class SkinWindow;

// Registers the skinned windows' interfaces with Qt, once per program.
void installSkinAccessibility();

class SkinWindowAccessible : public QAccessibleWidget {
public:
    explicit SkinWindowAccessible(SkinWindow* window);
    ~SkinWindowAccessible() override;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

private:
    SkinWindow* skin() const;
    int buttons() const;
    mutable QHash<int, QAccessible::Id> children_;
};

// One button or option of a skinned window; it has no QObject of its own.
class SkinButtonAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    SkinButtonAccessible(SkinWindow* window, int button);

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    SkinWindow* skinWindow() const { return window_; }
    int button() const { return button_; }

private:
    QPointer<SkinWindow> window_;
    int button_;
};
