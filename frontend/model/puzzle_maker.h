#pragma once
// The engine of the creator: holds the picture the user chose, cuts it into
// a grid of interlocking pieces at a level, shades the picture along every
// outline, and writes the puzzle's files (puzzle file, thumbnail, library
// entry) into the suite's folders. It asks and shows through MakerUi only,
// so it runs the same under the windows and the command line.

#include "imaging.h"
#include "library_file.h"
#include "piece.h"
#include "suite_folders.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class GuideAhead;
class MakerUi;

class PuzzleMaker {
public:
    enum Level { Easy = 0, Normal = 1, Hard = 2, Custom = 3 };
    // The largest grid we make: what the player agrees to open.
    static constexpr int kMaxSide = 2048;
    static constexpr int kMaxPieces = 10000;

    explicit PuzzleMaker(SuiteFolders folders);
    PuzzleMaker(const PuzzleMaker&) = delete;
    PuzzleMaker& operator=(const PuzzleMaker&) = delete;
    ~PuzzleMaker();

    int32_t columns = 5;
    int32_t rows = 5;
    int32_t pieceSize = 64;
    // Absent pictures are null bitmaps.
    ToolkitBitmap workingImage;
    ToolkitBitmap puzzleImage;
    ToolkitBitmap workingPreview;
    ToolkitBitmap puzzlePreview;
    // Row-major: index = row * columns + column.
    std::vector<std::unique_ptr<CPiece>> pieces;
    int32_t rotation = 1;

    const SuiteFolders& folders() const { return folders_; }
    // What went wrong in the last operation that returned false, in words
    // for the user; empty after a cancel or a No.
    const QString& lastError() const { return error_; }

    // Loads a picture file, fitted and passed through the scratch JPEG, as
    // the working picture. On failure the working picture is absent.
    bool LoadFromPath(const QString& path);
    // Takes a picture obtained another way (a scan), fitted and normalised.
    bool LoadFromPicture(ToolkitBitmap picture);

    // Grid, puzzle picture, pieces and shading for a level. False (nothing
    // changed) for a cancelled custom level, a level out of range or no
    // working picture.
    bool PrepareLevel(int level, MakerUi& ui);
    void SetRotation(int flag) { rotation = flag != 0 ? 1 : 0; }

    // Writes name.puz, name.bmp and the library entry, and removes the
    // puzzle's old saved game, all or nothing: killed at any point, it
    // leaves the old puzzle as it was or the new one whole (the next start
    // finishes what a kill cut short). False when declined (lastError
    // empty) or when something could not be written (lastError says what).
    bool WritePuzzle(const QString& name, MakerUi& ui);
    // The files the last successful WritePuzzle wrote.
    const QStringList& writtenFiles() const { return written_; }

    // A 24-bit BMP of the working picture with its longer side 100 pixels;
    // nothing without a working picture.
    bool WriteThumbnail(const QString& path) const;
    static QSize thumbnailSize(QSize picture);
    // The thumbnail of any picture as the BMP file's bytes; empty for none.
    static QByteArray thumbnailOf(const ToolkitBitmap& picture);

    // A fresh copy of the source picture when there is one; else the old
    // copy, which may be absent.
    const ToolkitBitmap& MakeWorkingPreview();
    const ToolkitBitmap& MakePuzzlePreview();

    LibraryFile library() const { return LibraryFile(folders_.libraryFile); }
    QString puzzlePath(const QString& name) const { return folders_.data + name + QStringLiteral(".puz"); }

private:
    bool chooseGrid(int level, MakerUi& ui, int& c, int& r, int& cell);
    bool encodeThroughScratch(const ToolkitBitmap& picture, QByteArray& bytes);
    bool checkWritable(const QString& name);
    QByteArray thumbnailBytes() const;
    bool writeFiles(const QString& name, const QByteArray& puzzle, const QByteArray& thumbnail);
    bool failed(const QString& why);

    SuiteFolders folders_;
    std::unique_ptr<GuideAhead> guideAhead_;
    QString error_;
    QStringList written_;
};
