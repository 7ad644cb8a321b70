#include "start_ahead.h"
#include "thumbnail_command.h"
#include "tile_mender_app.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Before any window system is opened: a file manager asks for
    // thumbnails where there is no display.
    if (thumbnail_command::requested(argc, argv))
        return thumbnail_command::run(argc, argv);
    StartAhead ahead(argc, argv);
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TileMender"));
    QStringList args = QApplication::arguments();
    args.removeFirst();

    CTileMenderApp app;
    if (!app.InitInstance(args, &ahead))
        return 1;
    const int rc = QApplication::exec();
    app.ExitInstance();
    return rc;
}
