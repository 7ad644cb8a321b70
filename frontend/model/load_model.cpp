#include "load_model.h"

#include "puzzle_names.h"

#include <QFile>
#include <QFileInfo>

#include <utility>
#include <vector>

namespace load_model {

QRect slotRect(int slot)
{
    const int column = slot % 3;
    const int top = slot < 3 ? 136 : 335;
    return QRect(45 + 145 * column, top, kSlotWidth, kSlotHeight);
}

int pageCount(int count)
{
    if (count <= 0)
        return 1;
    return count / kSlotsPerPage + (count % kSlotsPerPage > 0 ? 1 : 0);
}

int entriesOnPage(int page, int count)
{
    if (count <= 0 || page < 1 || page > pageCount(count))
        return 0;
    if (page < pageCount(count))
        return kSlotsPerPage;
    const int rest = count % kSlotsPerPage;
    return rest == 0 ? kSlotsPerPage : rest;
}

void Pager::setCount(int count)
{
    count_ = std::max(0, count);
    page_ = 1;
    resetTracking();
}

void Pager::resetTracking()
{
    selected_ = 0;
    hovered_ = -1;
}

int Pager::frameOf(int slot) const
{
    if (slot == selected_)
        return 2;
    return slot == hovered_ ? 1 : 0;
}

int Pager::slotAt(QPoint pos) const
{
    const int filled = entriesHere();
    for (int slot = 0; slot < filled; ++slot)
        if (slotRect(slot).contains(pos))
            return slot;
    return -1;
}

bool Pager::pageUp()
{
    if (page_ <= 1)
        return false;
    --page_;
    resetTracking();
    return true;
}

bool Pager::pageDown()
{
    if (page_ >= pages())
        return false;
    ++page_;
    resetTracking();
    return true;
}

QList<int> Pager::select(int slot)
{
    if (slot < 0 || slot >= entriesHere() || slot == selected_)
        return {};
    QList<int> redraw{selected_, slot};
    selected_ = slot;
    return redraw;
}

QList<int> Pager::hover(int slot, bool inListArea)
{
    QList<int> redraw;
    if (slot < 0) {
        // Between slots the hover stays; off the list it goes.
        if (!inListArea && hovered_ >= 0) {
            redraw << hovered_;
            hovered_ = -1;
        }
        return redraw;
    }
    if (slot == hovered_)
        return redraw;
    if (hovered_ >= 0)
        redraw << hovered_;
    redraw << slot;
    hovered_ = slot;
    return redraw;
}

void Pager::removed(int index)
{
    if (index < 0 || index >= count_)
        return;
    const bool wasLast = index == count_ - 1;
    --count_;
    if (wasLast)
        resetTracking();
    // The last page lost its only entry: show the one before.
    if (page_ > 1 && indexOf(page_, 0) >= count_)
        --page_;
    if (hovered_ >= entriesHere())
        hovered_ = -1;
}

QString existingSpelling(const QString& folder, const QString& file)
{
    if (QFileInfo::exists(folder + file))
        return folder + file;
    const QStringList found = puzzle_names::spellingsOf(folder, file);
    return found.isEmpty() ? folder + file : folder + found.first();
}

namespace {

const char* const kSuffixes[] = {".puz", ".bmp", "0.sav", "Puz.run"};

} // namespace

QStringList deletePuzzleFiles(const QString& dataFolder, const QString& name)
{
    QStringList failed;
    // An entry without a name has no files: ".puz" alone is nobody's puzzle.
    if (name.isEmpty())
        return failed;
    for (const char* suffix : kSuffixes)
        for (const QString& file : puzzle_names::spellingsOf(dataFolder, name + QLatin1String(suffix)))
            if (!QFile::remove(dataFolder + file))
                failed << dataFolder + file;
    return failed;
}

RenameResult renamePuzzleFiles(const QString& dataFolder, const QString& oldName, const QString& newName,
                               QString* failedFile)
{
    const auto spelling = [&](const QString& name, const char* suffix) {
        const QStringList found = puzzle_names::spellingsOf(dataFolder, name + QLatin1String(suffix));
        if (found.contains(name + QLatin1String(suffix)))
            return name + QLatin1String(suffix);
        return found.isEmpty() ? QString() : found.first();
    };
    if (oldName.isEmpty() || spelling(oldName, ".puz").isEmpty())
        return RenameResult::PuzzleMissing;
    // "cat" to "Cat" is the same puzzle changing its spelling, not a clash.
    // Any file of the new name counts: a stray saved game would otherwise
    // be taken for this puzzle's, or block its rename half way.
    if (!puzzle_names::sameName(oldName, newName))
        for (const char* suffix : kSuffixes)
            if (!spelling(newName, suffix).isEmpty())
                return RenameResult::NameTaken;
    if (spelling(oldName, ".bmp").isEmpty())
        return RenameResult::ThumbnailMissing;

    std::vector<std::pair<QString, QString>> done;
    for (const char* suffix : kSuffixes) {
        const QString from = spelling(oldName, suffix);
        if (from.isEmpty())
            continue;
        const QString to = newName + QLatin1String(suffix);
        if (from == to)
            continue;
        if (!QFile::rename(dataFolder + from, dataFolder + to)) {
            if (failedFile)
                *failedFile = dataFolder + from;
            for (auto it = done.rbegin(); it != done.rend(); ++it)
                QFile::rename(dataFolder + it->second, dataFolder + it->first);
            return RenameResult::Failed;
        }
        done.emplace_back(from, to);
    }
    return RenameResult::Renamed;
}

} // namespace load_model
