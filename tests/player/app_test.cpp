#include "main_frame.h"
#include "message_box.h"
#include "paths.h"
#include "recent_files.h"
#include "splash_window.h"
#include "test_files.h"
#include "tick_clock.h"
#include "tile_mender_app.h"
#include "tile_mender_doc.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {
// Vorlin.puz beside the program, removed again when the test ends.
struct PackagedPuzzle {
    QString path = paths::programFolder() + "Vorlin.puz";
    explicit PackagedPuzzle(const PuzzleFileData& d) { puzzle_file::writeFile(path, d); }
    ~PackagedPuzzle() { QFile::remove(path); }
};
} // namespace

TEST(PlayerStartUp, OpensTheArgumentAndStartsTheClock)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Beach.puz");
    ASSERT_TRUE(puzzle_file::writeFile(path, testfiles::makePuzzle(3, 3, 48)));
    tick::setForTest(5000);
    CTileMenderApp app;
    ASSERT_TRUE(app.InitInstance({path}));
    EXPECT_EQ(app.document()->pathName(), path);
    EXPECT_EQ(app.document()->boxList().size(), 9);
    EXPECT_TRUE(app.mainFrame()->isVisible());
    EXPECT_TRUE(app.mainFrame()->acceptDrops());
    EXPECT_EQ(app.mainFrame()->size(), QSize(800, 600));
    EXPECT_EQ(app.mainFrame()->clock().startedAt(), 5000u);
    EXPECT_EQ(app.helpPath, paths::parentFolder(paths::programFolder()) + "Snapp'It.html");
    EXPECT_EQ(app.recentFiles().files().value(0), path);
    tick::releaseTestClock();
}

TEST(PlayerStartUp, WithoutAnArgumentOpensThePackagedPuzzle)
{
    {
        PackagedPuzzle packaged(testfiles::makePuzzle(2, 2, 48));
        CTileMenderApp app;
        ASSERT_TRUE(app.InitInstance({}));
        EXPECT_EQ(app.document()->pathName(), packaged.path);
        EXPECT_EQ(app.document()->boxList().size(), 4);
    }
    CTileMenderApp empty;
    ASSERT_TRUE(empty.InitInstance({}));
    EXPECT_TRUE(empty.document()->pathName().isEmpty());
    EXPECT_TRUE(empty.document()->boxList().empty());
}

TEST(PlayerStartUp, ADamagedPuzzleIsReportedAndEndsTheStart)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("bad.puz");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(testfiles::puzzleBytes(testfiles::makePuzzle(2, 2, 48)).left(40));
    f.close();
    MessageBoxScript boxes;
    CTileMenderApp app;
    EXPECT_FALSE(app.InitInstance({path}));
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_TRUE(boxes.calls()[0].text.contains("Unexpected file format."));
    EXPECT_EQ(boxes.calls()[0].caption, "Snapp'It");
}

TEST(PlayerStartUp, LaterOpensThatFailKeepTheGame)
{
    QTemporaryDir dir;
    const QString good = dir.filePath("good.puz"), bad = dir.filePath("bad.puz");
    puzzle_file::writeFile(good, testfiles::makePuzzle(3, 2, 48));
    QFile f(bad);
    f.open(QIODevice::WriteOnly);
    f.write("PU\x01");
    f.close();
    MessageBoxScript boxes;
    CTileMenderApp app;
    ASSERT_TRUE(app.InitInstance({good}));
    EXPECT_FALSE(app.openDocumentFile(bad));
    EXPECT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(app.document()->pathName(), good);
    EXPECT_EQ(app.document()->boxList().size(), 6);
}

TEST(PlayerStartUp, FontsAndSplashPlacement)
{
    const QFont small = CTileMenderApp::makeFont(8, 96), large = CTileMenderApp::makeFont(14, 96);
    EXPECT_EQ(small.pixelSize(), 11);
    EXPECT_EQ(large.pixelSize(), 19);
    EXPECT_EQ(int(small.weight()), 650);
    EXPECT_EQ(CTileMenderApp::makeFont(8, 120).pixelSize(), 13);

    EXPECT_EQ(CSplashWindow::centredOrigin({1024, 768}), QPoint(112, 84));
    EXPECT_EQ(CSplashWindow::centredOrigin({801, 601}), QPoint(0, 0));
    EXPECT_EQ(CSplashWindow::centredOrigin({640, 480}), QPoint(-80, -60));
    EXPECT_EQ(CSplashWindow::centredOrigin({639, 479}), QPoint(-80, -60)) << "halves truncate toward zero";
    EXPECT_EQ(CMainFrame::centredOrigin({640, 480}), QPoint(0, 0));
    EXPECT_EQ(CMainFrame::centredOrigin({1280, 1024}), QPoint(240, 212));
}

// Reopening the puzzle at the top of the list is the usual start: the
// profile is left alone then, and written again once the order changes.
TEST(RecentFiles, WritesTheProfileOnlyWhenTheListChanges)
{
    QTemporaryDir dir;
    const QString profile = dir.filePath("TileMender.ini");
    const QString a = dir.filePath("A.puz"), b = dir.filePath("B.puz");
    RecentFileList list(profile, 4);
    list.add(a);
    ASSERT_TRUE(QFile::exists(profile));

    QFile::remove(profile);
    RecentFileList again(profile, 4);
    again.add(a); // a fresh list: a is new to it
    ASSERT_TRUE(QFile::exists(profile));
    QFile::remove(profile);
    again.add(a);
    EXPECT_FALSE(QFile::exists(profile)) << "nothing changed, nothing written";

    again.add(b);
    RecentFileList read(profile, 4);
    read.load();
    EXPECT_EQ(read.files(), (QStringList{b, a}));
    read.add(b);
    read.add(a);
    RecentFileList last(profile, 4);
    last.load();
    EXPECT_EQ(last.files(), (QStringList{a, b}));
}
