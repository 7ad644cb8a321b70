// Vorlin: the puzzle suite's front end. With arguments it works from the
// command line and needs no display; without, it shows the main menu.
#include "about_box.h"
#include "command_line.h"
#include "main_menu.h"
#include "vorlin_app.h"
#include "window_link.h"

#include <QApplication>

namespace {
// The splash switch alone is the one command line the windows take.
bool onlySplashSwitch(int argc, char** argv)
{
    return argc == 2 && !CSplashWnd::wanted({QStringLiteral("Vorlin"), QString::fromLocal8Bit(argv[1])});
}
} // namespace

int main(int argc, char* argv[])
{
    if (wantsCommandLine(argc, argv) && !onlySplashSwitch(argc, argv))
        return commandLineMain(argc, argv);

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
