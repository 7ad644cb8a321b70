#include "library_file.h"

#include "profile.h"
#include "puzzle_names.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

int LibraryFile::count() const
{
    return storedCount(snapshot(*this));
}

int LibraryFile::FindLibraryEntry(const QString& name) const
{
    const profile::Snapshot file = snapshot(*this);
    // Entries without a section read as missing names and never match, so
    // only the sections present need to be asked.
    for (const int i : presentEntries(file, storedCount(file))) {
        const QString entry = file.readString(sectionFor(i), QStringLiteral("name"), kNoName, 64);
        if (entry != kNoName && puzzle_names::sameName(entry, name))
            return i;
    }
    return 0;
}

bool LibraryFile::WriteLibraryEntry(const QString& name, int index, int columns, int rows)
{
    if (!usable())
        return false;
    std::vector<profile::Write> writes;
    const int count = this->count();
    if (index <= 0 || index > count) {
        if (count >= kMaxEntries)
            return false;
        index = count + 1;
        writes.push_back({kHeader, kCountKey, QString::number(index)});
    }
    const QString section = sectionFor(index);
    writes.push_back({section, kNameKey, name});
    writes.push_back({section, kSizeKey, QStringLiteral("%1 %2").arg(columns).arg(rows)});
    // One rewrite for all three keys: the entry is never half recorded.
    return profile::writeStrings(path_, writes);
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
    // A fifo or folder in the library's place is left alone.
    if (QFileInfo::exists(path_) && !QFileInfo(path_).isFile())
        return false;
    QSaveFile f(path_);
    // Unbuffered, so a short write is seen before the rename replaces the old file.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray bytes = layout(records);
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
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
    return index >= 1 && usable() && profile::writeString(path_, sectionFor(index), kNameKey, newName);
}
