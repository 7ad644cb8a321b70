#include "staged_files.h"

#include "file_read.h"
#include "file_write.h"
#include "library_file.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>

namespace {

// A journal names two lists of paths; anything larger is not one.
constexpr qint64 kMaxJournalBytes = 64 * 1024;

QString journalPath(const SuiteFolders& f) { return f.libraryFolder + QStringLiteral("puzzle.ini.pending"); }
QString lockPath(const SuiteFolders& f) { return f.libraryFolder + QStringLiteral("puzzle.ini.lock"); }

bool exists(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

// True when both paths name one file: on a file system that ignores case,
// "cat.puz" is the "Cat.puz" being written and must not be removed.
bool sameFile(const QString& a, const QString& b)
{
    struct stat sa {}, sb {};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0
        && ::stat(QFile::encodeName(b).constData(), &sb) == 0
        && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

struct Plan {
    QStringList put;
    QStringList remove;
};

QByteArray journalBytes(const Plan& p)
{
    QJsonObject o;
    o.insert(QStringLiteral("put"), QJsonArray::fromStringList(p.put));
    o.insert(QStringLiteral("remove"), QJsonArray::fromStringList(p.remove));
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QStringList strings(const QJsonValue& v)
{
    QStringList out;
    for (const QJsonValue& s : v.toArray())
        out << s.toString();
    return out;
}

bool inData(const SuiteFolders& f, const QString& path)
{
    return path.startsWith(f.data) && !path.mid(f.data.size()).contains(QLatin1Char('/'))
        && path.size() > f.data.size();
}

// Only what a writer of ours can have written: files in Data and the
// library's own file. A journal naming anything else is not carried out.
bool plausible(const SuiteFolders& f, const Plan& p)
{
    const QString library = LibraryFile(f.libraryFile).writeTarget();
    for (const QString& t : p.put)
        if (!inData(f, t) && t != library)
            return false;
    for (const QString& r : p.remove)
        if (!inData(f, r))
            return false;
    return !p.put.isEmpty();
}

// The removals first, then every staged file into place; each step is
// skipped when done already, so a journal can be carried out again from
// any point.
bool carryOut(const Plan& p, QString* error)
{
    int code = 0;
    for (const QString& r : p.remove) {
        bool kept = false;
        for (const QString& t : p.put)
            kept = kept || sameFile(r, t) || sameFile(r, file_write::stagingName(t));
        if (!kept && !file_write::remove(r, &code)) {
            *error = QStringLiteral("Cannot remove \"%1\": %2.").arg(r, file_write::reason(code));
            return false;
        }
    }
    for (const QString& t : p.put) {
        const QString staged = file_write::stagingName(t);
        if (exists(staged) && !file_write::rename(staged, t, &code)) {
            *error = file_write::failure(QStringLiteral("file"), t, code);
            return false;
        }
    }
    return true;
}

void removeStray(const SuiteFolders& f)
{
    const QStringList suffixes{QStringLiteral(".puz.vorlin-new"), QStringLiteral(".bmp.vorlin-new")};
    const QDir data(f.data);
    for (const QString& name : data.entryList(QDir::Files | QDir::Hidden | QDir::System))
        for (const QString& s : suffixes)
            if (name.endsWith(s, Qt::CaseInsensitive))
                file_write::remove(f.data + name, nullptr);
    const QString library = LibraryFile(f.libraryFile).writeTarget();
    if (!library.isEmpty())
        file_write::remove(file_write::stagingName(library), nullptr);
    file_write::remove(file_write::stagingName(journalPath(f)), nullptr);
}

} // namespace

StagedFiles::StagedFiles(const SuiteFolders& folders)
    : folders_(folders)
{
}

StagedFiles::~StagedFiles()
{
    if (committed_)
        return;
    for (const QString& t : put_)
        file_write::remove(file_write::stagingName(t), nullptr);
}

bool StagedFiles::fail(const QString& why)
{
    error_ = why;
    return false;
}

bool StagedFiles::lock()
{
    lock_ = std::make_unique<QLockFile>(lockPath(folders_));
    // Only a writer that has died leaves its lock to be taken over; a live
    // one is never cut short, however long it takes.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(10000))
        return true;
    if (lock_->error() == QLockFile::LockFailedError)
        return fail(QStringLiteral("Another Vorlin is writing to the puzzle library; try again in a moment."));
    return fail(QStringLiteral("Cannot lock the puzzle library: \"%1\" cannot be made.").arg(lockPath(folders_)));
}

bool StagedFiles::stage(const QString& target, const QByteArray& bytes, const QString& what)
{
    int code = 0;
    const QString staged = file_write::stagingName(target);
    put_ << target;
    if (!file_write::stage(staged, bytes, target, &code))
        return fail(file_write::failure(what, target, code));
    return true;
}

void StagedFiles::removeWith(const QString& path) { remove_ << path; }

bool StagedFiles::commit()
{
    const QString journal = journalPath(folders_);
    const Plan plan{put_, remove_};
    int code = 0;
    // The journal in place is the moment the new files win.
    const QString stagedJournal = file_write::stagingName(journal);
    if (!file_write::stage(stagedJournal, journalBytes(plan), QString(), &code)
        || !file_write::rename(stagedJournal, journal, &code)) {
        file_write::remove(stagedJournal, nullptr);
        return fail(file_write::failure(QStringLiteral("list of files being written"), journal, code));
    }
    committed_ = true;
    if (!carryOut(plan, &error_)) {
        error_ += QStringLiteral(" The puzzle is finished when Vorlin starts next.");
        return false;
    }
    file_write::remove(journal, nullptr);
    return true;
}

void StagedFiles::finishInterrupted(const SuiteFolders& folders)
{
    const QString journal = journalPath(folders);
    const QString library = LibraryFile(folders.libraryFile).writeTarget();
    if (!exists(journal) && !exists(file_write::stagingName(journal))
        && (library.isEmpty() || !exists(file_write::stagingName(library)))) {
        // The common start: nothing was cut off, unless staged pictures are
        // lying in Data, which only a look there can tell.
        bool any = false;
        for (const QString& name : QDir(folders.data).entryList(QDir::Files | QDir::Hidden))
            any = any || name.endsWith(QLatin1String(".vorlin-new"));
        if (!any)
            return;
    }
    QLockFile lock(lockPath(folders));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0))
        return;
    QByteArray bytes;
    if (file_read::readWhole(journal, kMaxJournalBytes, bytes) == file_read::Result::Ok) {
        const QJsonObject o = QJsonDocument::fromJson(bytes).object();
        const Plan plan{strings(o.value(QStringLiteral("put"))), strings(o.value(QStringLiteral("remove")))};
        QString error;
        if (plausible(folders, plan) && !carryOut(plan, &error))
            return; // kept for the next start
        file_write::remove(journal, nullptr);
    }
    removeStray(folders);
}
