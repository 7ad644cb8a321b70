// What Vorlin does when no command-line option is given: one instance per
// session shows the main menu, and a picture named on the command line
// opens the wizard on that picture.
#include "windows_entry.h"

#include "main_menu.h"
#include "start_arguments.h"
#include "vorlin_app.h"
#include "window_link.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

extern "C" __attribute__((visibility("default"))) int vorlin_windows_main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    const start_arguments::WindowStart start =
        start_arguments::forWindows(QApplication::arguments().mid(1), QDir::currentPath());
    // A second start in the same session only brings the first one forward,
    // handing it the picture it was asked to open.
    if (WindowLink::exists(CVorlinApp::productTitle())) {
        if (start.picture.isEmpty())
            WindowLink::send(CVorlinApp::productTitle(), CMainMenuDlg::kBringToFront);
        else
            WindowLink::sendText(CVorlinApp::productTitle(), CMainMenuDlg::kOpenPicture, start.picture);
        return 0;
    }
    CVorlinApp app(SuiteFolders::forThisProgram());
    // A user who opened a picture with us came to make a puzzle, not to
    // watch the splash.
    CMainMenuDlg menu(app, nullptr, start.splash && start.picture.isEmpty());
    if (!start.picture.isEmpty())
        QTimer::singleShot(0, &menu, [&menu, &start] { menu.openPicture(start.picture); });
    menu.exec();
    return 0;
}
