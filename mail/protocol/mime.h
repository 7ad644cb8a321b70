#pragma once
// The message text between "DATA" and the final ".": headers, the user's
// text, and a multipart body carrying each file as base64 lines of 510 input
// bytes (680 characters).

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

class QFile;

namespace mime {

constexpr int kLineBytes = 510;
constexpr int kLineChars = 680;
// The line buffer of encodeLine must hold a whole line and its terminating zero.
constexpr std::size_t kLineBufferSize = kLineChars + 1;
// Longest text line SMTP allows before its CR LF.
constexpr int kMaxTextLine = 998;

// Standard base64 of n bytes with "=" padding; out must hold 4 * ceil(n / 3)
// characters. Returns the number written.
std::size_t base64Encode(const uint8_t* in, std::size_t n, char* out);

// Reads up to 510 bytes of file and writes their base64 and a zero into out.
// 0: a line was produced; 2: the file is at its end (and is closed);
// 3: out is smaller than kLineBufferSize.
int encodeLine(QFile& file, char* out, std::size_t outSize);

// A header value or address on one line: CR and LF become blanks, so nothing
// the user typed can start a header or command of its own.
QString oneLine(const QString& value);

// The To header after one more recipient: the first accepted recipient
// starts it, later ones are appended with " , ".
QByteArray addToHeader(const QByteArray& header, const QString& recipient, bool anyAccepted);

// The text's lines, whatever line breaks it uses.
QStringList splitText(const QString& text);

// The user's text as SMTP lines, each ending in CR LF: line breaks of any
// kind become CR LF, lines longer than SMTP allows are broken, and a line that
// starts with a period gets a second one.
QList<QByteArray> textLines(const QString& text);

// What the message content is written to.
class Sink {
public:
    virtual ~Sink() = default;
    // False when the text could not go out (the connection is gone).
    virtual bool send(const QByteArray& text) = 0;
    virtual void progress(int value, int code) = 0;
    virtual bool cancelled() = 0;
};

// Unreadable: the first attachment left in the list could not be opened.
enum class End { Complete, Cancelled, Failed, Unreadable };

// Writes headers, text and attachments in order. Attachments are taken off the
// front of the list as they go out. Cancel stops after the current line.
End writeContent(Sink& sink, const QByteArray& toHeader, const QString& sender, const QString& subject,
                 const QString& text, QStringList& attachments);

// "/a/b/c.txt" gives "c.txt".
QString fileNameOf(const QString& path);

} // namespace mime
