#include "library_start.h"

#include "file_read.h"
#include "imaging.h"
#include "library_file.h"
#include "puzzle_file.h"
#include "puzzle_maker.h"
#include "staged_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace library_start {
namespace {

// A link or anything else in the library's place means it exists.
bool exists(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

// The sample's bytes: the user's own copy when Data has one, else the one
// shipped with the programs (copied by the caller). Empty when neither is
// a puzzle.
QByteArray samplePuzzle(const SuiteFolders& folders, const QString& file, bool& shipped, PuzzleFileData& sample)
{
    for (const QString& folder : {folders.data, folders.shippedData}) {
        QByteArray bytes;
        if (file_read::readWhole(folder + file, puzzle_file::kMaxFileBytes, bytes) != file_read::Result::Ok)
            continue;
        if (puzzle_file::read(bytes, sample) != puzzle_file::ReadResult::Ok)
            return QByteArray();
        shipped = folder != folders.data;
        return bytes;
    }
    return QByteArray();
}

} // namespace

void prepare(const SuiteFolders& folders)
{
    // A system install's user starts with no folders of their own; a
    // failure here shows later, where a write says why.
    QDir().mkpath(folders.data);
    QDir().mkpath(folders.libraryFolder);
    StagedFiles::finishInterrupted(folders);
    listShippedSample(folders);
}

bool listShippedSample(const SuiteFolders& folders)
{
    const QString name = QLatin1String(kSampleName);
    const QString puzFile = name + QStringLiteral(".puz");
    if (exists(folders.libraryFile))
        return false;
    bool shipped = false;
    PuzzleFileData sample;
    const QByteArray bytes = samplePuzzle(folders, puzFile, shipped, sample);
    if (bytes.isEmpty())
        return false;

    StagedFiles files(folders);
    // Checked again under the lock: a Vorlin started at the same moment may
    // have made the library meanwhile.
    if (!files.lock() || exists(folders.libraryFile))
        return false;
    if (shipped && !files.stage(folders.data + puzFile, bytes, QStringLiteral("puzzle file")))
        return false;
    const QString bmp = folders.data + name + QStringLiteral(".bmp");
    if (!QFileInfo::exists(bmp)) {
        ToolkitBitmap guide;
        if (!imaging::loadFromData(sample.guide, guide, 24))
            return false;
        const QByteArray thumbnail = PuzzleMaker::thumbnailOf(guide);
        if (thumbnail.isEmpty() || !files.stage(bmp, thumbnail, QStringLiteral("thumbnail")))
            return false;
    }
    const LibraryRecord entry{name, QStringLiteral("%1X%2").arg(sample.columns).arg(sample.rows), bmp};
    return files.stage(folders.libraryFile, LibraryFile::layout({entry}), QStringLiteral("puzzle library"))
        && files.commit();
}

} // namespace library_start
