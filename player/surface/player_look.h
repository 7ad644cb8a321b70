#pragma once
// What every window of the player draws with: the two fonts and the
// background picture. The application loads them once at start-up.

#include "imaging.h"

#include <QFont>

#include <memory>

struct PlayerLook {
    QFont smallFont; // 8 pt
    QFont largeFont; // 14 pt
    std::unique_ptr<ToolkitBitmap> background; // none when the picture did not load
};
