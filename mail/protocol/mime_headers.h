#pragma once
// Header lines that every reader and server takes: folded to 78 characters
// where they can be, never over 998, text outside US-ASCII as RFC 2047
// encoded words and file names as RFC 2231 parameters; and quoted-printable
// for message text that is not pure ASCII.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

namespace mime {

constexpr int kFoldAt = 78;
constexpr int kMaxLine = 998;

bool isAscii(const QString& text);

// One header line (without CR LF) folded before blanks so that every line
// keeps to 78 characters where a blank allows it; ends in CR LF. Unfolding
// gives the line back unchanged.
QByteArray fold(const QByteArray& line);

// "Name: value" for free text (Subject, Content-Description): as typed and
// folded when it is printable ASCII that fits, otherwise as encoded words.
QByteArray textHeader(const QByteArray& name, const QString& value);

// "head; param=\"value\"" as described when that is ASCII and fits on one
// line, otherwise RFC 2231 parameters (continued over several lines, and
// percent-encoded UTF-8 where the value is not ASCII). head is
// "Content-Type: application/octet-stream" or similar. Ends in CR LF.
QByteArray parameterHeader(const QByteArray& head, const QByteArray& param, const QString& value);

QByteArray dateHeader(const QDateTime& when);
// A unique identifier in the sender's domain (or "localhost" when that is no
// usable domain).
QByteArray messageIdHeader(const QString& sender);

// The text as quoted-printable UTF-8 lines of at most 76 characters, each
// ending in CR LF and dot-stuffed for SMTP.
QList<QByteArray> quotedPrintableLines(const QString& text);

// The described boundary unless some line of the content holds it; then the
// first of boundary + "_1", "_2", ... that none holds.
QByteArray chooseBoundary(const QByteArray& described, const QList<QByteArray>& lines);

} // namespace mime
