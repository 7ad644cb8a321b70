#include "mime.h"

#include "mime_headers.h"
#include "mime_wire.h"

#include <QFile>

#include <array>
#include <cstring>

namespace mime {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Two output characters for every 12 input bits: half the table look-ups of
// the one-character table, which is what makes encoding fast.
struct PairTable {
    std::array<uint16_t, 4096> pairs{};
    PairTable()
    {
        for (int i = 0; i < 4096; ++i) {
            const char two[2] = {kAlphabet[i >> 6], kAlphabet[i & 63]};
            std::memcpy(&pairs[std::size_t(i)], two, 2);
        }
    }
};
const PairTable kPairs;

const QByteArray kCrLf = QByteArrayLiteral("\r\n");

QByteArray protocol(const char* text) { return QByteArray(text); }

// "Content-Type: application/octet-stream; name=\"" gives its head
// "Content-Type: application/octet-stream" and its parameter "name".
QByteArray headOf(const char* id)
{
    const QByteArray t = protocol(id);
    return t.left(t.lastIndexOf(';'));
}
QByteArray parameterOf(const char* id)
{
    QByteArray t = protocol(id);
    t = t.mid(t.lastIndexOf(';') + 1).trimmed();
    return t.left(t.indexOf('='));
}

} // namespace

std::size_t base64Encode(const uint8_t* in, std::size_t n, char* out)
{
    char* o = out;
    std::size_t i = 0;
    for (; i + 3 <= n; i += 3) {
        const uint32_t v = (uint32_t(in[i]) << 16) | (uint32_t(in[i + 1]) << 8) | in[i + 2];
        std::memcpy(o, &kPairs.pairs[v >> 12], 2);
        std::memcpy(o + 2, &kPairs.pairs[v & 0xFFF], 2);
        o += 4;
    }
    const std::size_t rest = n - i;
    if (rest) {
        const uint32_t v = (uint32_t(in[i]) << 16) | (rest == 2 ? uint32_t(in[i + 1]) << 8 : 0);
        o[0] = kAlphabet[(v >> 18) & 63];
        o[1] = kAlphabet[(v >> 12) & 63];
        o[2] = rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
        o[3] = '=';
        o += 4;
    }
    return std::size_t(o - out);
}

int encodeLine(QFile& file, char* out, std::size_t outSize)
{
    if (outSize < kLineBufferSize)
        return 3;
    uint8_t block[kLineBytes] = {};
    const qint64 k = file.isOpen() ? file.read(reinterpret_cast<char*>(block), kLineBytes) : 0;
    if (k <= 0) {
        file.close();
        out[0] = '\0';
        return 2;
    }
    const std::size_t len = base64Encode(block, std::size_t(k), out);
    out[len] = '\0';
    return 0;
}

QString oneLine(const QString& value)
{
    QString v = value;
    for (QChar& c : v)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    return v;
}

QByteArray addToHeader(const QByteArray& header, const QString& recipient, bool anyAccepted)
{
    const QByteArray r = oneLine(recipient).toUtf8();
    if (!anyAccepted || header.isEmpty())
        return "To: <" + r + ">" + kCrLf;
    QByteArray h = header;
    if (h.endsWith(kCrLf))
        h.chop(2);
    return h + " , <" + r + ">" + kCrLf;
}

QStringList splitText(const QString& text)
{
    if (text.isEmpty())
        return {};
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = t.split(QLatin1Char('\n'));
    // A text ending in a line break has no further line after it.
    if (t.endsWith(QLatin1Char('\n')))
        lines.removeLast();
    return lines;
}

QList<QByteArray> textLines(const QString& text)
{
    QList<QByteArray> out;
    for (const QString& line : splitText(text)) {
        QByteArray bytes = line.toUtf8();
        do {
            // The room left for text: a doubled period takes one octet of it.
            const int room = kMaxTextLine - (bytes.startsWith('.') ? 1 : 0);
            qsizetype cut = bytes.size() <= room ? bytes.size() : room;
            // Never cut a character in two.
            while (cut < bytes.size() && cut > 0 && (uchar(bytes[cut]) & 0xC0) == 0x80)
                --cut;
            QByteArray piece = bytes.left(cut);
            bytes.remove(0, cut);
            if (piece.startsWith('.'))
                piece.prepend('.');
            out.push_back(piece + kCrLf);
        } while (!bytes.isEmpty());
    }
    return out;
}

QString fileNameOf(const QString& path)
{
    const int cut = path.lastIndexOf(QLatin1Char('/'));
    return cut < 0 ? path : path.mid(cut + 1);
}

End writeContent(Sink& sink, const QByteArray& toHeader, const QString& sender, const QString& subject,
                 const QString& text, QStringList& attachments)
{
    // Pure ASCII goes out as it always has; anything else as UTF-8 in
    // quoted-printable, which every server carries (our HELO learns nothing
    // of 8BITMIME).
    const bool ascii = isAscii(text);
    const QList<QByteArray> body = ascii ? textLines(text) : quotedPrintableLines(text);
    const QByteArray textType = ascii ? protocol(wire::kTextPartType) + kCrLf
                                      : QByteArrayLiteral("Content-Type: text/plain; charset=\"utf-8\"\r\n"
                                                          "Content-Transfer-Encoding: quoted-printable\r\n");
    // Base64 lines never hold a "_", so only the text can clash with it.
    const QByteArray boundary = chooseBoundary(protocol(wire::kBoundary), body);
    const QByteArray delimiter = "--" + boundary;
    const bool multipart = !attachments.isEmpty();

    QList<QByteArray> head;
    if (!toHeader.isEmpty())
        head << fold(toHeader.chopped(toHeader.endsWith(kCrLf) ? 2 : 0));
    head << fold("From: " + oneLine(sender).toUtf8());
    head << textHeader("Subject", oneLine(subject));
    head << dateHeader(QDateTime::currentDateTime());
    head << messageIdHeader(oneLine(sender));
    head << protocol(wire::kMimeVersion);
    if (multipart) {
        head << protocol(wire::kMultipartHeader) + '"' + boundary + '"' + kCrLf + kCrLf;
        head << delimiter + kCrLf;
        head << textType;
        head << kCrLf;
    } else {
        if (!ascii)
            head << textType;
        head << kCrLf;
    }
    for (const QByteArray& h : head)
        if (!h.isEmpty() && !sink.send(h))
            return End::Failed;

    for (const QByteArray& line : body)
        if (!sink.send(line))
            return End::Failed;

    bool any = false;
    char buffer[kLineBufferSize + 2];
    while (!attachments.isEmpty()) {
        any = true;
        const QString path = attachments.first();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return End::Unreadable;
        const QString name = oneLine(fileNameOf(path));
        const QByteArray parts[] = {
            kCrLf + delimiter + kCrLf,
            parameterHeader(headOf(wire::kAttachmentType), parameterOf(wire::kAttachmentType), name),
            protocol(wire::kBase64Encoding) + kCrLf,
            parameterHeader(headOf(wire::kAttachmentDisposition), parameterOf(wire::kAttachmentDisposition), name),
            textHeader(protocol(wire::kDescription).trimmed().chopped(1), name),
            kCrLf,
        };
        for (const QByteArray& p : parts)
            if (!sink.send(p))
                return End::Failed;

        sink.progress(0, 5);
        const qint64 size = file.size();
        if (size >= 0)
            sink.progress(int((size + kLineBytes - 1) / kLineBytes), 1);
        for (int n = 1;; ++n) {
            const int r = encodeLine(file, buffer, sizeof buffer);
            if (r != 0)
                break;
            sink.progress(n, 2);
            const std::size_t len = std::strlen(buffer);
            buffer[len] = '\r';
            buffer[len + 1] = '\n';
            if (!sink.send(QByteArray(buffer, qsizetype(len + 2))))
                return End::Failed;
            if (sink.cancelled())
                break;
        }
        // A read error ends the file early: what went out would be a cut file.
        if (file.error() != QFileDevice::NoError && !sink.cancelled())
            return End::Unreadable;
        attachments.removeFirst();
        if (sink.cancelled())
            return End::Cancelled;
    }
    if (any && !sink.send(kCrLf + delimiter + "--" + kCrLf))
        return End::Failed;
    return End::Complete;
}

} // namespace mime
