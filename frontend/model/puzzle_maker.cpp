#include "puzzle_maker.h"

#include "file_write.h"
#include "guide_ahead.h"
#include "maker_ui.h"
#include "picture_fit.h"
#include "puzzle_file.h"
#include "puzzle_names.h"
#include "puzzle_shading.h"
#include "staged_files.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>

namespace {

// Cell sizes of easy, normal and hard.
constexpr int kLevelCells[] = {96, 72, 48};

bool writableFolder(const QString& folder)
{
    const QFileInfo f(folder);
    return f.isDir() && f.isWritable();
}

void put16(char*& at, uint32_t v)
{
    *at++ = char(v & 0xFF);
    *at++ = char((v >> 8) & 0xFF);
}

void put32(char*& at, uint32_t v)
{
    put16(at, v & 0xFFFF);
    put16(at, v >> 16);
}

// A 32-bit RGB picture as the toolkit's BMP writer stores it: 24-bit rows
// from the bottom up, each padded to four bytes, a 72 dpi resolution when
// the picture has none. Written here because the toolkit's writer first
// loads and asks every image plugin whether it writes BMP.
QByteArray bmpOf(const QImage& image)
{
    const uint32_t w = uint32_t(image.width());
    const uint32_t h = uint32_t(image.height());
    const uint32_t row = (w * 24 + 31) / 32 * 4;
    constexpr uint32_t kHeaders = 14 + 40;
    QByteArray out(qsizetype(kHeaders + row * h), '\0');
    char* at = out.data();
    *at++ = 'B';
    *at++ = 'M';
    put32(at, kHeaders + row * h);
    put32(at, 0); // two reserved words
    put32(at, kHeaders);
    put32(at, 40);
    put32(at, w);
    put32(at, h);
    put16(at, 1);  // planes
    put16(at, 24); // bits per pixel
    put32(at, 0);  // no compression
    put32(at, row * h);
    put32(at, uint32_t(image.dotsPerMeterX() ? image.dotsPerMeterX() : 2834));
    put32(at, uint32_t(image.dotsPerMeterY() ? image.dotsPerMeterY() : 2834));
    put32(at, 0); // no colour table
    put32(at, 0);
    for (int y = int(h) - 1; y >= 0; --y) {
        const auto* p = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        char* line = at;
        for (uint32_t x = 0; x < w; ++x) {
            *line++ = char(qBlue(p[x]));
            *line++ = char(qGreen(p[x]));
            *line++ = char(qRed(p[x]));
        }
        at += row;
    }
    return out;
}

} // namespace

PuzzleMaker::PuzzleMaker(SuiteFolders folders)
    : folders_(std::move(folders))
    , guideAhead_(std::make_unique<GuideAhead>())
{
}

PuzzleMaker::~PuzzleMaker() = default;

bool PuzzleMaker::failed(const QString& why)
{
    error_ = why;
    return false;
}

bool PuzzleMaker::LoadFromPath(const QString& path)
{
    error_.clear();
    ToolkitBitmap picture;
    if (!picture_fit::loadAndFit(path, folders_.scratchPicture(), picture, &error_)) {
        imaging::release(workingImage);
        return false;
    }
    workingImage = std::move(picture);
    return true;
}

bool PuzzleMaker::LoadFromPicture(ToolkitBitmap picture)
{
    error_.clear();
    if (!picture_fit::fitAndNormalise(picture, folders_.scratchPicture(), &error_)) {
        imaging::release(workingImage);
        return false;
    }
    workingImage = std::move(picture);
    return true;
}

bool PuzzleMaker::chooseGrid(int level, MakerUi& ui, int& c, int& r, int& cell)
{
    const int w = workingImage.width();
    const int h = workingImage.height();
    if (level >= Easy && level <= Hard) {
        cell = kLevelCells[level];
        c = w / cell;
        r = h / cell;
    } else if (level == Custom) {
        if (!ui.chooseCustomLevel(w, h, r, c, cell))
            return false;
    } else {
        return failed(QStringLiteral("There is no level %1.").arg(level));
    }
    // A picture smaller than a cell still makes one column or row; it is
    // stretched to the cell.
    c = std::max(1, c);
    r = std::max(1, r);
    if (cell < 1 || qint64(c) * cell > kMaxSide || qint64(r) * cell > kMaxSide
        || qint64(c) * r > kMaxPieces)
        return failed(QStringLiteral("A grid of %1 x %2 pieces of %3 pixels is larger than the player can open.")
                          .arg(c).arg(r).arg(cell));
    return true;
}

bool PuzzleMaker::PrepareLevel(int level, MakerUi& ui)
{
    error_.clear();
    if (workingImage.isNull())
        return failed(QStringLiteral("There is no picture to make a puzzle of; choose one first."));
    int c = 0, r = 0, cell = 0;
    if (!chooseGrid(level, ui, c, r, cell))
        return false;
    columns = c;
    rows = r;
    pieceSize = cell;
    const int count = c * r;
    // What the writer needs besides the cut picture starts now, on the
    // other core.
    guideAhead_->start(workingImage, QSize(c * cell, r * cell));

    ui.progressStart(count * 7 + 40);
    // Shared, not copied: the resize makes a picture of its own, and at the
    // same size the shading's first write parts the two.
    puzzleImage = workingImage;
    ui.progressAdvance(10);
    imaging::resize(puzzleImage, c * cell, r * cell);
    if (puzzleImage.image.format() != QImage::Format_RGB32)
        puzzleImage.image = puzzleImage.image.convertToFormat(QImage::Format_RGB32);
    ui.progressAdvance(30);

    // The generator is never seeded here: the shapes follow on from wherever
    // the program's sequence stands.
    pieces.clear();
    pieces.reserve(size_t(count));
    std::vector<CPiece*> made;
    made.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        auto piece = std::make_unique<CPiece>();
        ChooseEdges(*piece, c, r, i % c, i / c, made, cell);
        made.push_back(piece.get());
        pieces.push_back(std::move(piece));
        ui.progressAdvance(1);
    }
    for (int i = 0; i < count; ++i) {
        pieces[size_t(i)]->buildOutline(cell, i % c, i / c);
        ui.progressAdvance(1);
    }
    for (const auto& piece : pieces) {
        puzzle_shading::shadePiece(puzzleImage.image, *piece, cell);
        ui.progressAdvance(5);
    }
    ui.progressEnd();
    return true;
}

bool PuzzleMaker::encodeThroughScratch(const ToolkitBitmap& picture, QByteArray& bytes)
{
    // The scratch file holds exactly the bytes that go into the puzzle.
    bytes = picture_fit::jpegBytes(picture, 50);
    QString why;
    return picture_fit::writeScratch(folders_.scratchPicture(), bytes, &why) || failed(why);
}

bool PuzzleMaker::checkWritable(const QString& name)
{
    if (!QFileInfo(folders_.data).isDir() && !QDir().mkpath(folders_.data))
        return failed(QStringLiteral("Cannot create the data folder \"%1\".").arg(folders_.data));
    if (!writableFolder(folders_.data))
        return failed(QStringLiteral("Cannot write puzzle \"%1\": the data folder \"%2\" is not writable.")
                          .arg(name, folders_.data));
    // The library and the scratch picture are replaced through new files
    // beside them, so their folder itself must take new files.
    if (!writableFolder(folders_.libraryFolder))
        return failed(QStringLiteral("Cannot write puzzle \"%1\": the library folder \"%2\" is not writable.")
                          .arg(name, folders_.libraryFolder));
    if (const QString why = library().whyNotWritable(); !why.isEmpty())
        return failed(QStringLiteral("Cannot write puzzle \"%1\": %2").arg(name, why));
    return true;
}

bool PuzzleMaker::WritePuzzle(const QString& name, MakerUi& ui)
{
    error_.clear();
    written_.clear();
    if (const QString why = puzzle_names::whyNotUsable(name); !why.isEmpty())
        return failed(why);
    if (pieces.empty() || puzzleImage.isNull() || workingImage.isNull())
        return failed(QStringLiteral("There is no puzzle to write yet; choose a picture and a level first."));
    if (!checkWritable(name))
        return false;
    // Any spelling of the name is this puzzle.
    if (!puzzle_names::spellingsOf(folders_.data, name + QStringLiteral(".puz")).isEmpty()
        && !ui.confirmOverwrite())
        return false;

    QByteArray picture;
    if (!encodeThroughScratch(puzzleImage, picture))
        return false;
    // The guide picture is stored at the size of the puzzle picture.
    const QSize size = puzzleImage.image.size();
    GuideAhead::Made guide;
    if (!guideAhead_->take(workingImage, size, guide))
        guide = GuideAhead::make(workingImage, size);
    if (guide.guide.isNull() || guide.thumbnail.isEmpty())
        return failed(QStringLiteral("Cannot make the guide picture of puzzle \"%1\".").arg(name));
    workingImage = std::move(guide.guide);
    QString why;
    if (!picture_fit::writeScratch(folders_.scratchPicture(), guide.jpeg, &why))
        return failed(why);

    PuzzleFileData data;
    data.columns = columns;
    data.rows = rows;
    data.cellSize = pieceSize;
    data.picture = std::move(picture);
    data.guide = std::move(guide.jpeg);
    data.rotationAllowed = rotation;
    data.pieces.reserve(pieces.size());
    for (const auto& piece : pieces)
        data.pieces.push_back(piece->record());
    QByteArray puzzle;
    {
        QBuffer buffer(&puzzle);
        buffer.open(QIODevice::WriteOnly);
        puzzle_file::write(&buffer, data);
    }
    return writeFiles(name, puzzle, guide.thumbnail);
}

bool PuzzleMaker::writeFiles(const QString& name, const QByteArray& puzzle, const QByteArray& thumbnail)
{
    StagedFiles files(folders_);
    // The library is read and written by one Vorlin at a time.
    if (!files.lock())
        return failed(files.error());
    LibraryFile lib = library();
    QByteArray entry;
    if (!lib.entryBytesFor(name, columns, rows, entry))
        return failed(QStringLiteral("Cannot record puzzle \"%1\": %2").arg(name, lib.lastError()));

    // The puzzle file goes in place last: whoever sees it sees its thumbnail
    // and its entry too.
    const QString puz = puzzlePath(name);
    const QString bmp = folders_.data + name + QStringLiteral(".bmp");
    if (!files.stage(bmp, thumbnail, QStringLiteral("thumbnail"))
        || !files.stage(lib.writeTarget(), entry, QStringLiteral("puzzle library"))
        || !files.stage(puz, puzzle, QStringLiteral("puzzle file")))
        return failed(files.error());

    // Other spellings of the name are this puzzle too and go; a remade
    // puzzle starts a fresh game, and its package would still carry the old
    // pieces, so both go in every spelling. One listing of Data, taken
    // under the lock, answers for all four names.
    const QStringList present = puzzle_names::folderFiles(folders_.data);
    for (const QString& file : {name + QStringLiteral(".puz"), name + QStringLiteral(".bmp")})
        for (const QString& other : puzzle_names::spellingsAmong(present, file))
            if (other != file)
                files.removeWith(folders_.data + other);
    for (const QString& file : {name + QStringLiteral("0.sav"), name + QStringLiteral("Puz.run")})
        for (const QString& other : puzzle_names::spellingsAmong(present, file))
            files.removeWith(folders_.data + other);

    if (!files.commit())
        return failed(files.error());
    written_ << puz << bmp << lib.path();
    return true;
}

QSize PuzzleMaker::thumbnailSize(QSize s)
{
    const int w = s.width();
    const int h = s.height();
    if (w <= 0 || h <= 0)
        return QSize();
    if (w > h)
        return QSize(100, std::max(1, int(float(h) / (float(w) * 0.01f))));
    return QSize(std::max(1, int(float(w) / (float(h) * 0.01f))), 100);
}

QByteArray PuzzleMaker::thumbnailBytes() const
{
    return thumbnailOf(workingImage);
}

QByteArray PuzzleMaker::thumbnailOf(const ToolkitBitmap& picture)
{
    if (picture.isNull())
        return QByteArray();
    // Shared, not copied: the resize makes a new picture and leaves this
    // one as it is.
    ToolkitBitmap thumbnail = picture;
    const QSize size = thumbnailSize(thumbnail.image.size());
    if (!imaging::resize(thumbnail, size.width(), size.height()))
        return QByteArray();
    if (thumbnail.image.format() == QImage::Format_RGB32)
        return bmpOf(thumbnail.image);
    return imaging::encode(thumbnail, imaging::kFormatBmp, 0);
}

bool PuzzleMaker::WriteThumbnail(const QString& path) const
{
    const QByteArray bytes = thumbnailBytes();
    return !bytes.isEmpty() && file_write::replace(path, bytes, nullptr);
}

const ToolkitBitmap& PuzzleMaker::MakeWorkingPreview()
{
    if (!workingImage.isNull())
        imaging::copy(workingPreview, workingImage);
    return workingPreview;
}

const ToolkitBitmap& PuzzleMaker::MakePuzzlePreview()
{
    if (!puzzleImage.isNull())
        imaging::copy(puzzlePreview, puzzleImage);
    return puzzlePreview;
}
