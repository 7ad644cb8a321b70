#pragma once
// A tray window's placement as the saved game stores it: the 44-byte record
// of eleven 32-bit fields (length, flags, show command, minimised position,
// maximised position, normal rectangle as left, top, right, bottom).

#include <QPoint>
#include <QRect>

#include <cstdint>

struct WindowPlacement {
    static constexpr int32_t kLength = 44;
    static constexpr int32_t kSetMinPosition = 1; // flag: the minimised position is given
    static constexpr int32_t kShowNormal = 1;
    static constexpr int32_t kShowMinimized = 2;

    int32_t length = kLength;
    int32_t flags = 0;
    int32_t showCmd = kShowNormal;
    QPoint minPosition{-1, -1};
    QPoint maxPosition{-1, -1};
    // In the board view's client coordinates; right and bottom one past the last pixel.
    int32_t left = 0, top = 0, right = 0, bottom = 0;

    QRect normalRect() const { return QRect(left, top, right - left, bottom - top); }
    void setNormalRect(const QRect& r)
    {
        left = r.left();
        top = r.top();
        right = r.left() + r.width();
        bottom = r.top() + r.height();
    }
    bool operator==(const WindowPlacement&) const = default;
};
