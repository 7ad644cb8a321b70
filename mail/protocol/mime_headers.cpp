#include "mime_headers.h"

#include "mime.h"

#include <QUuid>

namespace mime {
namespace {

const QByteArray kCrLf = QByteArrayLiteral("\r\n");
constexpr char kHex[] = "0123456789ABCDEF";

QByteArray escaped(char mark, uchar c)
{
    const char three[3] = {mark, kHex[c >> 4], kHex[c & 15]};
    return QByteArray(three, 3);
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool printableAscii(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    return true;
}

// The UTF-8 of text cut into pieces of at most max bytes, never inside a character.
QList<QByteArray> utf8Pieces(const QByteArray& bytes, int max)
{
    QList<QByteArray> out;
    qsizetype at = 0;
    while (at < bytes.size()) {
        qsizetype end = qMin(bytes.size(), at + max);
        while (end < bytes.size() && end > at + 1 && (uchar(bytes[end]) & 0xC0) == 0x80)
            --end;
        out << bytes.mid(at, end - at);
        at = end;
    }
    return out;
}

// RFC 2231 attribute-char: what may stand in a parameter value unencoded.
bool attributeChar(uchar c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
           || QByteArray("!#$&+-.^_`|~").contains(char(c));
}

QByteArray quoted(const QString& value)
{
    QByteArray out;
    for (const char c : value.toUtf8()) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out;
}

} // namespace

bool isAscii(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() > 0x7F)
            return false;
    return true;
}

QByteArray fold(const QByteArray& line)
{
    // Folding goes before the first blank of a run, never in the header's
    // name, and never so that a line of blanks only is left.
    const qsizetype colon = line.indexOf(':');
    const qsizetype firstAllowed = colon < 0 ? 1 : colon + 2;
    qsizetype lastText = line.size() - 1;
    while (lastText >= 0 && isBlank(line[lastText]))
        --lastText;

    QByteArray out;
    qsizetype start = 0;
    qsizetype lastBreak = -1;
    auto breakAt = [&](qsizetype at) {
        out += line.mid(start, at - start) + kCrLf;
        start = at;
    };
    for (qsizetype i = firstAllowed; i < lastText; ++i) {
        if (!isBlank(line[i]) || isBlank(line[i - 1]))
            continue;
        if (i - start > kFoldAt && lastBreak > start)
            breakAt(lastBreak);
        lastBreak = i;
    }
    if (line.size() - start > kFoldAt && lastBreak > start)
        breakAt(lastBreak);
    out += line.mid(start) + kCrLf;
    return out;
}

QByteArray textHeader(const QByteArray& name, const QString& value)
{
    if (printableAscii(value)) {
        const QByteArray folded = fold(name + ": " + value.toLatin1());
        bool fits = true;
        for (const QByteArray& l : folded.split('\n'))
            fits = fits && l.size() <= kMaxLine + 1;
        // Text that looks like an encoded word would be read as one.
        if (fits && !value.contains(QLatin1String("=?")))
            return folded;
    }
    // Encoded words of 68 characters at most: 42 bytes of UTF-8 each, one a
    // line, so any text folds (blanks between encoded words are not part of
    // the text).
    QByteArray out = name + ":";
    int lineLength = int(out.size());
    for (const QByteArray& piece : utf8Pieces(value.toUtf8(), 42)) {
        const QByteArray word = "=?utf-8?B?" + piece.toBase64() + "?=";
        if (lineLength + 1 + word.size() > kFoldAt && lineLength > name.size() + 1) {
            out += kCrLf;
            lineLength = 0;
        }
        out += ' ' + word;
        lineLength += 1 + int(word.size());
    }
    return out + kCrLf;
}

QByteArray parameterHeader(const QByteArray& head, const QByteArray& param, const QString& value)
{
    if (printableAscii(value)) {
        const QByteArray simple = head + "; " + param + "=\"" + quoted(value) + "\"";
        if (simple.size() <= kFoldAt)
            return simple + kCrLf;
        const QByteArray ownLine = " " + param + "=\"" + quoted(value) + "\"";
        if (ownLine.size() <= kFoldAt)
            return head + ";" + kCrLf + ownLine + kCrLf;
    }
    // RFC 2231: param*0*=utf-8''%C3%A4...; param*1*=... with every section on
    // a line of its own.
    QList<QByteArray> sections;
    QByteArray current;
    const QByteArray bytes = value.toUtf8();
    for (const char ch : bytes) {
        const uchar c = uchar(ch);
        const QByteArray unit = attributeChar(c) ? QByteArray(1, ch) : escaped('%', c);
        if (current.size() + unit.size() > 56) {
            sections << current;
            current.clear();
        }
        current += unit;
    }
    sections << current;
    QByteArray out = head;
    for (int i = 0; i < sections.size(); ++i)
        out += ";" + kCrLf + " " + param + "*" + QByteArray::number(i) + "*=" + (i == 0 ? "utf-8''" : "")
               + sections[i];
    return out + kCrLf;
}

QByteArray dateHeader(const QDateTime& when) { return "Date: " + when.toString(Qt::RFC2822Date).toLatin1() + kCrLf; }

QByteArray messageIdHeader(const QString& sender)
{
    QString domain = sender.mid(sender.lastIndexOf(QLatin1Char('@')) + 1).trimmed();
    bool usable = !domain.isEmpty() && sender.contains(QLatin1Char('@'));
    for (const QChar c : domain)
        usable = usable && c.unicode() < 0x80 && (c.isLetterOrNumber() || c == QLatin1Char('.') || c == QLatin1Char('-'));
    if (!usable)
        domain = QStringLiteral("localhost");
    return "Message-ID: <" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces) + "@" + domain.toLatin1() + ">"
           + kCrLf;
}

QList<QByteArray> quotedPrintableLines(const QString& text)
{
    QList<QByteArray> out;
    auto push = [&](QByteArray line) {
        if (line.startsWith('.'))
            line.prepend('.');
        out << line + kCrLf;
    };
    for (const QString& line : splitText(text)) {
        const QByteArray bytes = line.toUtf8();
        QByteArray current;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const uchar c = uchar(bytes[i]);
            const bool last = i + 1 == bytes.size();
            const bool literal = (c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !last);
            const QByteArray unit = literal ? QByteArray(1, char(c)) : escaped('=', c);
            // 76 characters a line, the soft break's "=" included.
            if (current.size() + unit.size() > (last ? 76 : 75)) {
                push(current + '=');
                current.clear();
            }
            current += unit;
        }
        push(current);
    }
    return out;
}

QByteArray chooseBoundary(const QByteArray& described, const QList<QByteArray>& lines)
{
    auto occurs = [&](const QByteArray& b) {
        for (const QByteArray& l : lines)
            if (l.contains(b))
                return true;
        return false;
    };
    QByteArray b = described;
    for (int n = 1; occurs(b); ++n)
        b = described + "_" + QByteArray::number(n);
    return b;
}

} // namespace mime
