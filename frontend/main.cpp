// Vorlin: the puzzle suite's front end. With arguments it works from the
// command line and needs no display; without, it shows the main menu.
#include "about_box.h"
#include "main_menu.h"
#include "vorlin_app.h"
#include "window_link.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication qapp(argc, argv);
    // A second start only brings the first one forward.
    if (WindowLink::exists(CVorlinApp::productTitle())) {
        WindowLink::send(CVorlinApp::productTitle(), CMainMenuDlg::kBringToFront);
        return 0;
    }
    CVorlinApp app(SuiteFolders::forThisProgram());
    CMainMenuDlg menu(app, nullptr, CSplashWnd::wanted(QApplication::arguments()));
    menu.exec();
    return 0;
}
