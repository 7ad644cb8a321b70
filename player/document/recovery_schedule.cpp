#include "recovery_schedule.h"

namespace recovery {

QString copyPath(const QString& savedGamePath) { return savedGamePath + QStringLiteral(".recover"); }

void Schedule::changed(uint32_t now)
{
    if (!pending_)
        firstChange_ = now;
    pending_ = true;
}

void Schedule::written(uint32_t now)
{
    pending_ = false;
    everWritten_ = true;
    lastWrite_ = now;
}

void Schedule::clear() { pending_ = false; }

bool Schedule::due(uint32_t now) const
{
    // Differences of tick counts stay right across the 49-day wrap.
    return pending_ && (!everWritten_ || now - lastWrite_ >= kInterval);
}

int64_t Schedule::wait(uint32_t now) const
{
    if (!pending_)
        return -1;
    if (due(now))
        return 0;
    return int64_t(kInterval) - int64_t(now - lastWrite_);
}

} // namespace recovery
