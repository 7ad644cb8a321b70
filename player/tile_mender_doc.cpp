#include "tile_mender_doc.h"

#include "crt_random.h"
#include "paths.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

CTileMenderDoc::CTileMenderDoc(PlayerState& state, QObject* parent)
    : QObject(parent), state_(state)
{
}

CTileMenderDoc::~CTileMenderDoc() = default;

QString CTileMenderDoc::scratchPath()
{
    return paths::programFolder() + QStringLiteral("Nuvark_Puzzle.JPG");
}

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
    TurnedPictures t;
    for (int i = 0; i < 4; ++i)
        t.byRotation[i] = &pictures_[i];
    return t;
}

void CTileMenderDoc::rebuildPiece(CPiece& piece) const
{
    piece.buildOutline(cellSize_, piece.column, piece.row);
    piece.buildImage(turnedPictures(), cellSize_, columns_, rows_);
}

CTileMenderDoc::OpenResult CTileMenderDoc::open(const QString& path, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = tr("Cannot open the file %1.").arg(QFileInfo(path).fileName());
        return OpenResult::Failed;
    }
    constexpr qint64 kMaxPuzzleBytes = 512ll * 1024 * 1024;
    if (f.size() > kMaxPuzzleBytes) {
        if (error)
            *error = tr("%1\nUnexpected file format.").arg(QFileInfo(path).fileName());
        return OpenResult::Failed;
    }
    return openData(f.readAll(), path, error);
}

CTileMenderDoc::OpenResult CTileMenderDoc::openData(const QByteArray& bytes, const QString& path,
                                                    QString* error)
{
    const QString shownName = QFileInfo(path).fileName();
    PuzzleFileData data;
    switch (puzzle_file::read(bytes, data)) {
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

    // The pictures reach the decoder through the scratch file in the program's
    // folder; decoding the same bytes from memory keeps a read-only folder working.
    auto passThroughScratch = [](const QByteArray& picture) {
        QFile scratch(scratchPath());
        if (scratch.open(QIODevice::WriteOnly | QIODevice::Truncate))
            scratch.write(picture);
    };
    ToolkitBitmap picture, guide;
    passThroughScratch(data.picture);
    const bool pictureOk = imaging::loadFromData(data.picture, picture, 24);
    passThroughScratch(data.guide);
    const bool guideOk = imaging::loadFromData(data.guide, guide, 24);
    if (!pictureOk || !guideOk) {
        if (error)
            *error = tr("%1\nThe puzzle's picture cannot be read.").arg(shownName);
        return OpenResult::Failed;
    }

    apply(data, picture, guide);
    path_ = path;
    emit documentChanged();
    return OpenResult::Opened;
}

bool CTileMenderDoc::apply(PuzzleFileData& data, ToolkitBitmap& picture, ToolkitBitmap& guide)
{
    box_.clear();
    hasBoxList_ = true;
    columns_ = data.columns;
    rows_ = data.rows;
    cellSize_ = data.cellSize;

    pictures_[0] = std::move(picture);
    for (int t = 1; t < 4; ++t) {
        imaging::copy(pictures_[t], pictures_[0]);
        imaging::turn(pictures_[t], 90 * t);
    }
    guide_ = std::move(guide);
    state_.rotationAllowed = data.rotationAllowed;

    PieceList dealt;
    for (int i = 0; i < int(data.pieces.size()); ++i) {
        auto p = std::make_unique<CPiece>();
        p->setRecord(data.pieces[size_t(i)]);
        p->rotation = state_.rotationAllowed ? crt::rand() % 4 : 0;
        p->buildOutline(cellSize_, i % columns_, i / columns_);
        dealt.append(std::move(p));
    }
    const TurnedPictures turned = turnedPictures();
    for (const auto& p : dealt)
        p->buildImage(turned, cellSize_, columns_, rows_);

    for (int k = dealt.size(); k >= 1; --k)
        box_.append(dealt.take(crt::rand() % k));
    return true;
}

bool CTileMenderDoc::OnNewDocument()
{
    box_.clear();
    hasBoxList_ = false;
    for (int t = 0; t < 4; ++t)
        imaging::release(pictures_[t]);
    cellSize_ = 1;
    columns_ = 0;
    rows_ = 0;
    path_.clear();
    emit documentChanged();
    return true;
}

void CTileMenderDoc::Restart(RestartHost* host)
{
    state_.modified = 1;
    if (path_.isEmpty())
        return;
    finished = 0;
    if (host) {
        host->resetCurrentPieceAndClock();
        host->returnAllPiecesToBox();
    }

    const int n = box_.size();
    for (int i = 0; i < n; ++i) {
        const int at = crt::rand() % n;
        if (state_.rotationAllowed) {
            CPiece* p = box_.at(at);
            p->rotation = crt::rand() % 4;
            rebuildPiece(*p);
        }
        box_.prepend(box_.take(at));
    }
    if (host)
        host->boxReshuffled();
}
