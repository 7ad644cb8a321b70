#include "profile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <optional>
#include <vector>

namespace profile {
namespace {

// Profile files are small; anything this large is not one of ours.
constexpr qint64 kMaxProfileBytes = 16 * 1024 * 1024;


// The file's lines; none for a missing file. `readable` turns false for a
// file that is there but could not be read (a folder, a fifo, one too large
// to be a profile), which the writers must then leave alone rather than
// replace with only what they meant to change.
std::vector<QString> readLines(const QString& path, bool* readable = nullptr)
{
    std::vector<QString> lines;
    if (readable)
        *readable = true;
    const QFileInfo info(path);
    if (!info.exists())
        return lines;
    QFile f(path);
    if (!info.isFile() || info.size() > kMaxProfileBytes || !f.open(QIODevice::ReadOnly)) {
        if (readable)
            *readable = false;
        return lines;
    }
    // With its length: the QByteArray overload stops at the first NUL byte,
    // and a write would then drop everything after it.
    const QByteArray bytes = f.readAll();
    const QString all = QString::fromUtf8(bytes.constData(), bytes.size());
    const QStringList parts = all.split(QLatin1Char('\n'));
    lines.reserve(parts.size());
    for (QString l : parts) {
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
        lines.push_back(l);
    }
    // A file ending in a newline leaves one empty piece after it.
    if (!lines.empty() && lines.back().isEmpty())
        lines.pop_back();
    return lines;
}

bool writeLines(const QString& path, const std::vector<QString>& lines)
{
    QSaveFile f(path);
    // Unbuffered, so a short write is seen before the rename replaces the old file.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    QByteArray out;
    for (const QString& l : lines) {
        out += l.toUtf8();
        out += "\r\n";
    }
    if (f.write(out) != out.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

// The section name when the line is a header "[name]", else nothing.
std::optional<QString> sectionOf(const QString& line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const int close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return t.mid(1).trimmed();
    return t.mid(1, close - 1).trimmed();
}

bool isComment(const QString& line)
{
    const QString t = line.trimmed();
    return t.isEmpty() || t.startsWith(QLatin1Char(';'));
}

QString keyOf(const QString& line)
{
    const int eq = line.indexOf(QLatin1Char('='));
    return (eq < 0 ? line : line.left(eq)).trimmed();
}

QString valueOf(const QString& line)
{
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return QString();
    QString v = line.mid(eq + 1).trimmed();
    if (v.size() >= 2 && (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\''))
        && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return v;
}

bool same(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Lines [begin, end) of the first section with that name, begin being the header.
struct Range {
    int begin = -1;
    int end = -1;
};

Range findSection(const std::vector<QString>& lines, const QString& section)
{
    Range r;
    for (int i = 0; i < int(lines.size()); ++i) {
        const auto s = sectionOf(lines[i]);
        if (!s)
            continue;
        if (r.begin >= 0) {
            r.end = i;
            return r;
        }
        if (same(*s, section))
            r.begin = i;
    }
    if (r.begin >= 0)
        r.end = int(lines.size());
    return r;
}

int findKey(const std::vector<QString>& lines, Range r, const QString& key)
{
    for (int i = r.begin + 1; i < r.end; ++i)
        if (!isComment(lines[i]) && same(keyOf(lines[i]), key))
            return i;
    return -1;
}

// The leading decimal integer of a value, as the C runtime reads it.
int parseInt(const QString& v, int def)
{
    if (v.isEmpty())
        return def;
    int i = 0;
    bool negative = false;
    if (v[0] == QLatin1Char('-') || v[0] == QLatin1Char('+')) {
        negative = v[0] == QLatin1Char('-');
        ++i;
    }
    qint64 n = 0;
    for (; i < v.size() && v[i].isDigit() && v[i].unicode() < 128; ++i) {
        n = n * 10 + (v[i].unicode() - '0');
        if (n > 0xFFFFFFFFLL)
            n = 0xFFFFFFFFLL;
    }
    // Like the C runtime, an overflowing value wraps into 32 bits.
    return int(quint32(negative ? -n : n));
}

} // namespace

QString readString(const QString& file, const QString& section, const QString& key,
                   const QString& def, int bufferSize)
{
    const auto lines = readLines(file);
    const Range r = findSection(lines, section);
    QString v = def;
    if (r.begin >= 0) {
        const int k = findKey(lines, r, key);
        if (k >= 0)
            v = valueOf(lines[k]);
    }
    if (bufferSize > 0 && v.size() > bufferSize - 1)
        v.truncate(bufferSize - 1);
    return v;
}

int readInt(const QString& file, const QString& section, const QString& key, int def)
{
    return parseInt(readString(file, section, key, QString()), def);
}

namespace {

void applyWrite(std::vector<QString>& lines, const QString& section, const QString& key,
                const QString& value)
{
    const QString entry = key + QLatin1Char('=') + value;
    const Range r = findSection(lines, section);
    if (r.begin < 0) {
        lines.push_back(QLatin1Char('[') + section + QLatin1Char(']'));
        lines.push_back(entry);
        return;
    }
    const int k = findKey(lines, r, key);
    if (k >= 0) {
        // Keep the key's own spelling, as the file had it.
        lines[k] = keyOf(lines[k]) + QLatin1Char('=') + value;
    } else {
        // After the section's last entry, before any blank lines that close it.
        int at = r.end;
        while (at > r.begin + 1 && lines[at - 1].trimmed().isEmpty())
            --at;
        lines.insert(lines.begin() + at, entry);
    }
}

} // namespace

bool writeString(const QString& file, const QString& section, const QString& key,
                 const QString& value)
{
    bool readable = false;
    auto lines = readLines(file, &readable);
    if (!readable)
        return false;
    applyWrite(lines, section, key, value);
    return writeLines(file, lines);
}

bool writeStrings(const QString& file, const std::vector<Write>& writes)
{
    bool readable = false;
    auto lines = readLines(file, &readable);
    if (!readable)
        return false;
    for (const Write& w : writes)
        applyWrite(lines, w.section, w.key, w.value);
    return writeLines(file, lines);
}

bool deleteKey(const QString& file, const QString& section, const QString& key)
{
    bool readable = false;
    auto lines = readLines(file, &readable);
    if (!readable)
        return false;
    const Range r = findSection(lines, section);
    if (r.begin < 0)
        return true;
    const int k = findKey(lines, r, key);
    if (k < 0)
        return true;
    lines.erase(lines.begin() + k);
    return writeLines(file, lines);
}

bool deleteSection(const QString& file, const QString& section)
{
    bool readable = false;
    auto lines = readLines(file, &readable);
    if (!readable)
        return false;
    const Range r = findSection(lines, section);
    if (r.begin < 0)
        return true;
    lines.erase(lines.begin() + r.begin, lines.begin() + r.end);
    return writeLines(file, lines);
}

QStringList sections(const QString& file)
{
    QStringList out;
    for (const QString& l : readLines(file))
        if (const auto s = sectionOf(l))
            out << *s;
    return out;
}

QStringList keys(const QString& file, const QString& section)
{
    QStringList out;
    const auto lines = readLines(file);
    const Range r = findSection(lines, section);
    for (int i = r.begin + 1; r.begin >= 0 && i < r.end; ++i)
        if (!isComment(lines[i]))
            out << keyOf(lines[i]);
    return out;
}

Snapshot::Snapshot(const QString& file)
    : lines_(readLines(file))
{
    for (int i = 0; i < int(lines_.size()); ++i) {
        const auto s = sectionOf(lines_[i]);
        if (!s)
            continue;
        int end = i + 1;
        while (end < int(lines_.size()) && !sectionOf(lines_[end]))
            ++end;
        // Later sections of the same name are never read, as with the file functions.
        const QString name = s->toCaseFolded();
        if (!sections_.contains(name))
            sections_.insert(name, {i, end});
        i = end - 1;
    }
}

QString Snapshot::readString(const QString& section, const QString& key, const QString& def,
                             int bufferSize) const
{
    QString v = def;
    const auto it = sections_.constFind(section.toCaseFolded());
    if (it != sections_.constEnd()) {
        const int k = findKey(lines_, Range{it->first, it->second}, key);
        if (k >= 0)
            v = valueOf(lines_[k]);
    }
    if (bufferSize > 0 && v.size() > bufferSize - 1)
        v.truncate(bufferSize - 1);
    return v;
}

int Snapshot::readInt(const QString& section, const QString& key, int def) const
{
    return parseInt(readString(section, key, QString()), def);
}

bool Snapshot::hasSection(const QString& section) const
{
    return sections_.contains(section.toCaseFolded());
}

QStringList Snapshot::sections() const
{
    QStringList out;
    for (const QString& l : lines_)
        if (const auto s = sectionOf(l))
            out << *s;
    return out;
}

} // namespace profile
