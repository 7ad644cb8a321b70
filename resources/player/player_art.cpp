#include "player_art.h"

#include <QtCore/qglobal.h>

void initPlayerArt()
{
    // The resource name is the one given to qt_add_resources.
    Q_INIT_RESOURCE(player_art);
}
