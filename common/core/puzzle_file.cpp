#include "puzzle_file.h"

#include "archive.h"
#include "file_read.h"

#include <QSaveFile>

namespace puzzle_file {
namespace {

const QByteArray kClassName = QByteArrayLiteral("CPiece");
constexpr uint16_t kSchema = 0;
// Bytes of one later object in the list: its tag and 14 words.
constexpr size_t kMinObjectBytes = 2 + PieceRecord::kFields * 4;

void fail(QString* why, const char* text)
{
    if (why)
        *why = QString::fromLatin1(text);
}

} // namespace

bool recordInRange(const PieceRecord& r, int a)
{
    auto kind = [](int32_t k) { return k >= -1 && k <= 1; };
    // In 64 bits: a hostile value times four must not wrap into range.
    auto offset = [a](int32_t d) { return 4 * qint64(d) >= -a && 4 * qint64(d) <= a; };
    auto diameter = [a](int32_t d) { return d >= 0 && 2 * qint64(d) <= a; };
    return kind(r.topKind) && kind(r.bottomKind) && kind(r.leftKind) && kind(r.rightKind)
        && diameter(r.lrDiameter) && diameter(r.tbDiameter)
        && offset(r.topDx) && offset(r.topDy) && offset(r.bottomDx) && offset(r.bottomDy)
        && offset(r.leftDx) && offset(r.leftDy) && offset(r.rightDx) && offset(r.rightDy);
}

// The magic and the grid, which both readers check the same way.
static ReadResult readHead(ArchiveReader& ar, PuzzleFileData& d, QString* why)
{
    try {
        if (ar.readByte() != 'P' || ar.readByte() != 'U') {
            fail(why, "not a puzzle file");
            return ReadResult::NotAPuzzle;
        }
    } catch (const ArchiveError&) {
        // Too short to hold even the magic: the archive ends early.
        fail(why, "unexpected end of file");
        return ReadResult::Corrupt;
    }
    d.columns = ar.readInt32();
    d.rows = ar.readInt32();
    d.cellSize = ar.readInt32();
    if (d.columns < 1 || d.rows < 1 || d.cellSize < 1 || d.cellSize > kMaxCellSize
        || qint64(d.columns) * d.cellSize > kMaxSide || qint64(d.rows) * d.cellSize > kMaxSide) {
        fail(why, "grid out of range");
        return ReadResult::Corrupt;
    }
    if (qint64(d.columns) * d.rows > kMaxPieces) {
        fail(why, "too many pieces");
        return ReadResult::Corrupt;
    }
    return ReadResult::Ok;
}

// Everything but the picture, whose place in `bytes` is given instead.
static ReadResult readAllButPicture(const QByteArray& bytes, PuzzleFileData& d, size_t& pictureAt,
                                    size_t& pictureSize, QString* why)
{
    ArchiveReader ar(bytes);
    try {
        if (const ReadResult head = readHead(ar, d, why); head != ReadResult::Ok)
            return head;
        pictureSize = ar.readUInt32();
        pictureAt = ar.skipBlock(pictureSize);
        d.guide = ar.readBlock(ar.readUInt32());
        d.rotationAllowed = ar.readInt32() != 0 ? 1 : 0;

        const uint32_t count = ar.readCount();
        if (qint64(count) != qint64(d.columns) * d.rows) {
            fail(why, "piece count does not match the grid");
            return ReadResult::Corrupt;
        }
        if (count > 0 && (count - 1) * kMinObjectBytes + 10 > ar.remaining()) {
            fail(why, "piece list longer than the file");
            return ReadResult::Corrupt;
        }
        d.pieces.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            ar.readObjectTag(i == 0, kSchema, kClassName);
            d.pieces.push_back(CPiece::readRecord(ar));
            if (!recordInRange(d.pieces.back(), d.cellSize)) {
                fail(why, "piece record out of range");
                return ReadResult::Corrupt;
            }
        }
    } catch (const ArchiveError& e) {
        fail(why, e.what());
        return ReadResult::Corrupt;
    }
    return ReadResult::Ok;
}

ReadResult read(const QByteArray& bytes, PuzzleFileData& out, QString* why)
{
    PuzzleFileData d;
    size_t at = 0, size = 0;
    if (const ReadResult r = readAllButPicture(bytes, d, at, size, why); r != ReadResult::Ok)
        return r;
    d.picture = bytes.mid(qsizetype(at), qsizetype(size));
    out = std::move(d);
    return ReadResult::Ok;
}

ReadResult read(QByteArray&& bytes, PuzzleFileData& out, QString* why)
{
    PuzzleFileData d;
    size_t at = 0, size = 0;
    const ReadResult r = readAllButPicture(bytes, d, at, size, why);
    QByteArray whole = std::move(bytes);
    if (r != ReadResult::Ok)
        return r;
    // Not shared, so dropping the front only moves where the array starts
    // and the end is cut off in place: no byte of the picture is copied.
    whole.truncate(qsizetype(at + size));
    whole.remove(0, qsizetype(at));
    d.picture = std::move(whole);
    out = std::move(d);
    return ReadResult::Ok;
}

ReadResult readFile(const QString& path, PuzzleFileData& out, QString* why)
{
    QByteArray bytes;
    if (file_read::readWhole(path, kMaxFileBytes, bytes, why) != file_read::Result::Ok)
        return ReadResult::Corrupt;
    return read(std::move(bytes), out, why);
}

// The head and the picture's length, refused when no puzzle's picture is that long.
static ReadResult readPictureLength(ArchiveReader& ar, uint32_t& size, QString* why)
{
    PuzzleFileData d;
    try {
        if (const ReadResult r = readHead(ar, d, why); r != ReadResult::Ok)
            return r;
        size = ar.readUInt32();
    } catch (const ArchiveError& e) {
        fail(why, e.what());
        return ReadResult::Corrupt;
    }
    if (size > kMaxPictureBytes) {
        fail(why, "picture larger than a puzzle holds");
        return ReadResult::Corrupt;
    }
    return ReadResult::Ok;
}

ReadResult readPicture(const QByteArray& head, QByteArray& picture, QString* why)
{
    ArchiveReader ar(head);
    uint32_t size = 0;
    if (const ReadResult r = readPictureLength(ar, size, why); r != ReadResult::Ok)
        return r;
    try {
        picture = ar.readBlock(size);
    } catch (const ArchiveError& e) {
        fail(why, e.what());
        return ReadResult::Corrupt;
    }
    return ReadResult::Ok;
}

ReadResult readPictureFile(const QString& path, QByteArray& picture, QString* why)
{
    // The magic, three words of grid and the picture's length come first;
    // only once they pass is as much read as the length says.
    constexpr qint64 kHeadBytes = 2 + 4 * 4;
    QByteArray bytes;
    if (file_read::readStart(path, kHeadBytes, bytes, why) != file_read::Result::Ok)
        return ReadResult::Corrupt;
    ArchiveReader ar(bytes);
    uint32_t size = 0;
    if (const ReadResult r = readPictureLength(ar, size, why); r != ReadResult::Ok)
        return r;
    if (file_read::readStart(path, kHeadBytes + size, bytes, why) != file_read::Result::Ok)
        return ReadResult::Corrupt;
    // Read again whole: the file may have changed in between.
    return readPicture(bytes, picture, why);
}

bool write(QIODevice* device, const PuzzleFileData& d)
{
    ArchiveWriter ar(device);
    ar.writeByte('P');
    ar.writeByte('U');
    ar.writeInt32(d.columns);
    ar.writeInt32(d.rows);
    ar.writeInt32(d.cellSize);
    ar.writeUInt32(uint32_t(d.picture.size()));
    ar.writeBlock(d.picture);
    ar.writeUInt32(uint32_t(d.guide.size()));
    ar.writeBlock(d.guide);
    ar.writeInt32(d.rotationAllowed);
    ar.writeCount(uint32_t(d.pieces.size()));
    bool first = true;
    for (const PieceRecord& r : d.pieces) {
        ar.writeObjectTag(first, kSchema, kClassName);
        first = false;
        CPiece p;
        p.setRecord(r);
        p.serialize(ar);
    }
    return ar.flush();
}

bool writeFile(const QString& path, const PuzzleFileData& d)
{
    QSaveFile f(path);
    // Unbuffered, so a short write (a full disk) is seen before the rename
    // replaces the old file.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (!write(&f, d))
        return false;
    return f.commit();
}

} // namespace puzzle_file
