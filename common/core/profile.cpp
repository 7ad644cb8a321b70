#include "profile.h"

#include "file_read.h"
#include "file_write.h"

#include <cerrno>

#include <optional>
#include <vector>

namespace profile {
namespace {

// Profile files are small; anything this large is not one of ours.
constexpr qint64 kMaxProfileBytes = 16 * 1024 * 1024;

// One line as the file has it: where its bytes lie in the file, and the
// line end that followed them (empty for a last line without one). A line
// the write changes or adds carries its own bytes instead. Lines point into
// the file's bytes, so a large file is held once, and a write gives back
// every byte of the lines it did not change, whatever their encoding.
struct Line {
    qsizetype at = 0;
    qsizetype size = 0;
    int own = -1;     // index of its own bytes in File::owned, or -1
    uint8_t end = 0;  // kNoEnd, kLf or kCrLf
};
constexpr uint8_t kNoEnd = 0, kLf = 1, kCrLf = 2;

QByteArrayView endBytes(uint8_t end)
{
    return end == kCrLf ? QByteArrayView("\r\n", 2) : end == kLf ? QByteArrayView("\n", 1) : QByteArrayView();
}

struct File {
    QByteArray bytes;
    std::vector<Line> lines;
    std::vector<QByteArray> owned;
    // The line end new lines get: the file's own, CR LF for a new file.
    uint8_t newline = kCrLf;

    QByteArrayView text(const Line& l) const
    {
        return l.own >= 0 ? QByteArrayView(owned[size_t(l.own)]) : QByteArrayView(bytes.constData() + l.at, l.size);
    }
    void setText(Line& l, QByteArray text)
    {
        l.own = int(owned.size());
        owned.push_back(std::move(text));
    }
};

// The file's lines; an empty file when there is none. Nothing when it exists
// but could not be read whole: readers then see no keys, and writers must
// not put a file of a few lines in place of one they never saw.
std::optional<File> load(const QString& path)
{
    File f;
    switch (file_read::readWhole(path, kMaxProfileBytes, f.bytes)) {
    case file_read::Result::Ok:
        break;
    case file_read::Result::Missing:
        return File{};
    default:
        return std::nullopt;
    }
    bool newlineSeen = false;
    const qsizetype n = f.bytes.size();
    f.lines.reserve(size_t(f.bytes.count('\n')) + 1);
    qsizetype from = 0;
    while (from < n) {
        const qsizetype nl = f.bytes.indexOf('\n', from);
        Line l;
        l.at = from;
        if (nl < 0) {
            l.size = n - from;
            from = n;
        } else {
            const bool cr = nl > from && f.bytes[nl - 1] == '\r';
            l.size = nl - from - (cr ? 1 : 0);
            l.end = cr ? kCrLf : kLf;
            if (!newlineSeen) {
                f.newline = l.end;
                newlineSeen = true;
            }
            from = nl + 1;
        }
        f.lines.push_back(l);
    }
    return f;
}

// The file's bytes as a write leaves them: runs of lines that lie in the
// file as they were are copied in one piece.
QByteArray bytesOf(const File& f)
{
    QByteArray out;
    out.reserve(f.bytes.size() + 256);
    for (const Line& l : f.lines) {
        const QByteArrayView end = endBytes(l.end);
        // A last line that gained a line end reaches past the file's bytes.
        if (l.own < 0 && l.at + l.size + end.size() <= f.bytes.size()) {
            out.append(f.bytes.constData() + l.at, l.size + end.size());
            continue;
        }
        out.append(f.text(l));
        out.append(end);
    }
    return out;
}

bool save(const QString& path, const File& f, int* error)
{
    return file_write::replace(path, bytesOf(f), error);
}

QString textOf(const File& f, const Line& l) { return QString::fromUtf8(f.text(l)); }

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

Range findSection(const File& f, const QString& section)
{
    const std::vector<Line>& lines = f.lines;
    Range r;
    for (int i = 0; i < int(lines.size()); ++i) {
        // Only a line holding "[" can be a header: most lines need no decoding.
        if (!f.text(lines[size_t(i)]).contains('['))
            continue;
        const auto s = sectionOf(textOf(f, lines[size_t(i)]));
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

int findKey(const File& f, Range r, const QString& key)
{
    for (int i = r.begin + 1; i < r.end; ++i) {
        const QString t = textOf(f, f.lines[size_t(i)]);
        if (!isComment(t) && same(keyOf(t), key))
            return i;
    }
    return -1;
}

// The raw bytes of a line's key, trimmed: the spelling the file had.
QByteArray rawKeyOf(QByteArrayView line)
{
    const qsizetype eq = line.indexOf('=');
    return (eq < 0 ? line : line.first(eq)).trimmed().toByteArray();
}

// Puts a new line before `at`, ending the line before it first when it had
// no line end (the file's last line).
void insertLine(File& f, int at, QByteArray text)
{
    if (at > 0 && f.lines[size_t(at - 1)].end == kNoEnd)
        f.lines[size_t(at - 1)].end = f.newline;
    Line l;
    f.setText(l, std::move(text));
    l.end = f.newline;
    f.lines.insert(f.lines.begin() + at, l);
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

int findKeyIn(const std::vector<QString>& lines, int begin, int end, const QString& key)
{
    for (int i = begin + 1; i < end; ++i)
        if (!isComment(lines[size_t(i)]) && same(keyOf(lines[size_t(i)]), key))
            return i;
    return -1;
}

void applyWrite(File& f, const QString& section, const QString& key, const QString& value)
{
    const QByteArray v = value.toUtf8();
    const Range r = findSection(f, section);
    if (r.begin < 0) {
        const int end = int(f.lines.size());
        insertLine(f, end, '[' + section.toUtf8() + ']');
        insertLine(f, end + 1, key.toUtf8() + '=' + v);
        return;
    }
    const int k = findKey(f, r, key);
    if (k >= 0) {
        // Keep the key's own spelling, as the file had it, and its line end.
        Line& l = f.lines[size_t(k)];
        f.setText(l, rawKeyOf(f.text(l)) + '=' + v);
    } else {
        // After the section's last entry, before any blank lines that close it.
        int at = r.end;
        while (at > r.begin + 1 && f.text(f.lines[size_t(at - 1)]).trimmed().isEmpty())
            --at;
        insertLine(f, at, key.toUtf8() + '=' + v);
    }
}

} // namespace

QString readString(const QString& file, const QString& section, const QString& key,
                   const QString& def, int bufferSize)
{
    QString v = def;
    if (const auto f = load(file)) {
        const Range r = findSection(*f, section);
        if (r.begin >= 0) {
            const int k = findKey(*f, r, key);
            if (k >= 0)
                v = valueOf(textOf(*f, f->lines[size_t(k)]));
        }
    }
    if (bufferSize > 0 && v.size() > bufferSize - 1)
        v.truncate(bufferSize - 1);
    return v;
}

int readInt(const QString& file, const QString& section, const QString& key, int def)
{
    return parseInt(readString(file, section, key, QString()), def);
}

bool writeString(const QString& file, const QString& section, const QString& key,
                 const QString& value, int* error)
{
    return writeStrings(file, {{section, key, value}}, error);
}

std::optional<QByteArray> withWrites(const QString& file, const std::vector<Write>& writes)
{
    auto f = load(file);
    if (!f)
        return std::nullopt;
    for (const Write& w : writes)
        applyWrite(*f, w.section, w.key, w.value);
    return bytesOf(*f);
}

bool writeStrings(const QString& file, const std::vector<Write>& writes, int* error)
{
    const auto bytes = withWrites(file, writes);
    if (!bytes) {
        if (error)
            *error = EINVAL;
        return false;
    }
    return file_write::replace(file, *bytes, error);
}

bool deleteKey(const QString& file, const QString& section, const QString& key)
{
    auto f = load(file);
    if (!f)
        return false;
    const Range r = findSection(*f, section);
    if (r.begin < 0)
        return true;
    const int k = findKey(*f, r, key);
    if (k < 0)
        return true;
    f->lines.erase(f->lines.begin() + k);
    return save(file, *f, nullptr);
}

bool deleteSection(const QString& file, const QString& section)
{
    auto f = load(file);
    if (!f)
        return false;
    const Range r = findSection(*f, section);
    if (r.begin < 0)
        return true;
    f->lines.erase(f->lines.begin() + r.begin, f->lines.begin() + r.end);
    return save(file, *f, nullptr);
}

QStringList sections(const QString& file)
{
    QStringList out;
    if (const auto f = load(file))
        for (const Line& l : f->lines)
            if (const auto s = sectionOf(textOf(*f, l)))
                out << *s;
    return out;
}

QStringList keys(const QString& file, const QString& section)
{
    QStringList out;
    const auto f = load(file);
    if (!f)
        return out;
    const Range r = findSection(*f, section);
    for (int i = r.begin + 1; r.begin >= 0 && i < r.end; ++i) {
        const QString t = textOf(*f, f->lines[size_t(i)]);
        if (!isComment(t))
            out << keyOf(t);
    }
    return out;
}

Snapshot::Snapshot(const QString& file)
{
    if (const auto f = load(file)) {
        lines_.reserve(f->lines.size());
        for (const Line& l : f->lines)
            lines_.push_back(textOf(*f, l));
    }
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
        const int k = findKeyIn(lines_, it->first, it->second, key);
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
