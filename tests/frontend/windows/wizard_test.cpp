// The new-puzzle wizard driven with mouse events on its real frame and pages:
// the way through the five pages, what each way out writes and starts, the
// name rules, the custom level and the busy shield.

#include "custom_level_dialog.h"
#include "main_menu.h"
#include "message_box.h"
#include "picture_source.h"
#include "puzzle_maker.h"
#include "vorlin_app.h"
#include "window_maker_ui.h"
#include "wizard_frame.h"
#include "wizard_pages.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Runs `act` on the next modal window of type T once it shows, and again
// until that window is gone: a file dialog still loading its folder may not
// take the first accept.
template <typename T>
void onNextModal(std::function<void(T*)> act)
{
    // Bound to the first such window it sees, so that a later window of the
    // same kind is left to whoever waits for it.
    auto target = std::make_shared<QPointer<T>>();
    auto seen = std::make_shared<bool>(false);
    auto poll = std::make_shared<std::function<void(int)>>();
    *poll = [act, poll, target, seen](int triesLeft) {
        if (!*seen) {
            if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
                *target = w;
                *seen = true;
            }
        }
        if (*seen) {
            if (target->isNull() || !(*target)->isVisible())
                return;
            act(target->data());
        }
        if (triesLeft > 0)
            QTimer::singleShot(20, [poll, triesLeft] { (*poll)(triesLeft - 1); });
    };
    QTimer::singleShot(10, [poll] { (*poll)(500); });
}

struct WizardFixture : ::testing::Test {
    // Blanks and a quote in the path: the player must get it as one argument.
    QTemporaryDir dir;
    QString root = dir.path() + QStringLiteral("/My \"Puzzles\" Ünd Co");
    SuiteFolders folders = SuiteFolders::fromProgramPath(root + QStringLiteral("/Bin/Vorlin"));
    std::unique_ptr<CVorlinApp> app;
    std::unique_ptr<WindowMakerUi> ui;
    std::unique_ptr<CWizardFrame> frame;
    QString picture = dir.path() + QStringLiteral("/photo.jpg");
    QString started = dir.path() + QStringLiteral("/started.txt");
    picture_source::PictureChoiceScript pictures;

    void SetUp() override
    {
        QDir().mkpath(folders.program);
        // A stand-in player that writes down what it was started on; the list
        // appears whole, so a reader never sees it half written.
        QFile player(folders.program + QStringLiteral("TileMender"));
        ASSERT_TRUE(player.open(QIODevice::WriteOnly));
        player.write(QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '%1.part' && mv '%1.part' '%1'\n")
                         .arg(started)
                         .toUtf8());
        player.close();
        player.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ASSERT_TRUE(testfiles::patternImage(640, 480).save(picture, "JPG", 90));
        app = std::make_unique<CVorlinApp>(folders);
        ui = std::make_unique<WindowMakerUi>(nullptr);
        frame = std::make_unique<CWizardFrame>(*app, *ui);
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    }

    void click(int button) { QTest::mouseClick(frame.get(), Qt::LeftButton, {}, frame->buttonRect(button).center()); }
    void pickOption(int page, int value)
    {
        CWizardPage* p = frame->pageWindow(page);
        for (int b = 0;; ++b) {
            const QRect r = p->buttonRect(b);
            ASSERT_FALSE(r.isNull()) << "no option " << value;
            QTest::mouseClick(p, Qt::LeftButton, {}, r.center() - QPoint(CWizardPage::kRadioShift, 0));
            if (p->value() == value)
                return;
        }
    }
    void choosePicture(const QString& path)
    {
        pictures.answer(path);
        click(CWizardFrame::Next);
    }
    void toPage(int page, const QString& name = QStringLiteral("Cat"))
    {
        if (page >= 2)
            choosePicture(picture);
        if (page >= 3)
            click(CWizardFrame::Next);
        if (page >= 4)
            click(CWizardFrame::Next);
        if (page >= 5) {
            frame->pageWindow(4)->nameField()->setText(name);
            click(CWizardFrame::Next);
        }
        ASSERT_EQ(frame->page(), page);
    }
    QString puzzleFile(const QString& name) const { return folders.data + name + QStringLiteral(".puz"); }
    QStringList startedWith()
    {
        // A busy machine may take its time to start a shell.
        for (int i = 0; i < 3000 && !QFile::exists(started); ++i)
            QTest::qWait(10);
        QFile f(started);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
};

} // namespace

TEST_F(WizardFixture, BackOnTheFirstPageClosesWithoutWriting)
{
    EXPECT_EQ(app->wizardPage, 1);
    click(CWizardFrame::Back);
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(app->wizardPage, 0);
    EXPECT_TRUE(QDir(folders.data).entryList(QDir::Files).isEmpty());
}

TEST_F(WizardFixture, AnUnreadablePictureKeepsTheFirstPageQuietly)
{
    MessageBoxScript boxes;
    QFile bad(dir.path() + QStringLiteral("/broken.jpg"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("\xFF\xD8\xFF\xE0 not really a picture");
    bad.close();
    choosePicture(bad.fileName());
    EXPECT_EQ(frame->page(), 1);
    EXPECT_TRUE(boxes.calls().empty());
    // A cancelled dialog does the same.
    choosePicture(QString());
    EXPECT_EQ(frame->page(), 1);
}

TEST_F(WizardFixture, TheNamePageWantsANameOfAtMostTwelveCharacters)
{
    MessageBoxScript boxes;
    toPage(4);
    QLineEdit* field = frame->pageWindow(4)->nameField();
    EXPECT_TRUE(field->hasFocus() || !frame->isActiveWindow());
    click(CWizardFrame::Next);
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].text, QStringLiteral("Please give a name for the puzzle first!"));
    EXPECT_EQ(boxes.calls()[0].flags & 0xF0, mb::IconExclamation);
    EXPECT_EQ(frame->page(), 4);
    field->setFocus();
    QTest::keyClicks(field, QStringLiteral("abcdefghijklm"));
    EXPECT_EQ(field->text(), QStringLiteral("abcdefghijkl"));
    field->setText(QStringLiteral("abcdefghijkl"));
    // Enter on the name is next.
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(frame->page(), 5);
    EXPECT_EQ(boxes.calls().size(), 1u);
}

TEST_F(WizardFixture, ANameTheFilesCannotHaveIsRefusedOnTheNamePage)
{
    MessageBoxScript boxes;
    toPage(4);
    QLineEdit* field = frame->pageWindow(4)->nameField();
    // Blanks alone are a name, but one that begins with a blank.
    const std::pair<const char*, const char*> cases[] = {
        {"   ", "A puzzle name cannot begin or end with a blank."},
        {" Cat", "A puzzle name cannot begin or end with a blank."},
        {"a/b", "A puzzle name cannot contain \"/\"."},
        {"tab\tcat", "A puzzle name cannot contain control characters."},
        {"\"Dog\"", "A puzzle name cannot begin and end with \"."},
        {"'s'", "A puzzle name cannot begin and end with '."},
        {"NUVARK_NULL", "\"NUVARK_NULL\" cannot be the name of a puzzle."},
    };
    for (const auto& [name, why] : cases) {
        boxes.clear();
        field->setText(QString::fromUtf8(name));
        click(CWizardFrame::Next);
        ASSERT_EQ(boxes.calls().size(), 1u) << name;
        EXPECT_EQ(boxes.calls()[0].text, QString::fromUtf8(why)) << name;
        EXPECT_EQ(boxes.calls()[0].flags & 0xF0, mb::IconExclamation);
        EXPECT_EQ(frame->page(), 4) << name;
    }
    EXPECT_TRUE(QDir(folders.data).entryList(QDir::Files).isEmpty());
}

TEST_F(WizardFixture, NoToOverwritingPlaysThePuzzleAsItIsSpeltOnDisk)
{
    toPage(5, QStringLiteral("Cat"));
    click(CWizardFrame::Finish);
    ASSERT_EQ(startedWith(), QStringList{puzzleFile(QStringLiteral("Cat"))});
    QFile::remove(started);

    MessageBoxScript boxes;
    boxes.answer(mb::IdNo);
    frame = std::make_unique<CWizardFrame>(*app, *ui);
    frame->show();
    toPage(5, QStringLiteral("cat"));
    click(CWizardFrame::Finish);
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].text, QStringLiteral("File already exist, overwrite it?"));
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(startedWith(), QStringList{puzzleFile(QStringLiteral("Cat"))});

    // E-mail packs that file too. This tree has no player's background to
    // pack, and that is what is said missing, not the puzzle.
    boxes.clear();
    boxes.answer(mb::IdNo);
    frame = std::make_unique<CWizardFrame>(*app, *ui);
    frame->show();
    toPage(5, QStringLiteral("CAT"));
    pickOption(5, 1);
    click(CWizardFrame::Finish);
    ASSERT_EQ(boxes.calls().size(), 2u);
    EXPECT_TRUE(boxes.calls()[1].text.startsWith(QStringLiteral("The player's background")))
        << boxes.calls()[1].text.toStdString();
}

TEST_F(WizardFixture, GoingBackToTheLevelCutsNewPieces)
{
    toPage(3);
    PuzzleMaker& maker = app->maker();
    std::vector<PieceRecord> first;
    for (const auto& p : maker.pieces)
        first.push_back(p->record());
    click(CWizardFrame::Back);
    EXPECT_EQ(frame->page(), 2);
    pickOption(2, 2); // hard
    click(CWizardFrame::Next);
    EXPECT_EQ(frame->page(), 3);
    EXPECT_EQ(maker.columns, 13);
    EXPECT_EQ(maker.rows, 10);
    click(CWizardFrame::Back);
    pickOption(2, 0);
    click(CWizardFrame::Next);
    std::vector<PieceRecord> again;
    for (const auto& p : maker.pieces)
        again.push_back(p->record());
    ASSERT_EQ(first.size(), again.size());
    EXPECT_NE(first, again);
}

TEST_F(WizardFixture, TheCustomLevelComesFromTheLevelPage)
{
    toPage(2);
    pickOption(2, 3);
    onNextModal<CCustomLevelDlg>([](CCustomLevelDlg* d) {
        EXPECT_EQ(d->level().rows, 7);
        EXPECT_EQ(d->level().columns, 10);
        d->findChild<QPushButton*>(QStringLiteral("plus"))->click();
        d->accept();
    });
    click(CWizardFrame::Next);
    EXPECT_EQ(frame->page(), 3);
    EXPECT_EQ(app->maker().rows, 8);
    EXPECT_EQ(app->maker().pieceSize, 60);
    // Cancel keeps the level page.
    click(CWizardFrame::Back);
    onNextModal<CCustomLevelDlg>([](CCustomLevelDlg* d) { d->reject(); });
    click(CWizardFrame::Next);
    EXPECT_EQ(frame->page(), 2);
}

TEST_F(WizardFixture, HomeWritesOnlyFromTheLastPage)
{
    toPage(4);
    frame->pageWindow(4)->nameField()->setText(QStringLiteral("Early"));
    click(CWizardFrame::Home);
    EXPECT_FALSE(frame->isVisible());
    EXPECT_FALSE(QFile::exists(puzzleFile(QStringLiteral("Early"))));

    frame = std::make_unique<CWizardFrame>(*app, *ui);
    frame->show();
    toPage(5, QStringLiteral("Kept"));
    click(CWizardFrame::Home);
    EXPECT_FALSE(frame->isVisible());
    EXPECT_TRUE(QFile::exists(puzzleFile(QStringLiteral("Kept"))));
    QTest::qWait(100);
    EXPECT_FALSE(QFile::exists(started));
}

TEST_F(WizardFixture, FinishWritesAndStartsThePlayerOnThePuzzle)
{
    toPage(5, QStringLiteral("My Cat"));
    EXPECT_TRUE(frame->buttonRect(CWizardFrame::Finish).isValid());
    click(CWizardFrame::Finish);
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(app->wizardPage, 0);
    ASSERT_TRUE(QFile::exists(puzzleFile(QStringLiteral("My Cat"))));
    EXPECT_EQ(startedWith(), QStringList{puzzleFile(QStringLiteral("My Cat"))});
}

TEST_F(WizardFixture, APressWhileBusyDoesNothing)
{
    app->busy = true;
    click(CWizardFrame::Close);
    QTest::mouseClick(frame->pageWindow(1), Qt::LeftButton, {},
                      frame->pageWindow(1)->buttonRect(1).center() - QPoint(CWizardPage::kRadioShift, 0));
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->pageWindow(1)->value(), 0);
    app->busy = false;
    click(CWizardFrame::Close);
    EXPECT_FALSE(frame->isVisible());
}

TEST_F(WizardFixture, RestoringEitherWindowAfterMinimisingBringsTheWizardBackWhereItWas)
{
    // The desktop brings a minimised window back by changing its state or
    // activating it (a taskbar click); each must bring back both windows.
    QWidget mainMenu;
    mainMenu.resize(800, 600);
    mainMenu.show();
    app->mainWindow = &mainMenu;
    frame = std::make_unique<CWizardFrame>(*app, *ui);
    frame->setWindowModality(Qt::ApplicationModal);
    frame->show();
    toPage(3);
    const auto minimiseBoth = [&] {
        click(CWizardFrame::Minimise);
        ASSERT_TRUE(frame->isMinimized());
        ASSERT_TRUE(mainMenu.isMinimized());
    };
    const std::pair<std::function<void()>, std::function<void()>> rounds[] = {
        {minimiseBoth, [&] { mainMenu.setWindowState(Qt::WindowNoState); }},
        {minimiseBoth, [&] { frame->setWindowState(Qt::WindowNoState); }},
        // The desktop minimised the wizard alone; the main menu, clicked,
        // becomes active with nothing of its own to show.
        {[&] { frame->showMinimized(); },
         [&] {
             QEvent activate(QEvent::WindowActivate);
             QApplication::sendEvent(&mainMenu, &activate);
         }},
    };
    int round = 0;
    for (const auto& [minimise, restore] : rounds) {
        SCOPED_TRACE(round++);
        minimise();
        restore();
        EXPECT_FALSE(frame->isMinimized());
        EXPECT_FALSE(mainMenu.isMinimized());
        EXPECT_TRUE(frame->isVisible());
        EXPECT_FALSE(app->minimised);
        EXPECT_EQ(frame->page(), 3);
    }
    // And it goes on from there.
    click(CWizardFrame::Next);
    EXPECT_EQ(frame->page(), 4);
    // Once the wizard is closed the main menu minimises on its own.
    click(CWizardFrame::Close);
    mainMenu.showMinimized();
    mainMenu.setWindowState(Qt::WindowNoState);
    EXPECT_FALSE(frame->isVisible());
    app->mainWindow = nullptr;
}

TEST(WizardPreview, FitsInsideTheAreaWithoutEverGrowing)
{
    EXPECT_EQ(CWizardFrame::previewSize(QSize(640, 480)), QSize(407, 305));
    EXPECT_EQ(CWizardFrame::previewSize(QSize(480, 640)), QSize(305, 407));
    EXPECT_EQ(CWizardFrame::previewSize(QSize(300, 200)), QSize(300, 200));
    EXPECT_EQ(CWizardFrame::previewSize(QSize(407, 407)), QSize(407, 407));
    // Centred in the area less its 20-pixel margin.
    EXPECT_EQ(CWizardFrame::previewRect(QSize(407, 305)), QRect(55, 136 + 51, 407, 305));
    EXPECT_EQ(CWizardFrame::previewRect(QSize(300, 200)), QRect(55 + 53, 136 + 103, 300, 200));
}

TEST_F(WizardFixture, AScanFromTheTestBackendBecomesTheWorkingPicture)
{
    // SANE reads its configuration once, before its first use in this program.
    QTemporaryDir conf;
    for (const auto& [name, text] : {std::pair{"dll.conf", "test\n"},
                                     std::pair{"test.conf", "number_of_devices 1\ntest-picture \"Color pattern\"\n"
                                                            "br_x 200.0\nbr_y 150.0\n"}}) {
        QFile f(conf.filePath(QLatin1String(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    qputenv("SANE_CONFIG_DIR", conf.path().toLocal8Bit());
    pickOption(1, 1);
    // The source list: take the one scanner there is. SANE has been asked
    // for its devices by then: the wait cursor is gone, and Next is drawn
    // as it normally is rather than pressed.
    bool cursorWhileChoosing = true;
    skin::Look nextWhileChoosing = skin::Pressed;
    onNextModal<QDialog>([&](QDialog* d) {
        cursorWhileChoosing = QApplication::overrideCursor() != nullptr;
        nextWhileChoosing = frame->lookOf(CWizardFrame::Next);
        d->accept();
    });
    click(CWizardFrame::Next);
    ASSERT_EQ(frame->page(), 2);
    EXPECT_FALSE(cursorWhileChoosing);
    EXPECT_EQ(nextWhileChoosing, skin::Normal);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    const ToolkitBitmap& picture = app->maker().workingImage;
    // The whole 200 x 150 mm page at the resolution that gives about 640 x 480.
    EXPECT_LE(picture.width(), 640);
    EXPECT_LE(picture.height(), 480);
    EXPECT_GT(picture.width(), 600);
    EXPECT_GT(picture.height(), 440);
    EXPECT_TRUE(QFile::exists(folders.scratchPicture()));

    // A cancelled source choice keeps the page and the picture.
    click(CWizardFrame::Back);
    onNextModal<QDialog>([](QDialog* d) { d->reject(); });
    click(CWizardFrame::Next);
    EXPECT_EQ(frame->page(), 1);
    EXPECT_FALSE(app->maker().workingImage.isNull());
}
