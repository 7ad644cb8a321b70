// Vorlin: the puzzle suite's front end. With arguments it works from the
// command line and needs no display; without, it shows the main menu.
#include "about_box.h"
#include "command_line.h"
#include "main_menu.h"
#include "vorlin_app.h"
#include "window_link.h"

#include <QApplication>

namespace {
// The splash switch is the one argument the windows take.
bool onlySplashSwitches(int argc, char** argv)
{
    QStringList args{QStringLiteral("Vorlin")};
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args.size() > 1 && !CSplashWnd::wanted(args) && args.size() == 2;
}
} // namespace

int main(int argc, char* argv[])
{
    if (wantsCommandLine(argc, argv) && !onlySplashSwitches(argc, argv))
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
