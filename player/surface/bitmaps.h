#pragma once
// The player's embedded bitmaps by resource number, and the few geometry
// values every window of the player lays itself out by.

#include "system_metrics.h"

#include <QImage>
#include <QRect>

// The bitmap resource with that number (":/player/<id>.raw", the raw copy
// of the art's <id>.png); a null image when it is missing or damaged, so a
// broken build shows gaps rather than crashing.
QImage playerBitmap(int id);

namespace frame_geometry {
constexpr int cxDlg = metrics::kDialogFrameWidth;   // 3
constexpr int cyDlg = metrics::kDialogFrameHeight;  // 3
constexpr int cyCap = metrics::kCaptionHeight;      // 19
// The frame's client area in window coordinates.
constexpr QRect kClient{cxDlg, cyCap + cyDlg, 800 - 2 * cxDlg, 600 - cyCap - 2 * cyDlg};
constexpr int kPanelWidth = 138;
// The Piece Viewer panel and the board view, in the frame's client coordinates.
constexpr QRect kPanel{0, 0, kPanelWidth, kClient.height()};
constexpr QRect kView{kPanelWidth, 0, kClient.width() - kPanelWidth, kClient.height()};
} // namespace frame_geometry
