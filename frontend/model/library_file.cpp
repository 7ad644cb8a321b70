#include "library_file.h"

#include "file_read.h"
#include "file_write.h"
#include "profile.h"
#include "puzzle_names.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

namespace {

const QString kHeader = QStringLiteral("Puzzle");
const QString kCountKey = QStringLiteral("Puzzle_Count");
const QString kNameKey = QStringLiteral("Name");
const QString kSizeKey = QStringLiteral("Size");
// What a search reads for an entry without a Name: it never matches.
const QString kNoName = QStringLiteral("NUVARK_NULL");

QString sectionFor(int i)
{
    return kHeader + QString::number(i);
}

// The entry numbers 1 ... limit the file has sections for, ascending. An
// entry's section is spelt "Puzzle" and its number without leading zeros,
// so only those names can ever be looked up.
std::vector<int> presentEntries(const profile::Snapshot& file, int limit)
{
    std::vector<int> out;
    for (const QString& s : file.sections()) {
        if (s.size() <= kHeader.size() || s.size() > kHeader.size() + 5
            || !s.startsWith(kHeader, Qt::CaseInsensitive) || s[kHeader.size()] == QLatin1Char('0'))
            continue;
        int n = 0;
        bool digits = true;
        for (int i = kHeader.size(); i < s.size() && digits; ++i) {
            const char16_t c = s[i].unicode();
            digits = c >= u'0' && c <= u'9';
            n = n * 10 + (c - u'0');
        }
        if (digits && n >= 1 && n <= limit)
            out.push_back(n);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

// The file read once, or nothing when it is not one we may read.
profile::Snapshot snapshot(const LibraryFile& lib)
{
    return lib.usable() ? profile::Snapshot(lib.path()) : profile::Snapshot();
}

int storedCount(const profile::Snapshot& file)
{
    const int n = file.readInt(kHeader, kCountKey, 0);
    if (n >= 0 && n <= LibraryFile::kMaxEntries)
        return n;
    const auto present = presentEntries(file, LibraryFile::kMaxEntries);
    return present.empty() ? 0 : present.back();
}

} // namespace

LibraryFile::LibraryFile(QString path)
    : path_(std::move(path))
{
}

bool LibraryFile::usable() const
{
    struct stat st {};
    if (::stat(QFile::encodeName(path_).constData(), &st) != 0)
        return errno == ENOENT;
    return S_ISREG(st.st_mode) && st.st_size <= kMaxBytes;
}

bool LibraryFile::refuse(const QString& why) const
{
    error_ = why;
    return false;
}

QString LibraryFile::writeTarget() const { return file_write::finalTarget(path_); }

QString LibraryFile::whyNotWritable() const
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path_).constData(), &st) != 0)
        return errno == ENOENT ? QString()
                               : QStringLiteral("Cannot read the puzzle library \"%1\": %2.")
                                     .arg(path_, file_write::reason(errno));
    const bool link = S_ISLNK(st.st_mode);
    const QString target = writeTarget();
    if (link && (target.isEmpty() || ::stat(QFile::encodeName(target).constData(), &st) != 0))
        return QStringLiteral("\"%1\" is a link to %2, which does not exist; the library is written "
                              "through a link only into a puzzle library.")
            .arg(path_, target.isEmpty() ? QStringLiteral("a loop of links") : QStringLiteral("\"%1\"").arg(target));
    const QString what = link ? QStringLiteral("\"%1\" is a link to \"%2\", which").arg(path_, target)
                              : QStringLiteral("\"%1\"").arg(path_);
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("%1 is not a file, so it is not a puzzle library.").arg(what);
    if (st.st_size > kMaxBytes)
        return QStringLiteral("%1 is far larger than a puzzle library; it is left as it is.").arg(what);
    QByteArray bytes;
    if (file_read::readWhole(target, kMaxBytes, bytes) != file_read::Result::Ok)
        return QStringLiteral("Cannot read the puzzle library \"%1\".").arg(target);
    // A new library may start in an empty file; a link must name a library.
    if (bytes.trimmed().isEmpty() && !link)
        return QString();
    if (!profile::Snapshot(target).hasSection(kHeader))
        return QStringLiteral("%1 is not a puzzle library (it has no [%2] section); it is left as it is.")
            .arg(what, kHeader);
    return QString();
}

int LibraryFile::count() const
{
    return storedCount(snapshot(*this));
}

namespace {

int findIn(const profile::Snapshot& file, const QString& name)
{
    // Entries without a section read as missing names and never match, so
    // only the sections present need to be asked.
    for (const int i : presentEntries(file, storedCount(file))) {
        const QString entry = file.readString(sectionFor(i), QStringLiteral("name"), kNoName, 64);
        if (entry != kNoName && puzzle_names::sameName(entry, name))
            return i;
    }
    return 0;
}

} // namespace

int LibraryFile::FindLibraryEntry(const QString& name) const
{
    return findIn(snapshot(*this), name);
}

bool LibraryFile::entryBytes(const QString& name, int index, int columns, int rows, QByteArray& out)
{
    error_.clear();
    if (const QString why = whyNotWritable(); !why.isEmpty())
        return refuse(why);
    return entryBytesIn(snapshot(*this), name, index, columns, rows, out);
}

bool LibraryFile::entryBytesFor(const QString& name, int columns, int rows, QByteArray& out)
{
    error_.clear();
    if (const QString why = whyNotWritable(); !why.isEmpty())
        return refuse(why);
    const profile::Snapshot file = snapshot(*this);
    return entryBytesIn(file, name, findIn(file, name), columns, rows, out);
}

bool LibraryFile::entryBytesIn(const profile::Snapshot& file, const QString& name, int index, int columns, int rows,
                               QByteArray& out)
{
    std::vector<profile::Write> writes;
    const int count = storedCount(file);
    if (index <= 0 || index > count) {
        if (count >= kMaxEntries)
            return refuse(QStringLiteral("The puzzle library \"%1\" is full (%2 puzzles).").arg(path_).arg(kMaxEntries));
        index = count + 1;
        writes.push_back({kHeader, kCountKey, QString::number(index)});
    }
    const QString section = sectionFor(index);
    writes.push_back({section, kNameKey, name});
    writes.push_back({section, kSizeKey, QStringLiteral("%1 %2").arg(columns).arg(rows)});
    const auto bytes = profile::withWrites(writeTarget(), writes);
    if (!bytes)
        return refuse(QStringLiteral("Cannot read the puzzle library \"%1\".").arg(path_));
    out = *bytes;
    return true;
}

bool LibraryFile::WriteLibraryEntry(const QString& name, int index, int columns, int rows)
{
    // One rewrite for all three keys: the entry is never half recorded.
    QByteArray bytes;
    int error = 0;
    if (!entryBytes(name, index, columns, rows, bytes))
        return false;
    if (!file_write::replace(path_, bytes, &error))
        return refuse(file_write::failure(QStringLiteral("puzzle library"), path_, error));
    return true;
}

QByteArray LibraryFile::layout(const std::vector<LibraryRecord>& records)
{
    QByteArray out = QStringLiteral("[%1]\r\n%2=%3\r\n\r\n")
                         .arg(kHeader, kCountKey)
                         .arg(records.size())
                         .toUtf8();
    int i = 0;
    for (const LibraryRecord& r : records) {
        QString size = r.sizeText;
        const int x = size.indexOf(QLatin1Char('X'));
        if (x >= 0)
            size[x] = QLatin1Char(' ');
        out += QStringLiteral("[%1%2]\r\n%3=%4\r\n%5=%6\r\n\r\n")
                   .arg(kHeader)
                   .arg(++i)
                   .arg(kNameKey, r.name, kSizeKey, size)
                   .toUtf8();
    }
    return out;
}

bool LibraryFile::RewriteLibrary(const std::vector<LibraryRecord>& records) const
{
    error_.clear();
    // Whatever is no library of ours is left alone, even when the list is
    // written whole.
    if (const QString why = whyNotWritable(); !why.isEmpty())
        return refuse(why);
    int error = 0;
    if (!file_write::replace(path_, layout(records), &error))
        return refuse(file_write::failure(QStringLiteral("puzzle library"), path_, error));
    return true;
}

std::vector<LibraryRecord> LibraryFile::readList(const QString& dataFolder) const
{
    const profile::Snapshot file = snapshot(*this);
    const auto present = presentEntries(file, storedCount(file));
    const int last = present.empty() ? 0 : present.back();
    std::vector<LibraryRecord> out;
    out.reserve(size_t(last));
    for (int i = 1; i <= last; ++i) {
        const QString section = sectionFor(i);
        LibraryRecord r;
        r.name = file.readString(section, kNameKey, QString(), 15);
        r.sizeText = file.readString(section, kSizeKey, QString(), 15);
        const int blank = r.sizeText.indexOf(QLatin1Char(' '));
        if (blank >= 0)
            r.sizeText[blank] = QLatin1Char('X');
        r.thumbnailPath = dataFolder + r.name + QStringLiteral(".bmp");
        out.push_back(std::move(r));
    }
    return out;
}

bool LibraryFile::renameEntry(int index, const QString& newName)
{
    error_.clear();
    if (index < 1)
        return false;
    if (const QString why = whyNotWritable(); !why.isEmpty())
        return refuse(why);
    int error = 0;
    if (!profile::writeString(path_, sectionFor(index), kNameKey, newName, &error))
        return refuse(file_write::failure(QStringLiteral("puzzle library"), path_, error));
    return true;
}
