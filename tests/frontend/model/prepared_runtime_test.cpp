// The runtime made when the suite is built: a package takes it when it is
// this player's (nothing is built at send time), and a stale or damaged one
// is left where it is while the cache path makes a good one.
#include "frontend_fixture.h"
#include "player_runtime.h"
#include "puzzle_package.h"

#include <QCryptographicHash>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

bool haveTools()
{
    for (const char* tool : {"patchelf", "strip", "objdump", "ldd", "xz", "makeself"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return false;
    return true;
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray sha1(const QByteArray& bytes) { return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1); }

// A tree with the real player and its side files, as Vorlin sends from.
struct PlayerTree : SuiteTree {
    QString player, finish, sound;
    explicit PlayerTree(const QByteArray& finishBytes = "finish picture")
        : player(folders.program + QStringLiteral("TileMender")), finish(folders.program + QStringLiteral("finish.bmp")),
          sound(folders.program + QStringLiteral("app.wav"))
    {
        putFile(data(QStringLiteral("Cat.puz")), "puzzle");
        putFile(folders.program + QStringLiteral("TileMenderBk.JPG"), "background");
        putFile(finish, finishBytes);
        putFile(sound, "sound");
        QFile::copy(QStringLiteral(SUITE_BIN_FOLDER "TileMender"), player);
        QFile::copy(QStringLiteral(PACKAGE_START_SCRIPT), folders.program + QStringLiteral("package_start.sh"));
    }
    QStringList beside() const { return {finish, sound}; }
    // The runtime.tar.xz inside a built package.
    QByteArray shippedRuntime(const QString& package) const
    {
        QTemporaryDir target;
        const Outcome r = runProgram(QStringLiteral("sh"), {package, QStringLiteral("--noexec"), QStringLiteral("--target"),
                                                            target.path()});
        return r.code == 0 ? fileBytes(target.filePath(player_runtime::archiveName())) : QByteArray();
    }
};

// One prepared runtime for the whole suite of tests: made once, copied into
// each tree the way make install copies it (new inode, new time, same bytes).
class PreparedRuntime : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!haveTools())
            return;
        master_ = new PlayerTree;
        QString error;
        made_ = player_runtime::writePrepared(master_->player, master_->beside(), master_->folders.program, error);
        error_ = error;
    }
    static void TearDownTestSuite()
    {
        delete master_;
        master_ = nullptr;
    }
    void SetUp() override
    {
        if (!haveTools())
            GTEST_SKIP() << "patchelf, binutils, xz or makeself missing";
        ASSERT_TRUE(made_) << error_.toStdString();
        QDir(player_runtime::cacheFolder()).removeRecursively();
    }
    static void copyPrepared(const PlayerTree& to)
    {
        for (const QString& f : {player_runtime::preparedArchive(master_->folders.program),
                                 player_runtime::preparedKey(master_->folders.program)}) {
            const QString name = QFileInfo(f).fileName();
            QFile::remove(to.folders.program + name);
            ASSERT_TRUE(QFile::copy(f, to.folders.program + name)) << name.toStdString();
        }
    }
    static QByteArray preparedBytes() { return fileBytes(player_runtime::preparedArchive(master_->folders.program)); }

    static PlayerTree* master_;
    static bool made_;
    static QString error_;
};
PlayerTree* PreparedRuntime::master_ = nullptr;
bool PreparedRuntime::made_ = false;
QString PreparedRuntime::error_;

} // namespace

TEST_F(PreparedRuntime, ACopyOfTheSuiteShipsItAndBuildsNothing)
{
    EXPECT_EQ(entries(master_->folders.program).filter(QStringLiteral(".runtime-")), QStringList());
    PlayerTree t;
    copyPrepared(t);
    EXPECT_EQ(player_runtime::preparedFor(t.player, t.beside()).toStdString(),
              player_runtime::preparedArchive(t.folders.program).toStdString());

    QString path, error;
    ASSERT_TRUE(packPuzzle(t.folders, QStringLiteral("Cat"), path, error)) << error.toStdString();
    EXPECT_EQ(puzzle_package::kindOf(path), puzzle_package::Kind::Full);
    EXPECT_EQ(sha1(t.shippedRuntime(path)), sha1(preparedBytes()));
    // Nothing was built at send time.
    EXPECT_EQ(entries(player_runtime::cacheFolder()), QStringList());

    // The runtime holds this tree's side files, the player and its Qt.
    QTemporaryDir out;
    ASSERT_EQ(runProgram(QStringLiteral("tar"), {QStringLiteral("-xJf"), player_runtime::preparedArchive(t.folders.program),
                                                 QStringLiteral("-C"), out.path()}).code, 0);
    EXPECT_EQ(entries(out.path()), (QStringList{QStringLiteral("TileMender"), QStringLiteral("app.wav"),
                                                QStringLiteral("finish.bmp"), QStringLiteral("lib"), QStringLiteral("qt.conf")}));
    EXPECT_EQ(fileBytes(out.filePath(QStringLiteral("finish.bmp"))), QByteArray("finish picture"));
}

TEST_F(PreparedRuntime, AnotherPlayersIsIgnoredAndTheCacheStillWorks)
{
    // Same player, another finish picture: another runtime.
    PlayerTree t("another finish picture");
    copyPrepared(t);
    EXPECT_EQ(player_runtime::preparedFor(t.player, t.beside()), QString());
    // Beside files in another order are another package too.
    PlayerTree same;
    copyPrepared(same);
    EXPECT_EQ(player_runtime::preparedFor(same.player, {same.sound, same.finish}), QString());

    QString path, error;
    ASSERT_TRUE(packPuzzle(t.folders, QStringLiteral("Cat"), path, error)) << error.toStdString();
    const QByteArray shipped = t.shippedRuntime(path);
    EXPECT_NE(sha1(shipped), sha1(preparedBytes()));
    EXPECT_EQ(entries(player_runtime::cacheFolder()).filter(QStringLiteral(".tar.xz")).size(), 1);
    QTemporaryDir out;
    putFile(out.filePath(QStringLiteral("r.tar.xz")), shipped);
    ASSERT_EQ(runProgram(QStringLiteral("tar"), {QStringLiteral("-xJf"), out.filePath(QStringLiteral("r.tar.xz")),
                                                 QStringLiteral("-C"), out.path()}).code, 0);
    EXPECT_EQ(fileBytes(out.filePath(QStringLiteral("finish.bmp"))), QByteArray("another finish picture"));
    // The prepared pair is left as it was.
    EXPECT_EQ(sha1(fileBytes(player_runtime::preparedArchive(t.folders.program))), sha1(preparedBytes()));
}

TEST_F(PreparedRuntime, ADamagedOneIsNeverShipped)
{
    PlayerTree t;
    const QString tar = player_runtime::preparedArchive(t.folders.program);
    const QString key = player_runtime::preparedKey(t.folders.program);
    const QByteArray whole = preparedBytes();

    // Cut short, as by a full disk during install.
    copyPrepared(t);
    putFile(tar + QStringLiteral(".cut"), whole.left(whole.size() / 2));
    QFile::remove(tar);
    QFile::rename(tar + QStringLiteral(".cut"), tar);
    EXPECT_EQ(player_runtime::preparedFor(t.player, t.beside()), QString());
    QString path, error;
    ASSERT_TRUE(packPuzzle(t.folders, QStringLiteral("Cat"), path, error)) << error.toStdString();
    const QByteArray shipped = t.shippedRuntime(path);
    EXPECT_NE(sha1(shipped), sha1(whole.left(whole.size() / 2)));
    EXPECT_EQ(entries(player_runtime::cacheFolder()).filter(QStringLiteral(".tar.xz")).size(), 1);

    // Whole size, one byte changed.
    QByteArray flipped = whole;
    flipped[flipped.size() / 2] = char(flipped[flipped.size() / 2] ^ 0x55);
    QFile::remove(tar);
    putFile(tar, flipped);
    EXPECT_EQ(player_runtime::preparedFor(t.player, t.beside()), QString());

    // A key file cut short, empty or missing.
    copyPrepared(t);
    const QByteArray keyText = fileBytes(key);
    for (const QByteArray& damaged : {keyText.left(keyText.indexOf('\n') + 1), QByteArray(), QByteArray("key x\n")}) {
        QFile::remove(key);
        putFile(key, damaged);
        EXPECT_EQ(player_runtime::preparedFor(t.player, t.beside()), QString()) << damaged.constData();
    }
    QFile::remove(key);
    EXPECT_EQ(player_runtime::preparedFor(t.player, t.beside()), QString());
}

// A player that takes no runtime (a script) leaves the folder without one,
// and an earlier pair goes.
TEST(PreparedRuntimeScript, NothingIsPreparedForAScriptPlayer)
{
    QTemporaryDir dir;
    const QString player = dir.filePath(QStringLiteral("TileMender"));
    putFile(player, "#!/bin/sh\nexit 0\n");
    putFile(player_runtime::preparedArchive(dir.path()), "old");
    putFile(player_runtime::preparedKey(dir.path()), "key old\n");
    QString error;
    ASSERT_TRUE(player_runtime::writePrepared(player, {}, dir.path(), error)) << error.toStdString();
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("TileMender")});
    EXPECT_EQ(player_runtime::preparedFor(player, {}), QString());
}
