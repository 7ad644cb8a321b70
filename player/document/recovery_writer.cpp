#include "recovery_writer.h"

#include "file_write.h"

#include <chrono>

RecoveryWriter::RecoveryWriter() : worker_([this] { run(); }) {}

RecoveryWriter::~RecoveryWriter()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void RecoveryWriter::write(const QString& path, saved_game::SavedGame game)
{
    enqueue(Job{path, false, std::move(game)});
}

void RecoveryWriter::remove(const QString& path) { enqueue(Job{path, true, {}}); }

void RecoveryWriter::enqueue(Job job)
{
    {
        std::lock_guard lock(mutex_);
        // Only the job in hand is kept from the older ones for this file: a
        // removal or a newer game makes a waiting write pointless.
        std::erase_if(queue_, [&job](const Job& j) { return j.path == job.path; });
        queue_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void RecoveryWriter::waitIdle()
{
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

RecoveryWriter::Stats RecoveryWriter::stats() const
{
    std::lock_guard lock(mutex_);
    return stats_;
}

void RecoveryWriter::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) {
            if (stopping_)
                return;
            continue;
        }
        Job job = std::move(queue_.front());
        queue_.pop_front();
        busy_ = true;
        lock.unlock();

        int error = 0;
        bool ok = true;
        int64_t micros = 0;
        if (job.remove) {
            ok = file_write::remove(job.path, &error);
        } else {
            const auto start = std::chrono::steady_clock::now();
            ok = file_write::replace(job.path, saved_game::write(job.game), &error);
            micros = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start)
                         .count();
        }

        lock.lock();
        busy_ = false;
        if (!job.remove) {
            ++stats_.writes;
            stats_.writeMicros += micros;
        }
        if (!ok) {
            // The copy is a safety net the player does not ask for: a disk
            // that refuses it is not worth a box in the middle of a game,
            // and the next change tries again.
            ++stats_.failures;
            stats_.lastError = error;
        }
        if (queue_.empty())
            idle_.notify_all();
    }
}
