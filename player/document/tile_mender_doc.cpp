#include "tile_mender_doc.h"

#include "crt_random.h"
#include "file_read.h"
#include "jpeg_decode.h"
#include "paths.h"
#include "piece_order.h"

#include <QFileInfo>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>
#include <future>
#include <new>
#include <system_error>
#include <tuple>

namespace {
// Runs `here` on this thread while `side` runs on a second core, or after it
// when no thread is to be had. Both results, in that order.
template <typename Here, typename Side>
std::pair<bool, bool> alongside(Here here, Side side)
{
    std::future<bool> helper;
    try {
        helper = std::async(std::launch::async, side);
    } catch (const std::system_error&) {
    }
    const bool first = here();
    const bool second = helper.valid() ? helper.get() : side();
    return {first, second};
}
} // namespace

CTileMenderDoc::CTileMenderDoc(PlayerState& state, QObject* parent)
    : QObject(parent), state_(state)
{
    // A tool may hold the document in a program without a screen (a plain
    // core application), where qGuiApp would be a wrong cast.
    if (const auto* gui = qobject_cast<const QGuiApplication*>(QCoreApplication::instance()))
        devicePixelRatio_ = gui->devicePixelRatio();
}

int CTileMenderDoc::pieceScaleFor(qreal ratio, qint64 picturePixels)
{
    // A piece's image stays within 2 x 2 cells, so all of them together hold
    // at most four times the picture's pixels, s * s times that at scale s.
    // Bounded to 128 MB: beyond it the screen gets coarser pieces drawn
    // larger rather than the player failing for memory.
    constexpr qint64 kMaxScaledPixels = 32ll * 1024 * 1024;
    int s = std::clamp(int(std::lround(ratio)), 1, 4);
    while (s > 1 && 4 * picturePixels * s * s > kMaxScaledPixels)
        --s;
    return s;
}

CTileMenderDoc::~CTileMenderDoc() = default;

QString CTileMenderDoc::savedGamePath(const QString& puzzlePath)
{
    // Linux has no short names: the name we were given is the long one.
    QString name = QFileInfo(puzzlePath).fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    name = dot < 0 ? QString() : name.left(dot);
    return paths::folderOf(puzzlePath) + name + QStringLiteral("0.sav");
}

TurnedPictures CTileMenderDoc::turnedPictures() const
{
    // Only the picture itself: pieces cut their turned images out of it, so
    // an open never waits for three turned copies of the whole picture.
    TurnedPictures t;
    t.byRotation[0] = &pictures_[0];
    return t;
}

const ToolkitBitmap& CTileMenderDoc::turnedPicture(int rotation) const
{
    const int t = rotation & 3;
    // Made when first asked for, once per picture.
    if (t != 0 && pictures_[t].isNull() && !pictures_[0].isNull())
        imaging::turnedCopy(pictures_[t], pictures_[0], 90 * t);
    return pictures_[t];
}

void CTileMenderDoc::rebuildPiece(CPiece& piece) const
{
    piece.buildOutline(cellSize_, piece.column, piece.row, pieceScale_);
    if (cutSource_)
        piece.deferImage(cutSource_);
    else
        piece.buildImage(turnedPictures(), cellSize_, columns_, rows_);
}

std::shared_ptr<const PieceCutSource> CTileMenderDoc::makeCutSource(const ToolkitBitmap& picture, int cellSize,
                                                                    int columns, int rows)
{
    auto source = std::make_shared<PieceCutSource>();
    source->picture = picture; // shares the pixels
    source->cellSize = cellSize;
    source->columns = columns;
    source->rows = rows;
    return source;
}

void CTileMenderDoc::readAhead(const QString& path, ReadAhead& out, bool decodePicture)
{
    out.path = path;
    QByteArray bytes;
    out.read = file_read::readWhole(path, puzzle_file::kMaxFileBytes, bytes);
    if (out.read != file_read::Result::Ok)
        return;
    out.parsed = puzzle_file::read(std::move(bytes), out.data);
    // Without the toolkit's image plugins, which may not be looked up yet;
    // what this does not decode the open decodes the toolkit's way.
    if (decodePicture && out.parsed == puzzle_file::ReadResult::Ok) {
        const QSize maxPicture(puzzle_file::kMaxPictureSide, puzzle_file::kMaxPictureSide);
        if (jpeg_decode::decode(out.data.picture, maxPicture, out.picture.image))
            out.picture.bitsPerPixel = 24;
    }
}

CTileMenderDoc::OpenResult CTileMenderDoc::open(const QString& path, QString* error)
{
    ReadAhead ahead;
    readAhead(path, ahead, false);
    return openReadAhead(ahead, error);
}

void CTileMenderDoc::dealAhead(ReadAhead& ahead, uint32_t seed, qreal devicePixelRatio)
{
    if (ahead.read != file_read::Result::Ok || ahead.parsed != puzzle_file::ReadResult::Ok)
        return;
    const PuzzleFileData& d = ahead.data;
    const qint64 pixels = qint64(d.columns) * d.cellSize * d.rows * d.cellSize;
    try {
        ahead.dealt = deal(d, seed, pieceScaleFor(devicePixelRatio, pixels));
    } catch (const std::bad_alloc&) {
        // On this thread it would end the program; the open deals for itself.
        ahead.dealt.reset();
    }
}

CTileMenderDoc::OpenResult CTileMenderDoc::openReadAhead(ReadAhead& ahead, QString* error)
{
    switch (ahead.read) {
    case file_read::Result::Ok:
        break;
    case file_read::Result::NotRegular:
    case file_read::Result::TooLarge:
        // A device, a pipe or a file larger than any puzzle: not one of ours.
        if (error)
            *error = tr("%1\nUnexpected file format.").arg(QFileInfo(ahead.path).fileName());
        return OpenResult::Failed;
    default:
        if (error)
            *error = tr("Cannot open the file %1.").arg(QFileInfo(ahead.path).fileName());
        return OpenResult::Failed;
    }
    // A picture that did not decode ahead is decoded again here, to fail
    // the open the same way.
    std::optional<Dealt> dealt = std::move(ahead.dealt);
    ahead.dealt.reset();
    return openParsed(ahead.parsed, ahead.data, ahead.picture.isNull() ? nullptr : &ahead.picture,
                      dealt ? &*dealt : nullptr, ahead.path, error);
}

CTileMenderDoc::OpenResult CTileMenderDoc::openData(const QByteArray& bytes, const QString& path,
                                                    QString* error)
{
    PuzzleFileData data;
    const puzzle_file::ReadResult parsed = puzzle_file::read(bytes, data);
    return openParsed(parsed, data, nullptr, nullptr, path, error);
}

CTileMenderDoc::OpenResult CTileMenderDoc::openParsed(puzzle_file::ReadResult parsed, const PuzzleFileData& data,
                                                      const ToolkitBitmap* decoded, Dealt* dealt,
                                                      const QString& path, QString* error)
{
    const QString shownName = QFileInfo(path).fileName();
    switch (parsed) {
    case puzzle_file::ReadResult::NotAPuzzle:
        // Quietly taken as opened, with the document as it was.
        path_ = path;
        return OpenResult::NotAPuzzle;
    case puzzle_file::ReadResult::Corrupt:
        if (error)
            *error = tr("%1\nUnexpected file format.").arg(shownName);
        return OpenResult::Failed;
    case puzzle_file::ReadResult::Ok:
        break;
    }

    Loaded next;
    const int scale = pieceScaleFor(devicePixelRatio_, qint64(data.columns) * data.cellSize * data.rows * data.cellSize);
    const int cutNow = piecesShown_ ? std::clamp(piecesShown_(data.cellSize), 1, kPiecesCutAtOpen) : kPiecesCutAtOpen;
    switch (build(data, decoded, dealt, scale, cutNow, next)) {
    case BuildResult::Built:
        break;
    case BuildResult::BadPicture:
        if (error)
            *error = tr("%1\nThe puzzle's picture cannot be read.").arg(shownName);
        return OpenResult::Failed;
    case BuildResult::OutOfMemory:
        if (error)
            *error = tr("%1\nThere is not enough memory to open this puzzle.").arg(shownName);
        return OpenResult::Failed;
    }

    // Only now, with everything made, does the old puzzle go.
    box_.clear();
    hasBoxList_ = true;
    columns_ = data.columns;
    rows_ = data.rows;
    cellSize_ = data.cellSize;
    pieceScale_ = scale;
    pictures_[0] = std::move(next.picture);
    cutSource_ = std::move(next.cutSource);
    for (int t = 1; t < 4; ++t)
        imaging::release(pictures_[t]);
    guide_ = std::move(next.guide);
    state_.rotationAllowed = data.rotationAllowed;
    box_.insertAll(0, std::move(next.box));
    path_ = path;
    emit documentChanged();
    return OpenResult::Opened;
}

CTileMenderDoc::Dealt CTileMenderDoc::deal(const PuzzleFileData& data, uint32_t seed, int scale)
{
    Dealt out;
    out.seed = seed;
    out.scale = scale;
    crt::Generator random(seed);
    // Rotations are drawn in file order before anything else draws.
    const int n = int(data.pieces.size());
    std::vector<PieceList::Ptr> made(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        auto& p = made[size_t(i)];
        p = std::make_unique<CPiece>();
        p->setRecord(data.pieces[size_t(i)]);
        p->rotation = data.rotationAllowed ? random.next() % 4 : 0;
        p->buildOutline(data.cellSize, i % data.columns, i / data.columns, scale);
    }
    // The piece at rand() % k of those left goes next, k from n down.
    PieceOrder left(n);
    out.box.reserve(size_t(n));
    for (int k = n; k >= 1; --k) {
        const int item = left.at(random.next() % k);
        left.remove(item);
        out.box.push_back(std::move(made[size_t(item)]));
    }
    out.stateAfter = random.state();
    return out;
}

CTileMenderDoc::BuildResult CTileMenderDoc::build(const PuzzleFileData& data, const ToolkitBitmap* decoded,
                                                  Dealt* dealt, int scale, int cutNow, Loaded& next)
{
    // A deal made ahead from another state would not be the one this
    // generator deals: it is only taken when it drew from here.
    if (dealt && dealt->seed != crt::state())
        dealt = nullptr;
    Dealt own;
    const auto dealHere = [&] {
        if (!dealt)
            own = deal(data, crt::state(), scale);
        return true;
    };

    // The picture is decoded straight from the file's bytes: nothing reads
    // a scratch copy of it, and a read-only program folder keeps working.
    // Its decode is most of an open's time, so a second core deals (which
    // needs no picture) meanwhile. The guide is only checked here and
    // decoded when first shown. The pieces are cut out of the picture
    // itself, turned as they lie.
    const QSize maxPicture(puzzle_file::kMaxPictureSide, puzzle_file::kMaxPictureSide);
    auto decode = [&] { return imaging::loadFromData(data.picture, next.picture, 24, maxPicture); };
    auto dealAndGuide = [&] { return dealHere() && next.guide.prepare(data.guide, maxPicture); };
    bool pictureOk = true, guideOk = true;
    if (decoded) {
        // Decoded ahead: nothing to go beside the deal, and a thread
        // started for it alone costs more than it saves.
        next.picture = *decoded; // shares the pixels
        guideOk = dealAndGuide();
    } else {
        std::tie(pictureOk, guideOk) = alongside(decode, dealAndGuide);
    }
    if (!pictureOk || !guideOk)
        return BuildResult::BadPicture;

    Dealt& taken = dealt ? *dealt : own;
    if (taken.scale != scale) {
        // Dealt ahead for another screen: the outlines are only asked for
        // until first drawn, so asking again costs little.
        for (const PieceList::Ptr& p : taken.box)
            p->buildOutline(data.cellSize, p->column, p->row, scale);
    }
    crt::srand(taken.stateAfter);
    const int n = int(taken.box.size());
    next.box = std::move(taken.box);

    // The head of the deal, what the column shows, is cut now, a half on
    // each core; a puzzle too large for memory fails here, in the open. The
    // rest are cut when first drawn: every piece cut up front would hold the
    // first paint up (and their memory) for pieces nobody sees yet.
    next.cutSource = makeCutSource(next.picture, data.cellSize, data.columns, data.rows);
    const int now = std::min(n, cutNow);
    TurnedPictures turned;
    turned.byRotation[0] = &next.picture;
    auto cut = [&](int from, int to) {
        for (int i = from; i < to; ++i)
            if (!next.box[size_t(i)]->buildImage(turned, data.cellSize, data.columns, data.rows))
                return false;
        return true;
    };
    const auto [firstHalfOk, secondHalfOk] =
        alongside([&] { return cut(0, now / 2); }, [&] { return cut(now / 2, now); });
    if (!firstHalfOk || !secondHalfOk)
        return BuildResult::OutOfMemory;
    for (int i = now; i < n; ++i)
        next.box[size_t(i)]->deferImage(next.cutSource);
    return BuildResult::Built;
}

bool CTileMenderDoc::OnNewDocument()
{
    box_.clear();
    hasBoxList_ = false;
    for (int t = 0; t < 4; ++t)
        imaging::release(pictures_[t]);
    cutSource_.reset();
    cellSize_ = 1;
    columns_ = 0;
    rows_ = 0;
    path_.clear();
    emit documentChanged();
    return true;
}

void CTileMenderDoc::Restart(RestartHost* host)
{
    state_.markModified();
    if (path_.isEmpty())
        return;
    finished = 0;
    if (host) {
        host->resetCurrentPieceAndClock();
        host->returnAllPiecesToBox();
    }

    // n times the piece at rand() % n goes to the head of the box.
    const int n = box_.size();
    PieceOrder order(n, n);
    for (int i = 0; i < n; ++i) {
        const int item = order.at(crt::rand() % n);
        if (state_.rotationAllowed) {
            CPiece* p = box_.at(item);
            p->rotation = crt::rand() % 4;
            rebuildPiece(*p);
        }
        order.moveToHead(item);
    }
    std::vector<PieceList::Ptr> old = box_.takeAll();
    std::vector<PieceList::Ptr> shuffled;
    shuffled.reserve(old.size());
    for (int item : order.items())
        shuffled.push_back(std::move(old[size_t(item)]));
    box_.insertAll(0, std::move(shuffled));
    if (host)
        host->boxReshuffled();
}
