#include "message_box.h"

#include <QMessageBox>

namespace {
MessageBoxScript* g_script = nullptr;

int firstButton(int flags)
{
    switch (flags & 0xF) {
    case mb::YesNo:
    case mb::YesNoCancel:
        return mb::IdYes;
    default:
        return mb::IdOk;
    }
}
} // namespace

MessageBoxScript::MessageBoxScript() { g_script = this; }
MessageBoxScript::~MessageBoxScript()
{
    if (g_script == this)
        g_script = nullptr;
}

int messageBox(QWidget* parent, const QString& text, const QString& caption, int flags)
{
    if (g_script) {
        g_script->calls_.push_back({text, caption, flags});
        if (g_script->answers_.empty())
            return firstButton(flags);
        const int a = g_script->answers_.front();
        g_script->answers_.erase(g_script->answers_.begin());
        return a;
    }

    QMessageBox box(parent);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (flags & 0xF0) {
    case mb::IconStop: box.setIcon(QMessageBox::Critical); break;
    case mb::IconQuestion: box.setIcon(QMessageBox::Question); break;
    case mb::IconExclamation: box.setIcon(QMessageBox::Warning); break;
    case mb::IconInformation: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    struct Choice {
        QMessageBox::StandardButton button;
        int id;
    };
    std::vector<Choice> choices;
    switch (flags & 0xF) {
    case mb::OkCancel: choices = {{QMessageBox::Ok, mb::IdOk}, {QMessageBox::Cancel, mb::IdCancel}}; break;
    case mb::YesNoCancel:
        choices = {{QMessageBox::Yes, mb::IdYes}, {QMessageBox::No, mb::IdNo}, {QMessageBox::Cancel, mb::IdCancel}};
        break;
    case mb::YesNo: choices = {{QMessageBox::Yes, mb::IdYes}, {QMessageBox::No, mb::IdNo}}; break;
    default: choices = {{QMessageBox::Ok, mb::IdOk}}; break;
    }
    QMessageBox::StandardButtons buttons;
    for (const Choice& c : choices)
        buttons |= c.button;
    box.setStandardButtons(buttons);
    box.setDefaultButton(choices.front().button);
    const auto pressed = QMessageBox::StandardButton(box.exec());
    for (const Choice& c : choices)
        if (c.button == pressed)
            return c.id;
    // Closing the box with Escape or the window manager counts as its way out.
    const bool hasCancel = (flags & 0xF) == mb::OkCancel || (flags & 0xF) == mb::YesNoCancel;
    if (hasCancel)
        return mb::IdCancel;
    return (flags & 0xF) == mb::YesNo ? mb::IdNo : mb::IdOk;
}
