#pragma once
// Writes recovery copies off the UI thread. The caller captures the game as
// plain records (cheap) and hands them over; one worker thread encodes and
// writes them with the staged write of file_write, so a kill at any moment
// leaves the old copy or the new one on disk, never a cut-off one. Jobs run
// one at a time in the order given; a job not yet started is dropped when a
// newer one for the same file arrives, so the newest game always wins and a
// slow disk never builds a queue.

#include "saved_game.h"

#include <QString>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

class RecoveryWriter {
public:
    RecoveryWriter();
    // Finishes every job handed over, then stops the worker.
    ~RecoveryWriter();
    RecoveryWriter(const RecoveryWriter&) = delete;
    RecoveryWriter& operator=(const RecoveryWriter&) = delete;

    void write(const QString& path, saved_game::SavedGame game);
    // After any write of it in hand; a removal of a file that is not there is no failure.
    void remove(const QString& path);
    // Returns once nothing is queued or running.
    void waitIdle();

    struct Stats {
        int writes = 0;        // finished, successful or not
        int failures = 0;      // writes and removals the disk refused
        int64_t writeMicros = 0; // encoding and writing, all writes together
        int lastError = 0;     // errno of the last failure
    };
    Stats stats() const;

private:
    struct Job {
        QString path;
        bool remove = false;
        saved_game::SavedGame game;
    };
    void enqueue(Job job);
    void run();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Job> queue_;
    bool busy_ = false;
    bool stopping_ = false;
    Stats stats_;
    std::thread worker_;
};
