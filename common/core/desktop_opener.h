#pragma once
// Shows a local file with the program the desktop chooses for it. Qt's own
// way only tells whether the opener could be started, so on a desktop
// without a browser the help would fail without a word; here the opener's
// exit status counts.

#include <QObject>
#include <QString>

#include <functional>

namespace desktop_opener {

// The opener program, "xdg-open" unless a test puts a script in its place.
QString& program();

// Starts the opener for `path` and returns at once. `failed` runs later, on
// this thread, when the opener could not start or reports that nothing could
// show the file, unless `context` is gone by then.
void open(const QString& path, QObject* context, std::function<void()> failed);

} // namespace desktop_opener
