#include "mail_handoff_boxes.h"

#include "mail_handoff.h"
#include "message_box.h"
#include "vorlin_app.h"

namespace mail_handoff {

bool handOffWithMessages(const QString& packagePath, QWidget* parent)
{
    const Result result = handOff(packagePath);
    if (!result.handed())
        messageBox(parent, messageText(result), CVorlinApp::productTitle(), mb::Ok | mb::IconExclamation);
    return result.handed();
}

} // namespace mail_handoff
