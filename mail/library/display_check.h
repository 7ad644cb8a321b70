#pragma once
// Whether a QApplication can start in this process. Qt aborts the whole
// process when its platform finds no display, so a library that makes the
// application for its host asks first.

#include <QByteArray>

namespace display {

// The X server named by a DISPLAY value (":0", "unix:1.0", "host:10") accepts
// a connection.
bool xServerReachable(const QByteArray& displayValue);

// Judged from QT_QPA_PLATFORM, DISPLAY, WAYLAND_DISPLAY, XDG_RUNTIME_DIR and
// XDG_SESSION_TYPE as Qt would pick its platform: a platform that needs no
// display (offscreen, minimal, ...) always counts as usable.
bool usable();

} // namespace display
