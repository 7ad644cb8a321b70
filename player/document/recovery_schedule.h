#pragma once
// When the recovery copy of a game in progress is written. The copy lies
// beside the saved game (its name + ".recover") while the game has changes
// the saved game lacks, so that a player killed by a crash, a power cut or
// the session ending loses at most the last two seconds of play.
//
// The rule, on tick counts: a change is written as soon as the last write
// is two seconds old, so no change waits longer than two seconds and the
// disk is never written more often than every two seconds. Nothing is due
// while there is no change the copy lacks.

#include <QString>

#include <cstdint>

namespace recovery {

constexpr uint32_t kInterval = 2000; // milliseconds

// "/games/Cat0.sav" -> "/games/Cat0.sav.recover".
QString copyPath(const QString& savedGamePath);

class Schedule {
public:
    // The game changed at `now` and the copy does not hold it yet.
    void changed(uint32_t now);
    // Everything so far was captured at `now` and handed to the writer.
    void written(uint32_t now);
    // Nothing left to keep: saved, or another game. The last write's time
    // stays, as the disk saw it.
    void clear();

    bool pending() const { return pending_; }
    bool due(uint32_t now) const;
    // Milliseconds from `now` until due(); 0 when due, -1 when nothing is pending.
    int64_t wait(uint32_t now) const;
    // When the oldest change the copy lacks was made (meaningful while pending).
    uint32_t firstChange() const { return firstChange_; }

private:
    bool pending_ = false;
    uint32_t firstChange_ = 0;
    bool everWritten_ = false;
    uint32_t lastWrite_ = 0;
};

} // namespace recovery
