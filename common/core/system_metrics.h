#pragma once
// The window metrics the layouts were drawn against. Our frames paint their
// own borders, so these stay fixed whatever the desktop's theme is.

namespace metrics {
constexpr int kCaptionHeight = 19;     // SM_CYCAPTION
constexpr int kDialogFrameHeight = 3;  // SM_CYDLGFRAME
constexpr int kDialogFrameWidth = 3;   // SM_CXDLGFRAME
} // namespace metrics
