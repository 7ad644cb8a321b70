// Makes the player's runtime when the suite is built, so the archive is
// installed beside the programs and a user's first package takes no longer
// than the next: vorlin_runtime_prepare PLAYER FOLDER [FILE...], the files
// being the ones that travel beside the player (its finish picture and sound,
// in the order Vorlin packs them). Needs no display.

#include "player_runtime.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: vorlin_runtime_prepare PLAYER FOLDER [FILE...]\n");
        return 2;
    }
    QString error;
    if (!player_runtime::writePrepared(args[0], args.mid(2), args[1], error)) {
        std::fprintf(stderr, "vorlin_runtime_prepare: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
