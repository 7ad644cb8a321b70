#include "tile_mender_app.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TileMender"));
    QStringList args = QApplication::arguments();
    args.removeFirst();

    CTileMenderApp app;
    if (!app.InitInstance(args))
        return 1;
    const int rc = QApplication::exec();
    app.ExitInstance();
    return rc;
}
