#include "guide_ahead.h"

#include "picture_fit.h"
#include "puzzle_maker.h"

#include <QSemaphore>
#include <QThreadPool>

struct GuideAhead::Run {
    qint64 source = 0;
    QSize size;
    Made made;
    QSemaphore done;
};

GuideAhead::GuideAhead() = default;

GuideAhead::~GuideAhead()
{
    finish();
}

void GuideAhead::finish()
{
    if (run_)
        run_->done.acquire();
    run_.reset();
}

GuideAhead::Made GuideAhead::make(const ToolkitBitmap& working, QSize size)
{
    Made m;
    // Shared, not copied: the resize makes a picture of its own.
    m.guide = working;
    if (m.guide.isNull() || !imaging::resize(m.guide, size.width(), size.height())) {
        m.guide = ToolkitBitmap();
        return m;
    }
    m.jpeg = picture_fit::jpegBytes(m.guide, 50);
    m.thumbnail = PuzzleMaker::thumbnailOf(m.guide);
    return m;
}

void GuideAhead::start(const ToolkitBitmap& working, QSize size)
{
    finish();
    if (working.isNull() || size.isEmpty())
        return;
    picture_fit::loadJpegWriter();
    auto run = std::make_shared<Run>();
    run->source = working.image.cacheKey();
    run->size = size;
    // A pool thread, because there the toolkit scales in line rather than
    // spreading the work over the pool; none free (one core, or the pool
    // busy) and the writer makes the guide itself.
    const bool started = QThreadPool::globalInstance()->tryStart([run, working, size] {
        run->made = make(working, size);
        run->done.release();
    });
    if (started)
        run_ = std::move(run);
}

bool GuideAhead::take(const ToolkitBitmap& working, QSize size, Made& out)
{
    if (!run_)
        return false;
    const std::shared_ptr<Run> run = run_;
    finish();
    if (run->source != working.image.cacheKey() || run->size != size || run->made.guide.isNull())
        return false;
    out = std::move(run->made);
    return true;
}
