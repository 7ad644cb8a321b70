#pragma once
// The player's private messages, as Qt event types (and, for the front end,
// the message numbers it is sent through the window link).

namespace messages {
// A closing tray to its board: "take me out of your list".
constexpr int kTrayClosed = 0x0464;
// The finish window to the board: it was clicked and may go.
constexpr int kCloseFinish = 2348;
// The player to the front end: the player's window closed.
constexpr int kPlayerClosed = 1124;
} // namespace messages

#include <QString>

namespace messages {
// The product title the player's own message boxes carry.
inline QString boxCaption() { return QStringLiteral("Vorlin"); }
// The title of the main window and of the framework's own messages.
inline QString windowTitle() { return QStringLiteral("Snapp'It"); }
} // namespace messages
