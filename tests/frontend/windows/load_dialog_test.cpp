// The load window driven with mouse events: pages, selection, the four
// actions and what each leaves in the data folder and the library file.

#include "load_dialog.h"
#include "load_fixture.h"
#include "main_menu.h"
#include "message_box.h"
#include "rename_dialog.h"
#include "vorlin_app.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct LoadWindow : ::testing::Test {
    LoadTree tree;
    MessageBoxScript boxes;
    std::unique_ptr<CVorlinApp> app;
    std::unique_ptr<CLoadDialog> dlg;

    void open()
    {
        app = std::make_unique<CVorlinApp>(tree.folders);
        dlg = std::make_unique<CLoadDialog>(*app);
        dlg->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
    }
    void click(CLoadDialog::ButtonId b) { QTest::mouseClick(dlg.get(), Qt::LeftButton, {}, CLoadDialog::rectOf(b).center()); }
    void clickSlot(int slot) { QTest::mouseClick(dlg.get(), Qt::LeftButton, {}, CLoadDialog::slotRect(slot).center()); }
    // Answers the next rename box with `name` (Enter), or drops it.
    void renameTo(const QString& name, bool accept = true)
    {
        QTimer::singleShot(0, [name, accept] {
            auto* box = qobject_cast<CRenameDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->nameField()->maxLength(), 12);
            box->nameField()->setText(name);
            accept ? box->accept() : box->reject();
        });
        click(CLoadDialog::Rename);
    }
    QStringList texts() const
    {
        QStringList out;
        for (const auto& c : boxes.calls())
            out << c.text;
        return out;
    }
};

const QString kQuestion = QStringLiteral("Are you sure you want to remove \nthe selected puzzle game \"%1\"?");
const QString kTaken = QStringLiteral("The puzzle name already exist!\nPlease change to another name.");

} // namespace

TEST_F(LoadWindow, EmptyLibraryShowsOnePageAndEveryActionDoesNothing)
{
    open();
    EXPECT_EQ(dlg->pager().pages(), 1);
    EXPECT_TRUE(dlg->entries().empty());
    for (auto b : {CLoadDialog::Play, CLoadDialog::Email, CLoadDialog::Rename, CLoadDialog::Delete,
                   CLoadDialog::PageDown, CLoadDialog::PageUp})
        click(b);
    clickSlot(0);
    QTest::keyClick(dlg.get(), Qt::Key_Return);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_TRUE(boxes.calls().empty());
    EXPECT_FALSE(dlg->grab().isNull());
    click(CLoadDialog::Home);
    EXPECT_FALSE(dlg->isVisible());
    // Nothing changed, so the missing library is not written.
    EXPECT_FALSE(QFile::exists(tree.library()));

    // Escape leaves as the window's own button does, and asks nothing.
    open();
    QTest::keyClick(dlg.get(), Qt::Key_Escape);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_TRUE(boxes.calls().empty());
    EXPECT_FALSE(QFile::exists(tree.library()));
}

TEST_F(LoadWindow, SixFillOnePageAndASeventhOpensAnother)
{
    tree.makeLibrary(6);
    open();
    EXPECT_EQ(dlg->pager().pages(), 1);
    EXPECT_EQ(dlg->pager().entriesHere(), 6);
    dlg.reset();
    tree.makeLibrary(7);
    open();
    EXPECT_EQ(dlg->pager().pages(), 2);
    click(CLoadDialog::PageDown);
    EXPECT_EQ(dlg->pager().page(), 2);
    EXPECT_EQ(dlg->pager().entriesHere(), 1);
    click(CLoadDialog::PageDown);
    EXPECT_EQ(dlg->pager().page(), 2);
    EXPECT_TRUE(boxes.calls().empty());
}

TEST_F(LoadWindow, PagingSelectsTheFirstSlot)
{
    tree.makeLibrary(9);
    open();
    clickSlot(4);
    EXPECT_EQ(dlg->pager().selected(), 4);
    click(CLoadDialog::PageDown);
    EXPECT_EQ(dlg->pager().selected(), 0);
    clickSlot(2);
    EXPECT_EQ(dlg->pager().selected(), 2);
    click(CLoadDialog::PageUp);
    EXPECT_EQ(dlg->pager().selected(), 0);
    EXPECT_EQ(dlg->pager().selectedIndex(), 0);
}

TEST_F(LoadWindow, DeletingTheSeventhGoesBackAPageAndRewritesTheLibraryOnClosing)
{
    tree.makeLibrary(7);
    tree.addFiles(QStringLiteral("P7"), true, true);
    open();
    click(CLoadDialog::PageDown);
    boxes.answer(mb::IdNo);
    click(CLoadDialog::Delete);
    EXPECT_EQ(texts(), QStringList{kQuestion.arg("P7")});
    EXPECT_EQ(boxes.calls()[0].flags, mb::YesNoCancel | mb::IconQuestion);
    EXPECT_TRUE(tree.exists(QStringLiteral("P7.puz")));

    boxes.answer(mb::IdYes);
    click(CLoadDialog::Delete);
    for (const char* f : {"P7.puz", "P7.bmp", "P70.sav", "P7Puz.run"})
        EXPECT_FALSE(tree.exists(QString::fromLatin1(f))) << f;
    EXPECT_EQ(dlg->pager().page(), 1);
    EXPECT_EQ(dlg->pager().pages(), 1);
    EXPECT_EQ(dlg->entries().size(), 6u);
    // Deletions reach the library when the window closes.
    EXPECT_TRUE(tree.libraryBytes().contains("Puzzle_Count=7"));
    click(CLoadDialog::Close);
    EXPECT_TRUE(tree.libraryBytes().contains("Puzzle_Count=6\r\n"));
    EXPECT_FALSE(tree.libraryBytes().contains("P7"));
}

TEST_F(LoadWindow, LongNameAndSizeWithABlank)
{
    tree.addFiles(QStringLiteral("Fourteen_Chars"));
    tree.addFiles(QStringLiteral("Other"));
    putFile(tree.library(), "[Puzzle]\r\nPuzzle_Count=2\r\n\r\n[Puzzle1]\r\nName=Fourteen_Chars\r\nSize=6 8\r\n\r\n"
                            "[Puzzle2]\r\nName=Other\r\nSize=10 7\r\n\r\n");
    open();
    const CPuzzleEntry& e = dlg->entries()[0];
    EXPECT_EQ(e.name(), QStringLiteral("Fourteen_Chars"));
    EXPECT_EQ(e.sizeText(), QStringLiteral("6X8"));
    EXPECT_FALSE(e.thumbnail().isNull());
    // Placed whole inside the window, centred on its slot.
    const QFontMetrics m(dlg->font());
    const QRect slot = CLoadDialog::slotRect(0);
    const int left = slot.left() + e.namePos().x();
    EXPECT_GE(left, 0);
    EXPECT_LE(left + m.horizontalAdvance(e.name()), 800);
    EXPECT_EQ(e.namePos().x(), (137 - m.horizontalAdvance(e.name())) / 2);
    EXPECT_EQ(e.namePos().y(), 120);
    EXPECT_EQ(e.sizePos().y(), 154 - m.height());

    clickSlot(1);
    boxes.answer(mb::IdYes);
    click(CLoadDialog::Delete);
    click(CLoadDialog::Home);
    EXPECT_TRUE(tree.libraryBytes().contains("Name=Fourteen_Chars\r\nSize=6 8\r\n"));
}

TEST_F(LoadWindow, RenameToTheSameNameOrATakenOneChangesNothing)
{
    tree.makeLibrary(3);
    tree.addFiles(QStringLiteral("Loose"));
    open();
    const QByteArray library = tree.libraryBytes();
    const QStringList files = tree.dataFiles();
    clickSlot(1);
    renameTo(QStringLiteral("P2"));
    EXPECT_TRUE(boxes.calls().empty());
    renameTo(QStringLiteral("p3"));
    EXPECT_EQ(texts(), QStringList{kTaken});
    EXPECT_EQ(boxes.calls()[0].flags, mb::Ok | mb::IconInformation);
    // Files of a puzzle not in the list count as taken too.
    boxes.clear();
    renameTo(QStringLiteral("loose"));
    EXPECT_EQ(texts(), QStringList{kTaken});
    renameTo(QStringLiteral("Dropped"), false);
    boxes.clear();
    renameTo(QStringLiteral("a/b"));
    EXPECT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(tree.libraryBytes(), library);
    EXPECT_EQ(tree.dataFiles(), files);
    EXPECT_EQ(dlg->entries()[1].name(), QStringLiteral("P2"));
}

TEST_F(LoadWindow, RenameShowsALongStoredNameWholeAndEnterAloneKeepsIt)
{
    tree.addFiles(QStringLiteral("Fourteen_Chars"), true, true);
    putFile(tree.library(), "[Puzzle]\r\nPuzzle_Count=1\r\n\r\n[Puzzle1]\r\nName=Fourteen_Chars\r\nSize=6 8\r\n\r\n");
    open();
    const QByteArray library = tree.libraryBytes();
    const QStringList files = tree.dataFiles();
    // Typed keys as the user types them: Enter alone, then one key more
    // (there is no room) and one less (too long for a new name).
    const std::pair<QList<int>, QString> edits[] = {
        {{}, QString()},
        {{Qt::Key_End, Qt::Key_X}, QString()},
        {{Qt::Key_End, Qt::Key_Backspace}, QStringLiteral("A puzzle name has at most 12 characters.")},
    };
    for (const auto& [keys, said] : edits) {
        boxes.clear();
        QString shown;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<CRenameDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            shown = box->nameField()->text();
            // Wide enough for the whole name, centred on its slot.
            EXPECT_GT(box->nameField()->width(), box->nameField()->fontMetrics().horizontalAdvance(shown));
            EXPECT_NEAR(box->geometry().center().x(),
                        dlg->mapToGlobal(CLoadDialog::slotRect(0).center()).x(), 1);
            for (int key : keys)
                QTest::keyClick(box->nameField(), Qt::Key(key));
            QTest::keyClick(box->nameField(), Qt::Key_Return);
        });
        click(CLoadDialog::Rename);
        EXPECT_EQ(shown, QStringLiteral("Fourteen_Chars"));
        EXPECT_EQ(texts(), said.isEmpty() ? QStringList() : QStringList{said});
        EXPECT_EQ(dlg->entries()[0].name(), QStringLiteral("Fourteen_Chars"));
        EXPECT_EQ(tree.libraryBytes(), library);
        EXPECT_EQ(tree.dataFiles(), files);
    }
}

TEST_F(LoadWindow, EmailPacksThePuzzleFileAsItIsSpelt)
{
    // Files from another machine may be spelt otherwise than the library.
    tree.addFiles(QStringLiteral("Cat"));
    putFile(tree.library(), "[Puzzle]\r\nPuzzle_Count=1\r\n\r\n[Puzzle1]\r\nName=cat\r\nSize=4 3\r\n\r\n");
    open();
    ASSERT_TRUE(texts().isEmpty()) << texts().join(QLatin1Char('|')).toStdString();
    // The test tree has no player to pack: that is what is missing, not
    // the puzzle.
    click(CLoadDialog::Email);
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_TRUE(texts()[0].startsWith(QStringLiteral("The player's background"))) << texts()[0].toStdString();
}

TEST_F(LoadWindow, RenameMovesTheFilesAndWritesTheNameAtOnce)
{
    tree.makeLibrary(3);
    tree.addFiles(QStringLiteral("P2"), true, true);
    open();
    clickSlot(1);
    renameTo(QStringLiteral("Harbour"));
    EXPECT_TRUE(boxes.calls().empty()) << texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(dlg->entries()[1].name(), QStringLiteral("Harbour"));
    for (const char* f : {"Harbour.puz", "Harbour.bmp", "Harbour0.sav", "HarbourPuz.run"})
        EXPECT_TRUE(tree.exists(QString::fromLatin1(f))) << f;
    EXPECT_FALSE(tree.exists(QStringLiteral("P2.puz")));
    EXPECT_TRUE(tree.libraryBytes().contains("[Puzzle2]\r\nName=Harbour\r\n"));

    // After a deletion the file's numbers are not the list's: the rename
    // must still land on its own entry.
    clickSlot(0);
    boxes.answer(mb::IdYes);
    click(CLoadDialog::Delete);
    renameTo(QStringLiteral("Bay"));
    EXPECT_EQ(dlg->entries()[0].name(), QStringLiteral("Bay"));
    const QByteArray lib = tree.libraryBytes();
    EXPECT_TRUE(lib.contains("Puzzle_Count=2\r\n")) << lib.toStdString();
    EXPECT_TRUE(lib.contains("[Puzzle1]\r\nName=Bay\r\n")) << lib.toStdString();
    EXPECT_TRUE(lib.contains("[Puzzle2]\r\nName=P3\r\n")) << lib.toStdString();
}

TEST_F(LoadWindow, RenameOfAPuzzleWithoutItsThumbnailOffersToDelete)
{
    tree.makeLibrary(2);
    QFile::remove(tree.data(QStringLiteral("P1.bmp")));
    open();
    ASSERT_EQ(texts(), QStringList{QStringLiteral("Load bitmap error!\nPress OK to continue.")});
    boxes.clear();
    boxes.answer(mb::IdOk);
    boxes.answer(mb::IdNo);
    renameTo(QStringLiteral("New"));
    EXPECT_EQ(texts(), (QStringList{QStringLiteral("The puzzle does not exist!"), kQuestion.arg("P1")}));
    EXPECT_TRUE(tree.exists(QStringLiteral("P1.puz")));
    EXPECT_FALSE(tree.exists(QStringLiteral("New.puz")));
}

TEST_F(LoadWindow, PressMoveOffAndReleaseElsewhereDoesNothing)
{
    tree.makeLibrary(2);
    open();
    const QPoint on = CLoadDialog::rectOf(CLoadDialog::Delete).center();
    const QPoint off(300, 60);
    QTest::mousePress(dlg.get(), Qt::LeftButton, {}, on);
    QTest::mouseMove(dlg.get(), off);
    QTest::mouseRelease(dlg.get(), Qt::LeftButton, {}, off);
    QTest::mousePress(dlg.get(), Qt::LeftButton, {}, on);
    QTest::mouseMove(dlg.get(), CLoadDialog::slotRect(1).center());
    QTest::mouseRelease(dlg.get(), Qt::LeftButton, {}, CLoadDialog::slotRect(1).center());
    EXPECT_TRUE(boxes.calls().empty());
    // Releasing over a slot does not select it either.
    EXPECT_EQ(dlg->pager().selected(), 0);
    // The same press released where it went down is a click.
    boxes.answer(mb::IdNo);
    QTest::mousePress(dlg.get(), Qt::LeftButton, {}, on);
    QTest::mouseRelease(dlg.get(), Qt::LeftButton, {}, on);
    EXPECT_EQ(boxes.calls().size(), 1u);
    // While an e-mail is on its way the window takes no clicks at all.
    app->busy = true;
    clickSlot(1);
    QTest::mouseClick(dlg.get(), Qt::LeftButton, {}, on);
    EXPECT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(dlg->pager().selected(), 0);
}

TEST_F(LoadWindow, PlayStartsThePlayerOnThePuzzleAsOneArgument)
{
    // Blanks and a quote in the install path.
    tree.folders = SuiteFolders::fromProgramPath(tree.dir.filePath(QStringLiteral("My \"Games\"/Bin/Vorlin")));
    QDir().mkpath(tree.folders.program);
    QDir().mkpath(tree.folders.data);
    tree.makeLibrary(2);
    const QString record = tree.dir.filePath(QStringLiteral("args.txt"));
    QFile player(tree.folders.program + QStringLiteral("TileMender"));
    ASSERT_TRUE(player.open(QIODevice::WriteOnly));
    player.write(QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '%1.tmp'\nmv '%1.tmp' '%1'\n")
                     .arg(record)
                     .toUtf8());
    player.close();
    player.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    open();
    clickSlot(1);
    click(CLoadDialog::Play);
    EXPECT_FALSE(dlg->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 10000);
    EXPECT_EQ(fileBytes(record), (tree.data(QStringLiteral("P2.puz")) + QLatin1Char('\n')).toUtf8());
}

TEST_F(LoadWindow, DamagedLibraryCountPastItsSections)
{
    tree.addFiles(QStringLiteral("A"));
    tree.addFiles(QStringLiteral("C"));
    putFile(tree.library(), "[Puzzle]\r\nPuzzle_Count=30000\r\n\r\n[Puzzle1]\r\nName=A\r\nSize=4 3\r\n\r\n"
                            "[Puzzle3]\r\nName=C\r\nSize=5 5\r\n\r\n");
    open();
    // The missing section is an entry without a name or picture.
    ASSERT_EQ(dlg->entries().size(), 3u);
    EXPECT_EQ(boxes.calls().size(), 1u);
    EXPECT_TRUE(dlg->entries()[1].name().isEmpty());
    EXPECT_EQ(dlg->pager().pages(), 1);
    clickSlot(1);
    boxes.answer(mb::IdYes);
    click(CLoadDialog::Delete);
    EXPECT_EQ(tree.dataFiles(), (QStringList{"A.bmp", "A.puz", "C.bmp", "C.puz"}));
    click(CLoadDialog::Home);
    EXPECT_EQ(tree.libraryBytes(), QByteArray("[Puzzle]\r\nPuzzle_Count=2\r\n\r\n[Puzzle1]\r\nName=A\r\nSize=4 3\r\n\r\n"
                                              "[Puzzle2]\r\nName=C\r\nSize=5 5\r\n\r\n"));
}

TEST_F(LoadWindow, LoadGameOnTheMainMenuRunsTheWindowAboveIt)
{
    tree.makeLibrary(2);
    app = std::make_unique<CVorlinApp>(tree.folders);
    CMainMenuDlg menu(*app, nullptr, false);
    menu.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* load = qobject_cast<CLoadDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(load, nullptr);
        seen = true;
        EXPECT_EQ(app->childWindow.data(), load);
        EXPECT_EQ(load->entries().size(), 2u);
        QTest::mouseClick(load, Qt::LeftButton, {}, CLoadDialog::rectOf(CLoadDialog::Home).center());
    });
    QTest::mouseClick(&menu, Qt::LeftButton, {}, CMainMenuDlg::rectOf(CMainMenuDlg::LoadGame).center());
    EXPECT_TRUE(seen);
    EXPECT_TRUE(app->childWindow.isNull());
    EXPECT_TRUE(menu.isVisible());
    EXPECT_TRUE(boxes.calls().empty());
}

TEST_F(LoadWindow, ALibraryReplacedByAnotherFileIsLeftAloneAndSaidSo)
{
    tree.makeLibrary(2);
    tree.addFiles(QStringLiteral("P1"), true, true);
    open();
    // While the window is open the library's place gets a file of someone else's.
    const QByteArray other = "root:x:0:0:root:/root:/bin/sh\n";
    QFile f(tree.library());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(other);
    f.close();
    clickSlot(0);
    renameTo(QStringLiteral("Harbour"));
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_TRUE(boxes.calls()[0].text.contains(QStringLiteral("is not a puzzle library")))
        << boxes.calls()[0].text.toStdString();
    EXPECT_TRUE(boxes.calls()[0].text.endsWith(QStringLiteral("The puzzle keeps its name.")));
    EXPECT_TRUE(tree.exists(QStringLiteral("P1.puz")));
    EXPECT_FALSE(tree.exists(QStringLiteral("Harbour.puz")));

    boxes.clear();
    boxes.answer(mb::IdYes);
    click(CLoadDialog::Delete);
    dlg->close();
    EXPECT_EQ(tree.libraryBytes(), other) << "closing after a delete leaves the file as it was";
    ASSERT_EQ(boxes.calls().size(), 2u);
    EXPECT_TRUE(boxes.calls()[1].text.contains(QStringLiteral("Deleted puzzles may show again next time.")));
}
