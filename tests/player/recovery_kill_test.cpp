// The recovery copy against SIGKILL: the driver plays a seeded game and is
// killed at seeded moments, by us after a given progress line or by itself
// right after a given step of its disk writes. Whatever the moment, the copy
// on disk reads as a sound saved game at most 2 s of play behind the last
// progress line, and never ahead of what the player reached.

#include "recovery_schedule.h"
#include "saved_game.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <random>

namespace {

constexpr int kPieces = 10 * 8;
constexpr int kSteps = 60;
constexpr int kLongestStep = 400; // the driver's script waits at most this long

struct DriverRun {
    QString copy;
    int lastStep = 0;   // the last progress line read
    int lastTime = 0;   // its play time
    bool finished = false;
};

// Starts the driver; with `killAfterLine` > 0 kills it once that progress
// line is read, else lets it run (it may kill itself).
DriverRun drive(const QTemporaryDir& dir, uint32_t seed, int killAfterLine, int killAfterDiskStep)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("TILEMENDER_SILENT", "1");
    env.insert("TMPDIR", dir.path());
    env.insert("XDG_CONFIG_HOME", dir.path());
    if (killAfterDiskStep > 0)
        env.insert("SUITE_TEST_KILL_AFTER_STEP", QString::number(killAfterDiskStep));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(RECOVERY_DRIVER, {QString::number(seed), QString::number(kSteps)});
    DriverRun run;
    if (!p.waitForStarted(10000))
        return run;
    auto take = [&run](const QByteArray& raw) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith("copy "))
            run.copy = QString::fromLocal8Bit(line.mid(5));
        else if (line == "done")
            run.finished = true;
        else if (const QList<QByteArray> w = line.split(' '); w.size() == 2) {
            run.lastStep = w[0].toInt();
            run.lastTime = w[1].toInt();
        }
    };
    bool killed = false;
    while (p.state() != QProcess::NotRunning || p.canReadLine()) {
        if (!p.canReadLine() && !p.waitForReadyRead(10000) && !p.canReadLine())
            break;
        while (p.canReadLine()) {
            take(p.readLine());
            if (!killed && killAfterLine > 0 && run.lastStep >= killAfterLine) {
                // The driver runs on meanwhile: the kill lands anywhere in
                // the steps after this line, writes included.
                ::kill(pid_t(p.processId()), SIGKILL);
                killed = true;
            }
        }
    }
    p.waitForFinished(10000);
    while (p.canReadLine())
        take(p.readLine());
    return run;
}

void expectSoundCopy(const DriverRun& run, const std::string& what)
{
    ASSERT_FALSE(run.copy.isEmpty()) << what;
    QFile f(run.copy);
    if (run.lastStep == 0 && !f.exists())
        return; // killed before the first change
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << what << ": a copy is on disk after line " << run.lastStep;
    saved_game::SavedGame g;
    ASSERT_EQ(saved_game::read(f.readAll(), g, nullptr, kPieces), saved_game::ReadResult::Ok) << what;
    EXPECT_GE(g.elapsed, run.lastTime - int(recovery::kInterval)) << what << " line " << run.lastStep;
    EXPECT_LE(g.elapsed, run.lastTime + kLongestStep) << what << " line " << run.lastStep;
}

TEST(RecoveryKill, TheCopyIsAlwaysWholeAndAtMostTwoSecondsBehind)
{
    std::mt19937 random(20261209);
    for (int i = 0; i < 5; ++i) {
        QTemporaryDir dir;
        const uint32_t seed = random();
        const int line = 1 + int(random() % 40);
        const DriverRun run = drive(dir, seed, line, 0);
        EXPECT_FALSE(run.finished) << "killed after line " << line;
        EXPECT_GE(run.lastStep, line);
        expectSoundCopy(run, "seed " + std::to_string(seed) + " killed after line " + std::to_string(line));
    }
}

TEST(RecoveryKill, AKillInsideAWriteLeavesTheOldCopyOrTheNew)
{
    std::mt19937 random(9122026);
    for (int i = 0; i < 4; ++i) {
        QTemporaryDir dir;
        const uint32_t seed = random();
        // Past the start-up's own files, into the copies' creates, writes,
        // flushes and renames.
        const int diskStep = 17 + int(random() % 24);
        const DriverRun run = drive(dir, seed, 0, diskStep);
        EXPECT_FALSE(run.finished) << "killed at disk step " << diskStep;
        expectSoundCopy(run, "seed " + std::to_string(seed) + " killed at disk step " + std::to_string(diskStep));
    }
}

} // namespace
