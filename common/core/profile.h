#pragma once
// Private-profile (.ini) files with the semantics Windows programs expect:
// section and key names match without regard to case, values are trimmed and
// may be quoted, and a write replaces one key and keeps every other byte of
// the file as it was, its line ends included (new files and lines get the
// file's own line end, CR LF for a new file). A file that cannot be read
// whole (too large, not a regular file) reads as empty and is never written.

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace profile {

// The value of [section] key, or def when the key is missing. bufferSize
// mimics the caller's buffer: at most bufferSize - 1 characters come back
// (0 means no limit).
QString readString(const QString& file, const QString& section, const QString& key,
                   const QString& def = QString(), int bufferSize = 0);

// The leading decimal integer of the value (optional sign); def when the key
// is missing or empty, 0 when the value does not start with a number.
int readInt(const QString& file, const QString& section, const QString& key, int def);

// Writes one key, creating the file and the section when needed. False,
// with the file untouched, when it could not be read whole or written;
// `error` then gets errno (EINVAL for a file that could not be read whole).
// The file is replaced whole, through a new file beside it: a link is
// followed and the file it names replaced.
bool writeString(const QString& file, const QString& section, const QString& key,
                 const QString& value, int* error = nullptr);
// Several keys with one rewrite of the file, applied in order as
// writeString would apply them one by one.
struct Write {
    QString section;
    QString key;
    QString value;
};
bool writeStrings(const QString& file, const std::vector<Write>& writes, int* error = nullptr);
// The bytes writeStrings would write, for a caller that puts the file in
// place itself; nothing when the file could not be read whole.
std::optional<QByteArray> withWrites(const QString& file, const std::vector<Write>& writes);
bool deleteKey(const QString& file, const QString& section, const QString& key);
bool deleteSection(const QString& file, const QString& section);

QStringList sections(const QString& file);
QStringList keys(const QString& file, const QString& section);

// A file read once for many look-ups: a reader that asks for thousands of
// keys would otherwise parse the whole file for every one of them. Answers
// exactly as the functions above do for the file as it was when read.
class Snapshot {
public:
    Snapshot() = default; // an empty file
    explicit Snapshot(const QString& file);
    QString readString(const QString& section, const QString& key,
                       const QString& def = QString(), int bufferSize = 0) const;
    int readInt(const QString& section, const QString& key, int def) const;
    bool hasSection(const QString& section) const;
    QStringList sections() const;

private:
    std::vector<QString> lines_;
    // Case-folded section name -> lines [begin, end) of its first occurrence.
    QHash<QString, std::pair<int, int>> sections_;
};

} // namespace profile
