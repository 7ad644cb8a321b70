#pragma once
// The puzzle being played: its grid, the picture (its turned copies made only
// when asked for: pieces are cut from the picture itself), the guide picture, and the box of pieces not yet on the board or in a
// tray. Opening a file deals the pieces; Restart takes them back and deals again.

#include "deferred_picture.h"
#include "file_read.h"
#include "imaging.h"
#include "piece_list.h"
#include "player_state.h"
#include "puzzle_file.h"

#include <QObject>
#include <QString>

#include <optional>

// What Restart needs from the windows around the document.
class RestartHost {
public:
    virtual ~RestartHost() = default;
    // Forget the current piece and start the clock again from zero.
    virtual void resetCurrentPieceAndClock() = 0;
    // Close every tray and clear the board; their pieces come back to the box.
    virtual void returnAllPiecesToBox() = 0;
    // The box was reshuffled: scroll the strip to the top and repaint.
    virtual void boxReshuffled() = 0;
};

class CTileMenderDoc : public QObject {
    Q_OBJECT
public:
    enum class OpenResult {
        Opened,     // the puzzle was read and dealt
        NotAPuzzle, // the file is not a puzzle: nothing changed, the open still counts
        Failed,     // unreadable or damaged: nothing changed, the user was told
    };

    explicit CTileMenderDoc(PlayerState& state, QObject* parent = nullptr);
    ~CTileMenderDoc() override;

    // Reads a puzzle file. On failure the document keeps what it had and
    // `error` (when given) says why, in words for the user.
    OpenResult open(const QString& path, QString* error = nullptr);
    // Opening from bytes already read (tests, and files dropped from memory).
    OpenResult openData(const QByteArray& bytes, const QString& path, QString* error = nullptr);

    // What open() reads and decodes before it changes anything, done ahead
    // on any thread, even before the application object exists (the
    // player's start does it while the application connects to the
    // display). Opening it is open() of that path with the file as it was
    // read.
    // The pieces made, turned and dealt from one state of the generator,
    // their outlines asked for at one scale: all of an open that needs
    // neither the picture nor the toolkit, so it can be made ahead too.
    struct Dealt {
        uint32_t seed = 0;       // the generator's state the deal drew from
        uint32_t stateAfter = 0; // where it left the generator
        int scale = 1;
        std::vector<PieceList::Ptr> box;
    };
    static Dealt deal(const PuzzleFileData& data, uint32_t seed, int scale);

    struct ReadAhead {
        QString path;
        file_read::Result read = file_read::Result::Failed;
        puzzle_file::ReadResult parsed = puzzle_file::ReadResult::Corrupt;
        PuzzleFileData data;
        ToolkitBitmap picture; // null when not decoded or not decodable
        // Made ahead from a seed; the open takes it only when the generator
        // stands at that seed, and deals for itself otherwise.
        std::optional<Dealt> dealt;
    };
    static void readAhead(const QString& path, ReadAhead& out, bool decodePicture = true);
    // Deals what was read ahead, for a screen of that many device pixels to
    // each of ours (a guess, before the application knows its screens; the
    // open corrects the outlines of a wrong one).
    static void dealAhead(ReadAhead& ahead, uint32_t seed, qreal devicePixelRatio);
    // Takes the deal made ahead, if any.
    OpenResult openReadAhead(ReadAhead& ahead, QString* error = nullptr);
    // An empty document: no pieces, no turned pictures, cell size 1, grid 0 x 0.
    bool OnNewDocument();
    void Restart(RestartHost* host);

    // The path of the open puzzle, empty when none was opened.
    QString pathName() const { return path_; }
    // The saved game that belongs to a puzzle path: folder + name before its
    // last "." + "0.sav".
    static QString savedGamePath(const QString& puzzlePath);

    PieceList& boxList() { return box_; }
    const PieceList& boxList() const { return box_; }
    bool hasBoxList() const { return hasBoxList_; }
    int32_t finished = 0;
    int columns() const { return columns_; }
    int rows() const { return rows_; }
    int cellSize() const { return cellSize_; }
    const ToolkitBitmap& picture() const { return pictures_[0]; }
    // The picture turned that many quarter turns clockwise.
    const ToolkitBitmap& turnedPicture(int rotation) const;
    // The guide's size is known at open; its pixels are decoded when first
    // asked for (null if they turn out damaged).
    QSize guideSize() const { return guide_.size(); }
    const ToolkitBitmap& guidePicture() const { return guide_.picture(); }
    // How many pieces of the deal get their images in the open itself, at
    // most: the rest are cut when first drawn.
    static constexpr int kPiecesCutAtOpen = 96;
    // How many pieces of a puzzle with cells this large the column shows at
    // once; only those are cut in the open (kPiecesCutAtOpen at most), so
    // that the first paint waits for no piece it does not show.
    void setPiecesShownAtOnce(int (*shown)(int cellSize)) { piecesShown_ = shown; }
    TurnedPictures turnedPictures() const;
    PlayerState& state() { return state_; }

    // Rebuilds a piece's outline and image for its current rotation.
    void rebuildPiece(CPiece& piece) const;

    // The screen's device pixels to each of ours (the highest of all screens
    // when the document is made); pieces of the next open are cut for it.
    void setDevicePixelRatio(qreal ratio) { devicePixelRatio_ = ratio; }
    // The scale the open puzzle's pieces are cut at.
    int pieceScale() const { return pieceScale_; }
    // The whole scale nearest the ratio, lowered until the pieces of a
    // picture of that many pixels stay within a bounded memory.
    static int pieceScaleFor(qreal devicePixelRatio, qint64 picturePixels);

signals:
    // A puzzle was opened or the document emptied: views lay themselves out anew.
    void documentChanged();

private:
    // What an open makes before anything of the old puzzle is let go.
    struct Loaded {
        ToolkitBitmap picture;
        DeferredPicture guide;
        std::shared_ptr<const PieceCutSource> cutSource;
        std::vector<PieceList::Ptr> box; // dealt
    };
    static std::shared_ptr<const PieceCutSource> makeCutSource(const ToolkitBitmap& picture, int cellSize,
                                                               int columns, int rows);
    enum class BuildResult { Built, BadPicture, OutOfMemory };
    // The pictures and every piece, dealt.
    // `decoded` is the picture decoded ahead, or null to decode it here.
    // `dealt` is a deal made ahead, taken when it drew from the generator's
    // present state.
    static BuildResult build(const PuzzleFileData& data, const ToolkitBitmap* decoded, Dealt* dealt, int scale,
                             int cutNow, Loaded& next);
    OpenResult openParsed(puzzle_file::ReadResult parsed, const PuzzleFileData& data, const ToolkitBitmap* decoded,
                          Dealt* dealt, const QString& path, QString* error);

    PlayerState& state_;
    PieceList box_;
    bool hasBoxList_ = false;
    int columns_ = 0;
    int rows_ = 0;
    int cellSize_ = 1;
    qreal devicePixelRatio_ = 1;
    int pieceScale_ = 1;
    int (*piecesShown_)(int cellSize) = nullptr;
    // As stored, then turned 90, 180, 270 degrees clockwise; the turns only
    // once someone asks for them.
    mutable ToolkitBitmap pictures_[4];
    // What this puzzle's pieces cut their images from; null before the first open.
    std::shared_ptr<const PieceCutSource> cutSource_;
    DeferredPicture guide_;
    QString path_;
};
