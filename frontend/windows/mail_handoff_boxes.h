#pragma once
// The E-mail button's side of the hand-off: the model finds and starts the
// mail program and says why it could not; this shows that reason to the user.

#include <QString>

class QWidget;

namespace mail_handoff {

// handOff, then the message for a failure, owned by parent. True when handed.
bool handOffWithMessages(const QString& packagePath, QWidget* parent);

} // namespace mail_handoff
