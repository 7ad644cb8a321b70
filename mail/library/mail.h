#ifndef MAIL_H
#define MAIL_H
/*
 * libmail.so: send files as e-mail attachments over SMTP, with the library's
 * own message dialog, address book and progress window.
 *
 * Load it by name (dlopen("libmail.so", RTLD_NOW)) and look up the two
 * functions below. Call both from the thread that runs the host's Qt user
 * interface. A host without a QApplication may call them too: the library
 * then makes one itself (on the display named by the usual Qt environment)
 * and keeps it for the life of the process. Without any display both return
 * 0 and write one line on standard error instead. The host may leave through
 * return from main or exit() at any time outside a send.
 *
 * Order: MailContent first, then MailStartSend. A send uses what the last
 * MailContent collected and empties it afterwards, so every send needs a new
 * MailContent; a send that could not reach the server (or found an
 * attachment it cannot read) keeps it, so that the next MailContent shows it
 * again. Only one send runs at a time: while one runs (the host's windows
 * stay live), either function returns 0 at once and changes nothing.
 */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/*
 * Shows the message dialog (recipients with the address book, sender, SMTP
 * server, subject, text) and keeps what the user entered until the next send.
 * The SMTP server field takes a host name or address, optionally followed by
 * ":port" (port 25 otherwise); left empty, the domain of the sender is used.
 *
 * Returns nonzero when the message has at least one recipient afterwards.
 * Cancelling keeps the recipients that were already in the message.
 */
int32_t MailContent(void);

/*
 * Sends the collected message with the given files attached (MIME multipart,
 * base64) and shows a progress window meanwhile. Blocks until the send has
 * ended, keeping the user interface alive.
 *
 * files:        a null-terminated array of UTF-8 paths to attach, in order;
 *               null or an empty array sends a plain text message.
 * notifyWindow: a QObject* (passed as void*) or null. When the send has
 *               ended, it receives - synchronously, through
 *               QCoreApplication::sendEvent - one QEvent whose type() is 1145.
 *
 * Returns 1 when the server accepted the message, 0 otherwise (no recipient,
 * an attachment that cannot be read, server unreachable or refusing,
 * time-out, cancelled by the user). Failures the user must know about are
 * shown in a message box first; so are recipients the server refused when
 * others took the message.
 */
int32_t MailStartSend(const char* const* files, void* notifyWindow);

/* The event type notifyWindow receives when a send has ended. */
#define MAIL_SEND_ENDED_EVENT 1145

#ifdef __cplusplus
}
#endif

#endif /* MAIL_H */
