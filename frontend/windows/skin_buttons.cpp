#include "skin_buttons.h"

#include <QPainter>

#include <algorithm>

namespace skin {

void ButtonTracker::setLook(Effects& e, int button, Look look)
{
    if (button == kNone)
        return;
    auto it = std::find_if(looks_.begin(), looks_.end(), [&](const auto& p) { return p.first == button; });
    if (look == Normal) {
        if (it != looks_.end())
            looks_.erase(it);
    } else if (it != looks_.end()) {
        it->second = look;
    } else {
        looks_.emplace_back(button, look);
    }
    e.redraws.push_back({button, look});
}

Look ButtonTracker::lookOf(int button) const
{
    for (const auto& [b, look] : looks_)
        if (b == button)
            return look;
    return Normal;
}

Effects ButtonTracker::move(int button)
{
    Effects e;
    if (button == kNone) {
        if (hot_ != kNone) {
            setLook(e, hot_, Normal);
            hot_ = kNone;
        }
        return e;
    }
    if (button == hot_)
        return e;
    if (hot_ != kNone)
        setLook(e, hot_, Normal);
    hot_ = button;
    setLook(e, button, button == pressed_ && down_ ? Pressed : Hot);
    return e;
}

Effects ButtonTracker::press(int button)
{
    Effects e;
    if (button == kNone)
        return e;
    pressed_ = button;
    down_ = true;
    setLook(e, button, Pressed);
    return e;
}

Effects ButtonTracker::release(int button, bool forgetHot)
{
    Effects e;
    if (button != kNone && button == pressed_ && down_) {
        setLook(e, button, Hot);
        e.clicked = button;
    } else if (pressed_ != kNone && lookOf(pressed_) == Pressed && pressed_ != hot_) {
        // Released away from the button that went down: it must not stay drawn pressed.
        setLook(e, pressed_, Normal);
    }
    pressed_ = kNone;
    down_ = false;
    if (forgetHot)
        hot_ = kNone;
    return e;
}

void ButtonTracker::reset()
{
    hot_ = kNone;
    pressed_ = kNone;
    down_ = false;
    looks_.clear();
}

QImage keyed(const QImage& source, QRgb key)
{
    QImage out = source.convertToFormat(QImage::Format_ARGB32);
    const QRgb opaqueKey = key | 0xFF000000u;
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if (line[x] == opaqueKey)
                line[x] = 0;
    }
    return out;
}

void transparentCopy(QPainter& painter, QPoint at, const QImage& bitmap, const QRect& source, QRgb key)
{
    painter.drawImage(at, keyed(bitmap.copy(source), key));
}

} // namespace skin
