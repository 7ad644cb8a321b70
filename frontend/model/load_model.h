#pragma once
// What the load window decides without drawing anything: where its slots
// lie, which entries a page shows, which slot is selected and hovered, where
// paging and deleting leave the user, and the file work of renaming and
// deleting a puzzle.

#include <QRect>
#include <QString>
#include <QStringList>

namespace load_model {

constexpr int kSlotsPerPage = 6;
constexpr int kSlotWidth = 137;
constexpr int kSlotHeight = 164;
// The top part of a slot the thumbnail is centred in; the texts lie below.
constexpr int kPictureHeight = 124;
constexpr int kNameTop = 120;
constexpr int kSizeBottom = 154;

// Slot 0 ... 5: three on a row, two rows.
QRect slotRect(int slot);

// Pages of six; one page even for an empty list.
int pageCount(int count);
// Entries shown on page `page` (counted from 1) of a list of `count`.
int entriesOnPage(int page, int count);
// The list index of a slot of a page.
inline int indexOf(int page, int slot) { return (page - 1) * kSlotsPerPage + slot; }

// The page, the selection and the hovered slot over a list of `count`
// entries. Changes return the slots whose frame must be drawn again.
class Pager {
public:
    explicit Pager(int count = 0) { setCount(count); }

    int page() const { return page_; }
    int pages() const { return pageCount(count_); }
    int count() const { return count_; }
    int selected() const { return selected_; }
    int hovered() const { return hovered_; }
    // The frame a slot shows: 0 normal, 1 hover, 2 selected.
    int frameOf(int slot) const;
    int selectedIndex() const { return indexOf(page_, selected_); }
    int entriesHere() const { return entriesOnPage(page_, count_); }
    // True when the selected slot holds an entry.
    bool hasSelection() const { return selected_ < entriesHere(); }

    // A fresh list: page 1, slot 0 selected.
    void setCount(int count);
    // Slot 0 selected, no slot hovered.
    void resetTracking();

    // The filled slot under `pos`, or -1.
    int slotAt(QPoint pos) const;

    // False when there is no page that way; then nothing changes.
    bool pageUp();
    bool pageDown();

    // A press on a filled slot selects it; the old and new selection need
    // their frames drawn again.
    QList<int> select(int slot);
    // The mouse over `slot` (-1: none) and whether it is still over the list.
    QList<int> hover(int slot, bool inListArea);

    // The entry at list index `index` is gone: the selection stays on a
    // filled slot and a page left empty gives way to the one before.
    void removed(int index);

private:
    int count_ = 0;
    int page_ = 1;
    int selected_ = 0;
    int hovered_ = -1; // -1: no slot shows the hover frame
};

// The data folder's spelling of `file` (any case), or the file as given
// when no spelling of it exists.
QString existingSpelling(const QString& folder, const QString& file);

// The four files of a puzzle, in every spelling present. Files that do not
// exist are skipped; the ones that could not be removed are returned.
QStringList deletePuzzleFiles(const QString& dataFolder, const QString& name);

enum class RenameResult {
    Renamed,
    PuzzleMissing,    // no puzzle file under the old name
    NameTaken,        // another puzzle has the new name
    ThumbnailMissing, // the puzzle file is there, its thumbnail is not
    Failed,           // the file system refused; nothing was renamed
};

// Gives the puzzle's files the new name: puzzle, thumbnail, saved game and
// package. Both the puzzle and its thumbnail are checked before anything
// moves, and a refused rename puts back what was already renamed, so the
// files never end up under two names.
RenameResult renamePuzzleFiles(const QString& dataFolder, const QString& oldName, const QString& newName,
                               QString* failedFile = nullptr);

} // namespace load_model
