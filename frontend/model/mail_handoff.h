#pragma once
// Gets a puzzle package into a new message of the user's mail program.
// Vorlin sends no mail itself: it starts the mail program with the package
// attached and the user addresses and sends the message there.
//
// The mail program is the desktop's default mailto handler when that is one
// we know how to give an attachment to; otherwise the first of the known
// programs found on PATH; otherwise, when the desktop has some other mailto
// handler, xdg-email hands the file to it. Nothing here shows a window, so
// the finding and starting can be tested directly; the windows show
// messageText in a box (mail_handoff_boxes.h).

#include <QString>
#include <QStringList>

#include <optional>

namespace mail_handoff {

enum class Client { Thunderbird, Evolution, KMail, ClawsMail, Sylpheed, XdgEmail };

struct MailProgram {
    Client client = Client::XdgEmail;
    QString name;    // what the user knows it as, for the messages
    QString program; // the executable to start
};

enum class Status {
    Handed,            // the mail program was started with the file attached
    NoAttachment,      // an empty path was given
    AttachmentMissing, // the path names no readable file
    NoMailProgram,     // neither a default nor an installed mail program
    StartFailed,       // the mail program was found but would not start
};

struct Result {
    Status status = Status::NoMailProgram;
    QString programName; // the mail program tried, when one was found
    bool handed() const { return status == Status::Handed; }
};

// Finds the mail program and starts it with the package attached.
Result handOff(const QString& packagePath);
// The text the user is shown for a result; empty when it was handed over.
QString messageText(const Result& result);

// The pieces handOff is made of.

// Desktop ID of the default mailto handler ("thunderbird.desktop"), empty when none.
QString defaultHandlerId();
// The desktop entry file of a desktop ID, searched in the XDG data folders.
QString desktopEntryFile(const QString& desktopId);

struct DesktopEntry {
    QString name;    // Name=
    QString program; // first word of Exec=, unquoted
};
std::optional<DesktopEntry> readDesktopEntry(const QString& file);

// The known client a program is, by its file name without regard to case.
std::optional<Client> clientForProgram(const QString& program);
// The default mailto handler when it is a known client; else the first known
// client on PATH; else xdg-email, but only when the desktop has some mailto
// handler for it to give the file to.
std::optional<MailProgram> findMailProgram();
// The arguments that open a new message with the file attached.
QStringList attachArguments(Client client, const QString& path);

} // namespace mail_handoff
