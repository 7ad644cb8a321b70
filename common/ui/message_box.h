#pragma once
// One way to ask the user something, with the button and icon flags and the
// answers of the Windows message box, so callers keep their familiar values.
// Tests install a MessageBoxScript: boxes are then recorded, not shown.

#include <QString>
#include <vector>

class QWidget;

namespace mb {
enum : int {
    Ok = 0x0, OkCancel = 0x1, YesNoCancel = 0x3, YesNo = 0x4,
    IconStop = 0x10, IconQuestion = 0x20, IconExclamation = 0x30, IconInformation = 0x40,
};
enum Answer : int { IdOk = 1, IdCancel = 2, IdYes = 6, IdNo = 7 };
} // namespace mb

int messageBox(QWidget* parent, const QString& text, const QString& caption, int flags);

// While one exists, messageBox records each call and answers from the queue;
// with the queue empty it answers with the box's first button.
class MessageBoxScript {
public:
    struct Call {
        QString text;
        QString caption;
        int flags = 0;
    };
    MessageBoxScript();
    ~MessageBoxScript();
    MessageBoxScript(const MessageBoxScript&) = delete;
    MessageBoxScript& operator=(const MessageBoxScript&) = delete;

    void answer(int id) { answers_.push_back(id); }
    const std::vector<Call>& calls() const { return calls_; }
    void clear() { calls_.clear(); }

private:
    friend int messageBox(QWidget*, const QString&, const QString&, int);
    std::vector<int> answers_;
    std::vector<Call> calls_;
};
