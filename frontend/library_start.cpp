#include "library_start.h"

#include "imaging.h"
#include "library_file.h"
#include "puzzle_file.h"
#include "puzzle_maker.h"
#include "staged_files.h"

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

} // namespace

void prepare(const SuiteFolders& folders)
{
    StagedFiles::finishInterrupted(folders);
    listShippedSample(folders);
}

bool listShippedSample(const SuiteFolders& folders)
{
    const QString name = QLatin1String(kSampleName);
    const QString puz = folders.data + name + QStringLiteral(".puz");
    if (exists(folders.libraryFile) || !QFileInfo(puz).isFile())
        return false;
    PuzzleFileData sample;
    if (puzzle_file::readFile(puz, sample) != puzzle_file::ReadResult::Ok)
        return false;

    StagedFiles files(folders);
    // Checked again under the lock: a Vorlin started at the same moment may
    // have made the library meanwhile.
    if (!files.lock() || exists(folders.libraryFile))
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
