#include "load_dialog.h"

#include "bitmap_strip.h"
#include "frontend_art.h"
#include "library_file.h"
#include "message_box.h"
#include "minimised_pair.h"
#include "puzzle_names.h"
#include "rename_dialog.h"
#include "vorlin_app.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

namespace {

int say(QWidget* parent, const QString& text, int flags)
{
    return messageBox(parent, text, CVorlinApp::productTitle(), flags);
}

// The library's own words for a failed write: a full disk, a file that is no
// puzzle library, ...
QString libraryFailure(const LibraryFile& lib)
{
    return lib.lastError().isEmpty() ? QStringLiteral("Cannot write the list of puzzles \"%1\".").arg(lib.path())
                                     : lib.lastError();
}

const QString kMissing = QStringLiteral("The puzzle does not exist!");

} // namespace

QRect CLoadDialog::rectOf(ButtonId b)
{
    switch (b) {
    case Home: return skin::box(616, 479, 728, 587);
    case Play: return skin::box(563, 135, 723, 177);
    case Email: return skin::box(552, 202, 747, 239);
    case Rename: return skin::box(558, 268, 764, 305);
    case Delete: return skin::box(557, 334, 739, 371);
    case PageUp: return skin::box(34, 526, 97, 564);
    case PageDown: return skin::box(420, 525, 479, 563);
    case Help: return kHelpRect;
    case Minimise: return kMinimiseRect;
    case Close: return kCloseRect;
    }
    return {};
}

QString CLoadDialog::nameOf(ButtonId b)
{
    switch (b) {
    case Home: return QStringLiteral("Home");
    case Play: return QStringLiteral("Play");
    case Email: return QStringLiteral("E-mail");
    case Rename: return QStringLiteral("Rename");
    case Delete: return QStringLiteral("Delete");
    case PageUp: return QStringLiteral("Page Up");
    case PageDown: return QStringLiteral("Page Down");
    case Help: return QStringLiteral("Help");
    case Minimise: return QStringLiteral("Minimize");
    case Close: return QStringLiteral("Close");
    }
    return {};
}

CLoadDialog::CLoadDialog(CVorlinApp& app, QWidget* parent)
    : SkinWindow(app, parent, kSize), background_(frontendBitmap(QStringLiteral("02_MAIN"))),
      mainPicture_(frontendBitmap(QStringLiteral("07_LOAD_MAIN"))),
      title_(frontendBitmap(QStringLiteral("08_LOADGAME"))), frames_(frontendBitmap(QStringLiteral("07_LOAD_FRAME"))),
      pageUpStrip_(frontendBitmap(QStringLiteral("07_LOAD_UP"))), pageDownStrip_(frontendBitmap(QStringLiteral("07_LOAD_DN")))
{
    setBackground(background_);
    // Added in hit-test order, so the ids are the ButtonId values.
    addButton(frontendBitmap(QStringLiteral("HOME")), rectOf(Home), nameOf(Home));
    addButton(frontendBitmap(QStringLiteral("07_LOAD_PLAY")), rectOf(Play), nameOf(Play));
    addButton(frontendBitmap(QStringLiteral("07_LOAD_EMAIL")), rectOf(Email), nameOf(Email));
    addButton(frontendBitmap(QStringLiteral("07_LOAD_RENAME")), rectOf(Rename), nameOf(Rename));
    addButton(frontendBitmap(QStringLiteral("07_LOAD_DELETE")), rectOf(Delete), nameOf(Delete));
    addButton(pageUpStrip_, rectOf(PageUp), nameOf(PageUp), true);
    addButton(pageDownStrip_, rectOf(PageDown), nameOf(PageDown), true);
    addCaptionButtons();
    // The keyboard reads the right column down to Home, then the list's page buttons.
    setFocusOrder({Play, Email, Rename, Delete, Home, PageUp, PageDown});
    centreOnScreen(this);
    new MinimisedPair(app, this);
    fillList();
}

void CLoadDialog::fillList()
{
    entries_.clear();
    const QString data = app().folders().data;
    const std::vector<LibraryRecord> records = LibraryFile(app().folders().libraryFile).readList(data);
    const QFontMetrics metrics(font());
    entries_.reserve(records.size());
    for (const LibraryRecord& r : records) {
        CPuzzleEntry entry(r);
        if (!entry.loadThumbnail(data))
            say(this, QStringLiteral("Load bitmap error!\nPress OK to continue."), mb::Ok | mb::IconExclamation);
        entry.place(metrics);
        entries_.push_back(std::move(entry));
    }
    loadedCount_ = int(entries_.size());
    pager_.setCount(loadedCount_);
}

bool CLoadDialog::mouseBlocked() const { return app().busy; }

void CLoadDialog::onButtonClick(int button)
{
    if (!handleCaptionClick(button))
        OnCommand(button);
}

void CLoadDialog::OnCommand(int button)
{
    switch (button) {
    case Home:
    case Close: reject(); break;
    case Play: play(); break;
    case Email: email(); break;
    case Rename: rename(); break;
    case Delete: deleteSelected(); break;
    case PageUp:
        if (pager_.pageUp())
            update(kListArea);
        break;
    case PageDown:
        if (pager_.pageDown())
            update(kListArea);
        break;
    case Help: app().OpenHelp(this); break;
    case Minimise: app().minimiseTogether(this); break;
    default: break;
    }
}

CPuzzleEntry* CLoadDialog::selectedEntry()
{
    return pager_.hasSelection() ? &entries_[size_t(pager_.selectedIndex())] : nullptr;
}

void CLoadDialog::play()
{
    const CPuzzleEntry* entry = selectedEntry();
    if (!entry)
        return;
    // The player gets the puzzle file as it is spelt on disk.
    if (!app().startPlayer(puzzle_names::storedSpelling(app().folders().data, entry->name()))) {
        say(this, QStringLiteral("The player could not be started from\n%1").arg(app().folders().program),
            mb::Ok | mb::IconExclamation);
        return;
    }
    reject();
}

void CLoadDialog::email()
{
    const CPuzzleEntry* entry = selectedEntry();
    if (!entry)
        return;
    // Packed from the puzzle file as it is spelt on disk, as Play does.
    const QString name = puzzle_names::storedSpelling(app().folders().data, entry->name());
    app().busy = true;
    app().EmailPuzzle(name, this);
    app().busy = false;
}

void CLoadDialog::rename()
{
    CPuzzleEntry* entry = selectedEntry();
    if (!entry)
        return;
    const int index = pager_.selectedIndex();
    const QRect slot = slotRect(pager_.selected());
    CRenameDialog box(this, CRenameDialog::areaFor(mapToGlobal(QPoint(0, 0)), slot, QFontMetrics(font()).height()),
                      entry->name());
    if (box.exec() != QDialog::Accepted)
        return;
    const QString oldName = entry->name();
    const QString newName = box.name();
    if (newName == oldName)
        return;
    // A name that cannot name files (empty, a "/", a blank at an end) is
    // refused before anything is touched.
    if (const QString why = puzzle_names::whyNotUsable(newName); !why.isEmpty()) {
        say(this, why, mb::Ok | mb::IconExclamation);
        return;
    }
    const QString taken = QStringLiteral("The puzzle name already exist!\nPlease change to another name.");
    for (int i = 0; i < int(entries_.size()); ++i)
        if (i != index && puzzle_names::sameName(entries_[size_t(i)].name(), newName)) {
            say(this, taken, mb::Ok | mb::IconInformation);
            return;
        }

    const QString data = app().folders().data;
    QString failed;
    switch (load_model::renamePuzzleFiles(data, oldName, newName, &failed)) {
    case load_model::RenameResult::PuzzleMissing:
    case load_model::RenameResult::ThumbnailMissing:
        say(this, kMissing, mb::Ok | mb::IconExclamation);
        deleteSelected();
        return;
    case load_model::RenameResult::NameTaken: say(this, taken, mb::Ok | mb::IconInformation); return;
    case load_model::RenameResult::Failed:
        say(this, QStringLiteral("Cannot rename \"%1\".\nThe puzzle keeps its name.").arg(failed),
            mb::Ok | mb::IconExclamation);
        return;
    case load_model::RenameResult::Renamed: break;
    }

    const QFontMetrics metrics(font());
    entry->rename(newName, data, metrics);
    LibraryFile lib(app().folders().libraryFile);
    bool recorded;
    if (int(entries_.size()) == loadedCount_) {
        recorded = lib.renameEntry(index + 1, newName);
    } else {
        // After a deletion the file's numbering is not the list's any more:
        // the whole list is written, and closing need not write it again.
        recorded = lib.RewriteLibrary([this] {
            std::vector<LibraryRecord> records;
            for (const CPuzzleEntry& e : entries_)
                records.push_back(e.record());
            return records;
        }());
        if (recorded)
            loadedCount_ = int(entries_.size());
    }
    if (!recorded) {
        // The library still names the old files: give them their name back.
        load_model::renamePuzzleFiles(data, newName, oldName);
        entry->rename(oldName, data, metrics);
        say(this, QStringLiteral("%1\nThe puzzle keeps its name.").arg(libraryFailure(lib)), mb::Ok | mb::IconExclamation);
    }
    redrawSlots({pager_.selected()});
}

void CLoadDialog::deleteSelected()
{
    const CPuzzleEntry* entry = selectedEntry();
    if (!entry)
        return;
    const QString question = QStringLiteral("Are you sure you want to remove \nthe selected puzzle game \"%1\"?")
                                 .arg(entry->name());
    if (say(this, question, mb::YesNoCancel | mb::IconQuestion) != mb::IdYes)
        return;
    const QStringList failed = load_model::deletePuzzleFiles(app().folders().data, entry->name());
    if (!failed.isEmpty()) {
        // Listed still, so that its remaining files are not forgotten.
        say(this, QStringLiteral("Cannot remove\n%1\nThe puzzle stays in the list.").arg(failed.join(QLatin1Char('\n'))),
            mb::Ok | mb::IconExclamation);
        return;
    }
    const int index = pager_.selectedIndex();
    entries_.erase(entries_.begin() + index);
    pager_.removed(index);
    update(kListArea);
}

void CLoadDialog::saveList()
{
    if (saved_)
        return;
    saved_ = true;
    if (int(entries_.size()) == loadedCount_)
        return;
    std::vector<LibraryRecord> records;
    records.reserve(entries_.size());
    for (const CPuzzleEntry& e : entries_)
        records.push_back(e.record());
    LibraryFile lib(app().folders().libraryFile);
    if (!lib.RewriteLibrary(records))
        say(this,
            QStringLiteral("%1\nDeleted puzzles may show again next time.").arg(libraryFailure(lib)),
            mb::Ok | mb::IconExclamation);
}

void CLoadDialog::done(int result)
{
    saveList();
    if (app().mainWindow && app().mainWindow->isMinimized())
        app().mainWindow->showNormal();
    SkinWindow::done(result);
}

void CLoadDialog::mousePressEvent(QMouseEvent* e)
{
    if (!mouseBlocked() && e->button() == Qt::LeftButton) {
        const QPoint pos = e->position().toPoint();
        if (hitTest(pos) == skin::kNone)
            redrawSlots(pager_.select(pager_.slotAt(pos)));
    }
    SkinWindow::mousePressEvent(e);
}

void CLoadDialog::mouseMoveEvent(QMouseEvent* e)
{
    if (!mouseBlocked()) {
        const QPoint pos = e->position().toPoint();
        const int slot = hitTest(pos) == skin::kNone ? pager_.slotAt(pos) : -1;
        redrawSlots(pager_.hover(slot, kListArea.contains(pos)));
    }
    SkinWindow::mouseMoveEvent(e);
}

void CLoadDialog::leaveEvent(QEvent* e)
{
    // Gone from the window is gone from the list too.
    if (!mouseBlocked())
        redrawSlots(pager_.hover(-1, false));
    SkinWindow::leaveEvent(e);
}

bool CLoadDialog::onArrowKey(skin::KeyAction action)
{
    // The arrows walk the page's filled slots, as the mouse picks one.
    if (mouseBlocked() || pager_.entriesHere() == 0)
        return false;
    const int step = action == skin::KeyAction::NextOption ? 1 : -1;
    const int slot = (pager_.selected() + step + pager_.entriesHere()) % pager_.entriesHere();
    redrawSlots(pager_.select(slot));
    return true;
}

void CLoadDialog::redrawSlots(const QList<int>& which)
{
    // A long name may reach past its frame.
    for (int slot : which)
        update(slotRect(slot).adjusted(-40, 0, 40, 0));
}

void CLoadDialog::paintInactivePageButton(QPainter& p, ButtonId b) const
{
    // No page that way: the button keeps its normal look whatever the mouse does.
    const QRect r = rectOf(b);
    p.drawImage(r.topLeft(), background_, r);
    const QImage& strip = b == PageUp ? pageUpStrip_ : pageDownStrip_;
    p.save();
    p.setClipRect(r);
    skin::transparentCopy(p, r.topLeft(), strip, bitmap_strip::lookRect(strip, bitmap_strip::Normal));
    p.restore();
}

void CLoadDialog::paintSlot(QPainter& p, int slot) const
{
    const QRect r = slotRect(slot);
    const CPuzzleEntry& entry = entries_[size_t(load_model::indexOf(pager_.page(), slot))];
    p.drawImage(r.topLeft(), frames_, QRect(pager_.frameOf(slot) * load_model::kSlotWidth, 0, r.width(), r.height()));
    const QImage& thumb = entry.thumbnail();
    if (!thumb.isNull()) {
        p.save();
        p.setClipRect(r);
        p.drawImage(QPoint(r.left() + (load_model::kSlotWidth - thumb.width()) / 2,
                           r.top() + (load_model::kPictureHeight - thumb.height()) / 2),
                    thumb);
        p.restore();
    }
    const QFontMetrics& m = p.fontMetrics();
    for (const auto& [pos, text] : {std::pair{entry.namePos(), entry.name()}, std::pair{entry.sizePos(), entry.sizeText()}})
        p.drawText(QRect(r.topLeft() + pos, QSize(m.horizontalAdvance(text) + 1, m.height())),
                   Qt::AlignLeft | Qt::AlignTop, text);
}

void CLoadDialog::paintContent(QPainter& p)
{
    p.drawImage(kMainPictureRect.topLeft(), mainPicture_);
    p.drawImage(kTitleRect.topLeft(), title_);
    if (pager_.page() <= 1)
        paintInactivePageButton(p, PageUp);
    if (pager_.page() >= pager_.pages())
        paintInactivePageButton(p, PageDown);
    p.setFont(font());
    p.setPen(Qt::black);
    for (int slot = 0; slot < pager_.entriesHere(); ++slot)
        paintSlot(p, slot);
}
