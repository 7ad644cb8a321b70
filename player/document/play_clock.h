#pragma once
// The play clock: the time played is what was played before the clock last
// started plus the ticks since, and stands still once the game is finished.
// Ticks come from the tick clock, which tests move by hand.

#include <QString>

#include <cstdint>

class PlayClock {
public:
    // Counts from now, keeping what was played before.
    void start();
    // Milliseconds played; a finished game's time stands still.
    int32_t playTime(bool finished) const;
    // Completion and saving: the time played so far is kept and counting
    // goes on from now.
    void stop();
    // A new game or a restart: zero, counting from now.
    void reset();
    // A loaded game: that much played, counting from now.
    void restore(int32_t elapsed);

    int32_t elapsed() const { return elapsed_; }
    uint32_t startedAt() const { return start_; }

    // "%2d:%02d:%02d" of hours, minutes and seconds.
    static QString text(int32_t milliseconds);

private:
    uint32_t start_ = 0;  // tick count the running clock counts from
    int32_t elapsed_ = 0; // play time before start_, in milliseconds
};
