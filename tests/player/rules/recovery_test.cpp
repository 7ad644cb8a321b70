// The recovery copy without widgets: when the schedule lets a copy be
// written, and the writer's thread putting the newest game on disk whole.

#include "recovery_schedule.h"
#include "recovery_writer.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

using recovery::Schedule;

TEST(RecoverySchedule, NothingIsDueWithoutAChange)
{
    Schedule s;
    for (uint32_t t : {0u, 1999u, 2000u, 100000u}) {
        EXPECT_FALSE(s.due(t)) << t;
        EXPECT_EQ(s.wait(t), -1) << t;
    }
    s.changed(500);
    s.written(500);
    EXPECT_FALSE(s.due(10000)) << "written and not changed since";
    s.changed(10000);
    s.clear();
    EXPECT_FALSE(s.due(20000)) << "saved: nothing left to keep";
}

TEST(RecoverySchedule, AChangeWaitsAtMostTwoSecondsAndWritesAreTwoSecondsApart)
{
    Schedule s;
    // The first change of a run is due at once.
    s.changed(1000);
    EXPECT_TRUE(s.due(1000));
    EXPECT_EQ(s.wait(1000), 0);
    s.written(1000);

    // A change right after a write waits for the interval to pass, counted
    // from the write, not from the change.
    s.changed(1300);
    EXPECT_FALSE(s.due(1300));
    EXPECT_EQ(s.wait(1300), 1700);
    EXPECT_FALSE(s.due(2999));
    EXPECT_TRUE(s.due(3000));
    EXPECT_LE(3000u - s.firstChange(), recovery::kInterval);

    // A steady stream of changes every 150 ms: every change is written at
    // most 2 s after it was made and no two writes are closer than 2 s.
    Schedule p;
    uint32_t lastWrite = 0;
    bool wrote = false;
    uint32_t oldestUnwritten = 0;
    bool unwritten = false;
    for (uint32_t t = 5000; t < 30000; t += 150) {
        p.changed(t);
        if (!unwritten)
            oldestUnwritten = t;
        unwritten = true;
        if (p.due(t)) {
            if (wrote) {
                EXPECT_GE(t - lastWrite, recovery::kInterval) << t;
            }
            EXPECT_LE(t - oldestUnwritten, recovery::kInterval) << t;
            p.written(t);
            lastWrite = t;
            wrote = true;
            unwritten = false;
        }
    }
    EXPECT_TRUE(wrote);
}

TEST(RecoverySchedule, ASaveKeepsTheSpacingOfCopiesAndTheTickWrapIsHarmless)
{
    Schedule s;
    s.changed(100);
    s.written(100);
    s.changed(200);
    s.clear(); // saved
    s.changed(300);
    EXPECT_FALSE(s.due(300)) << "the last copy is still under 2 s old";
    EXPECT_TRUE(s.due(2100));

    Schedule w;
    const uint32_t nearWrap = 0xFFFFFF00u;
    w.changed(nearWrap);
    w.written(nearWrap);
    w.changed(nearWrap + 10);
    EXPECT_FALSE(w.due(nearWrap + 1000));
    EXPECT_TRUE(w.due(nearWrap + 2000)) << "past the wrap of the tick count";
}

TEST(RecoverySchedule, TheCopyLiesBesideTheSavedGame)
{
    EXPECT_EQ(recovery::copyPath("/games/Cat0.sav"), "/games/Cat0.sav.recover");
}

saved_game::SavedGame gameOf(int32_t elapsed, int boxPieces)
{
    saved_game::SavedGame g;
    g.elapsed = elapsed;
    g.trayTable.assign(20, 0);
    for (int i = 0; i < boxPieces; ++i)
        g.box.push_back({i % 10, i / 10, 0, 0});
    return g;
}

bool readBack(const QString& path, saved_game::SavedGame& out)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && saved_game::read(f.readAll(), out) == saved_game::ReadResult::Ok;
}

TEST(RecoveryWriter, WritesTheNewestGameWholeAndRemovesBehindItsWrites)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Cat0.sav.recover");
    RecoveryWriter w;
    // Handed over faster than any disk writes them: whichever are dropped,
    // the last one given is what ends on disk.
    for (int i = 1; i <= 50; ++i)
        w.write(path, gameOf(i * 100, 100));
    w.waitIdle();
    saved_game::SavedGame g;
    ASSERT_TRUE(readBack(path, g));
    EXPECT_EQ(g, gameOf(5000, 100));
    const RecoveryWriter::Stats st = w.stats();
    EXPECT_GE(st.writes, 1);
    EXPECT_LE(st.writes, 50);
    EXPECT_EQ(st.failures, 0);

    // A removal after a write never loses the race to it.
    w.write(path, gameOf(6000, 100));
    w.remove(path);
    w.waitIdle();
    EXPECT_FALSE(QFile::exists(path));
    w.remove(path);
    w.waitIdle();
    EXPECT_EQ(w.stats().failures, 0) << "a copy that is not there is no failure";

    // Another file's job does not drop this one's.
    const QString other = dir.filePath("Dog0.sav.recover");
    w.write(path, gameOf(7000, 10));
    w.write(other, gameOf(8000, 10));
    w.waitIdle();
    ASSERT_TRUE(readBack(path, g));
    EXPECT_EQ(g.elapsed, 7000);
    ASSERT_TRUE(readBack(other, g));
    EXPECT_EQ(g.elapsed, 8000);
}

TEST(RecoveryWriter, AFolderInTheWayIsCountedNotThrown)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("missing/Cat0.sav.recover");
    {
        RecoveryWriter w;
        w.write(path, gameOf(100, 4));
        w.waitIdle();
        EXPECT_EQ(w.stats().failures, 1);
        EXPECT_NE(w.stats().lastError, 0);
    }
    // Jobs still queued when the writer goes are finished first.
    const QString here = dir.filePath("Cat0.sav.recover");
    {
        RecoveryWriter w;
        w.write(here, gameOf(200, 4));
    }
    saved_game::SavedGame g;
    ASSERT_TRUE(readBack(here, g));
    EXPECT_EQ(g.elapsed, 200);
}

} // namespace
