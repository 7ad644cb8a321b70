#include "saved_game.h"

#include "archive.h"
#include "file_write.h"
#include "tray_number_pool.h"

#include <QBuffer>

#include <algorithm>
#include <set>

namespace saved_game {
namespace {

const QByteArray kMagic = QByteArrayLiteral("SA02");
// The smallest tray record: number, placement and a piece count of 0.
constexpr size_t kMinTrayBytes = 4 + kPlacementBytes + 4;

// A damaged file: read() turns it into ReadResult::Damaged with the reason.
struct Damage {
    const char* why;
};

// A count, checked against what remains before anyone loops over it.
uint32_t readCount(ArchiveReader& ar, size_t recordBytes)
{
    const int32_t n = ar.readInt32();
    if (n < 0)
        throw Damage{"negative count"};
    if (uint64_t(n) * recordBytes > ar.remaining())
        throw Damage{"count beyond the end of the file"};
    return uint32_t(n);
}

int32_t coordinate(ArchiveReader& ar)
{
    const int32_t v = ar.readInt32();
    if (v <= -kCoordinateLimit || v >= kCoordinateLimit)
        throw Damage{"coordinate out of range"};
    return v;
}

int32_t rotation(ArchiveReader& ar)
{
    const int32_t q = ar.readInt32();
    if (q < 0 || q > 3)
        throw Damage{"rotation out of range"};
    return q;
}

int32_t flag(ArchiveReader& ar) { return ar.readInt32() != 0 ? 1 : 0; }

WindowPlacement readPlacement(ArchiveReader& ar)
{
    WindowPlacement w;
    w.length = ar.readInt32();
    if (w.length != WindowPlacement::kLength)
        throw Damage{"placement record of the wrong length"};
    w.flags = ar.readInt32();
    w.showCmd = ar.readInt32();
    w.minPosition.setX(coordinate(ar));
    w.minPosition.setY(coordinate(ar));
    w.maxPosition.setX(coordinate(ar));
    w.maxPosition.setY(coordinate(ar));
    w.left = coordinate(ar);
    w.top = coordinate(ar);
    w.right = coordinate(ar);
    w.bottom = coordinate(ar);
    if (w.right < w.left || w.bottom < w.top)
        throw Damage{"placement rectangle turned inside out"};
    return w;
}

PieceEntry readPiece(ArchiveReader& ar)
{
    PieceEntry p;
    p.column = ar.readInt32();
    p.row = ar.readInt32();
    p.rotation = rotation(ar);
    p.x = coordinate(ar);
    p.y = coordinate(ar);
    p.fixed = flag(ar);
    return p;
}

// A count of piece records: no tray, board or box holds more pieces than
// the puzzle has. (Records naming a piece twice, or none, are passed over
// when the game is put back, so the counts together may exceed it.)
uint32_t readPieceCount(ArchiveReader& ar, size_t recordBytes, int pieces)
{
    const uint32_t n = readCount(ar, recordBytes);
    if (n > uint32_t(pieces))
        throw Damage{"more pieces than the puzzle has"};
    return n;
}

std::vector<PieceEntry> readPieces(ArchiveReader& ar, int pieces)
{
    const uint32_t n = readPieceCount(ar, kPieceBytes, pieces);
    std::vector<PieceEntry> out;
    out.reserve(n);
    for (uint32_t i = 0; i < n; ++i)
        out.push_back(readPiece(ar));
    return out;
}

void writePlacement(ArchiveWriter& ar, const WindowPlacement& w)
{
    ar.writeInt32(w.length);
    ar.writeInt32(w.flags);
    ar.writeInt32(w.showCmd);
    ar.writeInt32(w.minPosition.x());
    ar.writeInt32(w.minPosition.y());
    ar.writeInt32(w.maxPosition.x());
    ar.writeInt32(w.maxPosition.y());
    ar.writeInt32(w.left);
    ar.writeInt32(w.top);
    ar.writeInt32(w.right);
    ar.writeInt32(w.bottom);
}

void writePieces(ArchiveWriter& ar, const std::vector<PieceEntry>& pieces)
{
    ar.writeInt32(int32_t(pieces.size()));
    for (const PieceEntry& p : pieces) {
        ar.writeInt32(p.column);
        ar.writeInt32(p.row);
        ar.writeInt32(p.rotation);
        ar.writeInt32(p.x);
        ar.writeInt32(p.y);
        ar.writeInt32(p.fixed);
    }
}

bool writeTo(QIODevice* device, const SavedGame& g)
{
    ArchiveWriter ar(device);
    ar.writeBlock(kMagic);
    ar.writeInt32(g.elapsed);
    ar.writeInt32(g.finished);
    ar.writeInt32(g.backgroundOption);
    ar.writeInt32(g.soundOption);

    ar.writeInt32(g.nextTrayX);
    ar.writeInt32(g.nextTrayY);
    ar.writeInt32(g.nextMinimizedTrayY);
    ar.writeInt32(int32_t(g.trays.size()));
    for (const TrayEntry& t : g.trays) {
        ar.writeInt32(t.number);
        writePlacement(ar, t.placement);
        writePieces(ar, t.pieces);
    }
    writePieces(ar, g.board);
    ar.writeInt32(int32_t(g.trayTable.size()));
    for (int32_t f : g.trayTable)
        ar.writeInt32(f);

    ar.writeInt32(int32_t(g.box.size()));
    for (const BoxEntry& b : g.box) {
        ar.writeInt32(b.column);
        ar.writeInt32(b.row);
        ar.writeInt32(b.rotation);
        ar.writeInt32(b.fixed);
    }
    ar.writeInt32(g.maximumScroll);
    ar.writeInt32(g.scrollPosition);
    return ar.flush();
}

} // namespace

ReadResult read(const QByteArray& bytes, SavedGame& out, QString* why, int pieces)
{
    auto fail = [why](const char* text) {
        if (why)
            *why = QString::fromLatin1(text);
        return ReadResult::Damaged;
    };
    // A file too short for the magic is passed over like one with another magic.
    if (!bytes.startsWith(kMagic)) {
        if (why)
            *why = QStringLiteral("not a saved game");
        return ReadResult::NotASavedGame;
    }

    ArchiveReader ar(bytes);
    SavedGame g;
    try {
        ar.readBlock(size_t(kMagic.size()));
        g.elapsed = ar.readInt32();
        g.finished = flag(ar);
        g.backgroundOption = flag(ar);
        g.soundOption = flag(ar);

        g.nextTrayX = coordinate(ar);
        g.nextTrayY = coordinate(ar);
        g.nextMinimizedTrayY = coordinate(ar);
        pieces = std::max(pieces, 0);
        const uint32_t trays = readCount(ar, kMinTrayBytes);
        if (trays > uint32_t(CTrayNumberPool::kMaxTrays))
            throw Damage{"more trays than a player can open"};
        g.trays.reserve(trays);
        for (uint32_t i = 0; i < trays; ++i) {
            TrayEntry t;
            t.number = ar.readInt32();
            t.placement = readPlacement(ar);
            t.pieces = readPieces(ar, pieces);
            g.trays.push_back(std::move(t));
        }
        g.board = readPieces(ar, pieces);
        const uint32_t capacity = readCount(ar, 4);
        if (capacity > uint32_t(CTrayNumberPool::kMaxTableEntries))
            throw Damage{"tray table longer than any player makes"};
        g.trayTable.reserve(capacity);
        for (uint32_t i = 0; i < capacity; ++i)
            g.trayTable.push_back(flag(ar));

        const uint32_t box = readPieceCount(ar, kBoxBytes, pieces);
        g.box.reserve(box);
        for (uint32_t i = 0; i < box; ++i) {
            BoxEntry b;
            b.column = ar.readInt32();
            b.row = ar.readInt32();
            b.rotation = rotation(ar);
            b.fixed = flag(ar);
            g.box.push_back(b);
        }
        g.maximumScroll = ar.readInt32();
        g.scrollPosition = ar.readInt32();
        if (g.maximumScroll < 0 || g.scrollPosition < 0)
            return fail("negative scroll value");
    } catch (const ArchiveError&) {
        return fail("unexpected end of file");
    } catch (const Damage& d) {
        return fail(d.why);
    }

    // Two trays of one number would show one title twice, and a number the
    // table calls free would be handed to a third tray later on.
    std::set<int32_t> numbers;
    for (const TrayEntry& t : g.trays) {
        if (t.number < 0 || size_t(t.number) >= g.trayTable.size() || !g.trayTable[size_t(t.number)])
            return fail("tray number not in the table");
        if (!numbers.insert(t.number).second)
            return fail("tray named twice");
    }

    out = std::move(g);
    return ReadResult::Ok;
}

QByteArray write(const SavedGame& game)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    writeTo(&buffer, game);
    buffer.close();
    return bytes;
}

bool writeFile(const QString& path, const SavedGame& game, QString* error)
{
    // Written whole beside the old file and renamed over it: a full disk or
    // a kill never leaves a cut-off game in its place.
    int code = 0;
    if (file_write::replace(path, write(game), &code))
        return true;
    if (error)
        *error = file_write::reason(code);
    return false;
}

} // namespace saved_game
