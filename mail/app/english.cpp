#include "mail_resources.h"

#include "mime_wire.h"

namespace res {
namespace {

struct Entry {
    int table;
    int id;
    const char* text;
};

constexpr Entry kEnglish[] = {
    {0, SocketsFailed, "Windows sockets initialization failed."},
    {0, DuplicateAddress, "Duplicate address exists!"},
    {0, HostUnreachable, "Host is unreachable."},
    {0, TimedOut, "The network has timed-out!"},
    {0, ServerRejects, "This server rejects mail from you. Enter the correct user ID using mail settings."},
    {0, SocketOpenFailed, "Unable to open a new socket."},
    {0, ConnectWhenNotConnecting, "FD_CONNECT received when not in status CONNECTING"},
    {0, MultipartHeader, mime::wire::kMultipartHeader},
    {0, Boundary, mime::wire::kBoundary},
    {0, AttachmentType, mime::wire::kAttachmentType},
    {0, AttachmentDisposition, mime::wire::kAttachmentDisposition},
    {0, Base64Encoding, mime::wire::kBase64Encoding},
    {0, NoRecipient, "A message must have a recipient (To : field) ."},
    {0, MimeVersion, mime::wire::kMimeVersion},
    {0, DeleteFromBook, "Delete an address from Address Book ."},
    {0, DeleteFromList, "Delete an address from E-Mail list."},
    {0, TextPartType, mime::wire::kTextPartType},
    {0, Description, mime::wire::kDescription},
    {0, StartSendData, "Start send data ..."},
    {0, SendFile, "Send file \""},
    {0, NoSender, "A message must have a sender(From : field ).\n"},
    {0, NoRecipientAccepted, "The server accepted none of the recipients."},
    {0, MessageRefused, "The server did not accept the message."},
    {0, ConnectionLost, "The connection to the server was lost."},
    {0, UnreadableFile, "This file cannot be read, so nothing was sent:"},
    {0, RecipientsRefused, "The message was sent, but the server refused these recipients:"},
    {0, BookTooLarge, "The address book file is too large to be an address book (over 16 MB); it is left as it is:"},
    {0, BookNotSaved, "The address book could not be saved; it is as it was before:"},
    {0, TipAdd, "Add E-mail in the Address Book"},
    {0, TipBook, "Address Book"},
    {0, TipMailList, "E-mail list"},
    {0, Caption, "E-mail"},
    {0, 3000, "CHINESE"},
    {0, 3001, "GERMAN"},
    {0, 3002, "FRENCH"},
    {0, 3003, "ITALIAN"},
    {0, 3004, "SPANISH"},
    {0, 3005, "DUTCH"},
    {0, 3006, "JAPANESE"},
    {0, 3007, "KOREAN"},
    {0, 3008, "PORTUGUESE"},
    {0, 3009, "DANISH"},
    {0, 3010, "SWEDISH"},

    {MailDialog, 0, "E-Mail setting"},
    {MailDialog, IdTo, "To"},
    {MailDialog, IdSend, "Send"},
    {MailDialog, IdCancel, "Cancel"},
    {MailDialog, IdFromLabel, "From :"},
    {MailDialog, IdServerLabel, "SMTP Server :"},
    {MailDialog, IdSubjectLabel, "Subject :"},
    {MailDialog, IdTextLabel, "Message :"},
    {MailDialog, IdRecipientsLabel, "Recipients :"},

    {ProgressDialog, 0, "E-Mail"},
    {ProgressDialog, IdStatus, "Progress . . ."},
    {ProgressDialog, IdProgressCancel, "Cancel"},

    {AddressBookDialog, 0, "Add E-Mail Address"},
    {AddressBookDialog, IdOk, "OK"},
    {AddressBookDialog, IdBookCancel, "Cancel"},
    {AddressBookDialog, IdEntryLabel, "E-mail address :"},
    {AddressBookDialog, IdBookLabel, "Address Book"},
    {AddressBookDialog, IdMailListLabel, "E-mail list"},
};

} // namespace

const char* englishText(int table, int id)
{
    for (const Entry& e : kEnglish)
        if (e.table == table && e.id == id)
            return e.text;
    return nullptr;
}

} // namespace res
