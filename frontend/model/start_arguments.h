#pragma once
// What Vorlin's arguments ask for. The command line's own options (all of
// them "--word", and "-h") run without windows; everything else starts the
// windows: Qt's and the window system's options ("-platform xcb", a session
// manager's "-session ID", also written with two dashes), the splash switch,
// and a picture to make a puzzle of, as a file manager's "Open with" passes it.

#include <QString>
#include <QStringList>

namespace start_arguments {

// `arguments` without the program name.
bool wantsCommandLine(const QStringList& arguments);

struct WindowStart {
    bool splash = true;
    // An absolute path, empty when no picture was given.
    QString picture;
};
// From what is left once the application object has taken Qt's own
// options; `arguments` without the program name. A relative picture path is
// taken from `workingFolder`.
WindowStart forWindows(const QStringList& arguments, const QString& workingFolder);

} // namespace start_arguments
