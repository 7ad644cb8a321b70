#include "address_book_file.h"

#include "file_write.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

#include <optional>

namespace addressbook {
namespace {

const QByteArray kSection = QByteArrayLiteral("bookmark");

// One line of the file: where it starts and ends (line end excluded).
struct Line {
    qsizetype begin;
    qsizetype end;
};

QList<Line> linesOf(const QByteArray& bytes)
{
    QList<Line> lines;
    qsizetype at = 0;
    while (at < bytes.size()) {
        qsizetype lf = bytes.indexOf('\n', at);
        const qsizetype next = lf < 0 ? bytes.size() : lf + 1;
        qsizetype end = lf < 0 ? bytes.size() : lf;
        if (end > at && bytes[end - 1] == '\r')
            --end;
        lines << Line{at, end};
        at = next;
    }
    return lines;
}

// The lower-cased section name when the line is a header "[name]".
std::optional<QByteArray> sectionOf(const QByteArray& line)
{
    const QByteArray t = line.trimmed();
    if (!t.startsWith('['))
        return std::nullopt;
    const qsizetype close = t.indexOf(']');
    return (close < 0 ? t.mid(1) : t.mid(1, close - 1)).trimmed().toLower();
}

// The first [BookMark] section: its header line and the line after its last.
struct Range {
    int header = -1;
    int end = -1;
};

Range findSection(const QByteArray& bytes, const QList<Line>& lines)
{
    Range r;
    for (int i = 0; i < lines.size(); ++i) {
        const auto name = sectionOf(bytes.mid(lines[i].begin, lines[i].end - lines[i].begin));
        if (!name)
            continue;
        if (r.header >= 0) {
            r.end = i;
            return r;
        }
        if (*name == kSection)
            r.header = i;
    }
    if (r.header >= 0)
        r.end = int(lines.size());
    return r;
}

QString valueOf(const QByteArray& line)
{
    const qsizetype eq = line.indexOf('=');
    QByteArray v = line.mid(eq + 1).trimmed();
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return QString::fromUtf8(v);
}

// The whole file, or nothing when it is too large or unreadable.
std::optional<QByteArray> readWhole(const QString& file, bool* tooLarge)
{
    QFile f(file);
    if (!f.exists())
        return QByteArray();
    if (QFileInfo(file).size() > kMaxBookBytes) {
        *tooLarge = true;
        return std::nullopt;
    }
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = f.read(kMaxBookBytes + 1);
    if (f.error() != QFileDevice::NoError || bytes.size() > kMaxBookBytes) {
        *tooLarge = bytes.size() > kMaxBookBytes;
        return std::nullopt;
    }
    return bytes;
}

} // namespace

QString filePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Vudirade.ini");
}

Book load(const QString& file)
{
    Book book;
    const auto bytes = readWhole(file, &book.tooLarge);
    if (!bytes) {
        book.untouchable = true;
        return book;
    }
    const QList<Line> lines = linesOf(*bytes);
    const Range r = findSection(*bytes, lines);
    // Keys as the first line that names them, found in one pass.
    QHash<QByteArray, int> keys;
    for (int i = r.header + 1; r.header >= 0 && i < r.end; ++i) {
        const QByteArray line = bytes->mid(lines[i].begin, lines[i].end - lines[i].begin);
        const QByteArray t = line.trimmed();
        if (t.isEmpty() || t.startsWith(';'))
            continue;
        const qsizetype eq = line.indexOf('=');
        const QByteArray key = (eq < 0 ? line : line.left(eq)).trimmed().toLower();
        if (eq >= 0 && !keys.contains(key))
            keys.insert(key, i);
    }
    for (int n = 0;; ++n) {
        const auto it = keys.constFind("mailadd" + QByteArray::number(n));
        if (it == keys.constEnd())
            break;
        const QString v = valueOf(bytes->mid(lines[*it].begin, lines[*it].end - lines[*it].begin));
        if (v.isEmpty() || v == QLatin1String("NULL"))
            break;
        book.entries << v;
    }
    return book;
}

bool save(const QString& file, const QStringList& entries, QString* error)
{
    bool tooLarge = false;
    const auto old = readWhole(file, &tooLarge);
    if (!old) {
        if (error)
            *error = tooLarge ? QStringLiteral("it is too large to be an address book")
                              : QStringLiteral("it cannot be read");
        return false;
    }
    QByteArray out;
    const QList<Line> lines = linesOf(*old);
    const Range r = findSection(*old, lines);
    if (r.header < 0) {
        out = *old;
    } else {
        const qsizetype cut = lines[r.header].begin;
        const qsizetype resume = r.end < lines.size() ? lines[r.end].begin : old->size();
        out = old->left(cut) + old->mid(resume);
    }
    if (!entries.isEmpty()) {
        if (!out.isEmpty() && !out.endsWith('\n'))
            out += "\r\n";
        out += "[BookMark]\r\n";
        for (int i = 0; i < entries.size(); ++i) {
            QByteArray v = entries[i].toUtf8();
            // One entry, one line, whatever was pasted into it.
            v.replace('\r', ' ').replace('\n', ' ');
            out += "MailAdd" + QByteArray::number(i) + '=' + v + "\r\n";
        }
    }
    QDir().mkpath(QFileInfo(file).absolutePath());
    int code = 0;
    if (file_write::replace(file, out, &code))
        return true;
    if (error)
        *error = file_write::reason(code);
    return false;
}

} // namespace addressbook
