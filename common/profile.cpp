#include "profile.h"

#include "file_read.h"

#include <QSaveFile>

#include <optional>
#include <vector>

namespace profile {
namespace {

// Profile files are small; anything this large is not one of ours.
constexpr qint64 kMaxProfileBytes = 16 * 1024 * 1024;

// One line as the file has it: its bytes and the line end that followed
// them (empty for a last line without one). Lines are kept as bytes, so a
// write gives back every byte of the lines it did not change, whatever
// their encoding.
struct Line {
    QByteArray text;
    QByteArray end;
};

struct File {
    std::vector<Line> lines;
    // The line end new lines get: the file's own, CR LF for a new file.
    QByteArray newline = QByteArrayLiteral("\r\n");
};

// The file's lines; an empty file when there is none. Nothing when it exists
// but could not be read whole: readers then see no keys, and writers must
// not put a file of a few lines in place of one they never saw.
std::optional<File> load(const QString& path)
{
    QByteArray bytes;
    switch (file_read::readWhole(path, kMaxProfileBytes, bytes)) {
    case file_read::Result::Ok:
        break;
    case file_read::Result::Missing:
        return File{};
    default:
        return std::nullopt;
    }
    File f;
    bool newlineSeen = false;
    qsizetype from = 0;
    while (from < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', from);
        Line l;
        if (lf < 0) {
            l.text = bytes.mid(from);
            from = bytes.size();
        } else {
            const bool cr = lf > from && bytes[lf - 1] == '\r';
            l.text = bytes.mid(from, lf - from - (cr ? 1 : 0));
            l.end = cr ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
            if (!newlineSeen) {
                f.newline = l.end;
                newlineSeen = true;
            }
            from = lf + 1;
        }
        f.lines.push_back(std::move(l));
    }
    return f;
}

bool save(const QString& path, const File& f)
{
    QSaveFile out(path);
    // Unbuffered, so a short write is seen before the rename replaces the old file.
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    QByteArray bytes;
    for (const Line& l : f.lines) {
        bytes += l.text;
        bytes += l.end;
    }
    if (out.write(bytes) != bytes.size()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

QString textOf(const Line& l) { return QString::fromUtf8(l.text); }

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

Range findSection(const std::vector<Line>& lines, const QString& section)
{
    Range r;
    for (int i = 0; i < int(lines.size()); ++i) {
        // Only a line holding "[" can be a header: most lines need no decoding.
        if (!lines[size_t(i)].text.contains('['))
            continue;
        const auto s = sectionOf(textOf(lines[size_t(i)]));
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

int findKey(const std::vector<Line>& lines, Range r, const QString& key)
{
    for (int i = r.begin + 1; i < r.end; ++i) {
        const QString t = textOf(lines[size_t(i)]);
        if (!isComment(t) && same(keyOf(t), key))
            return i;
    }
    return -1;
}

// The raw bytes of a line's key, trimmed: the spelling the file had.
QByteArray rawKeyOf(const QByteArray& line)
{
    const qsizetype eq = line.indexOf('=');
    return (eq < 0 ? line : line.left(eq)).trimmed();
}

// Puts a new line before `at`, ending the line before it first when it had
// no line end (the file's last line).
void insertLine(File& f, int at, QByteArray text)
{
    if (at > 0 && f.lines[size_t(at - 1)].end.isEmpty())
        f.lines[size_t(at - 1)].end = f.newline;
    f.lines.insert(f.lines.begin() + at, Line{std::move(text), f.newline});
}

} // namespace

QString readString(const QString& file, const QString& section, const QString& key,
                   const QString& def, int bufferSize)
{
    QString v = def;
    if (const auto f = load(file)) {
        const Range r = findSection(f->lines, section);
        if (r.begin >= 0) {
            const int k = findKey(f->lines, r, key);
            if (k >= 0)
                v = valueOf(textOf(f->lines[size_t(k)]));
        }
    }
    if (bufferSize > 0 && v.size() > bufferSize - 1)
        v.truncate(bufferSize - 1);
    return v;
}

int readInt(const QString& file, const QString& section, const QString& key, int def)
{
    const QString v = readString(file, section, key, QString());
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

bool writeString(const QString& file, const QString& section, const QString& key,
                 const QString& value)
{
    auto f = load(file);
    if (!f)
        return false;
    const QByteArray v = value.toUtf8();
    const Range r = findSection(f->lines, section);
    if (r.begin < 0) {
        const int end = int(f->lines.size());
        insertLine(*f, end, '[' + section.toUtf8() + ']');
        insertLine(*f, end + 1, key.toUtf8() + '=' + v);
        return save(file, *f);
    }
    const int k = findKey(f->lines, r, key);
    if (k >= 0) {
        // Keep the key's own spelling, as the file had it, and its line end.
        Line& l = f->lines[size_t(k)];
        l.text = rawKeyOf(l.text) + '=' + v;
    } else {
        // After the section's last entry, before any blank lines that close it.
        int at = r.end;
        while (at > r.begin + 1 && f->lines[size_t(at - 1)].text.trimmed().isEmpty())
            --at;
        insertLine(*f, at, key.toUtf8() + '=' + v);
    }
    return save(file, *f);
}

bool deleteKey(const QString& file, const QString& section, const QString& key)
{
    auto f = load(file);
    if (!f)
        return false;
    const Range r = findSection(f->lines, section);
    if (r.begin < 0)
        return true;
    const int k = findKey(f->lines, r, key);
    if (k < 0)
        return true;
    f->lines.erase(f->lines.begin() + k);
    return save(file, *f);
}

bool deleteSection(const QString& file, const QString& section)
{
    auto f = load(file);
    if (!f)
        return false;
    const Range r = findSection(f->lines, section);
    if (r.begin < 0)
        return true;
    f->lines.erase(f->lines.begin() + r.begin, f->lines.begin() + r.end);
    return save(file, *f);
}

QStringList sections(const QString& file)
{
    QStringList out;
    if (const auto f = load(file))
        for (const Line& l : f->lines)
            if (const auto s = sectionOf(textOf(l)))
                out << *s;
    return out;
}

QStringList keys(const QString& file, const QString& section)
{
    QStringList out;
    const auto f = load(file);
    if (!f)
        return out;
    const Range r = findSection(f->lines, section);
    for (int i = r.begin + 1; r.begin >= 0 && i < r.end; ++i) {
        const QString t = textOf(f->lines[size_t(i)]);
        if (!isComment(t))
            out << keyOf(t);
    }
    return out;
}

} // namespace profile
