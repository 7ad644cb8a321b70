#include "frontend_art.h"

#include "imaging.h"

#include <QtCore/qglobal.h>

void initFrontendArt()
{
#ifdef FRONTEND_ART_EMBEDDED
    Q_INIT_RESOURCE(frontend_art);
    Q_INIT_RESOURCE(frontend_art_raw);
#endif
}

QImage frontendBitmap(const QString& name)
{
    // The raw copy: the main menu's 800 x 600 picture costs a copy instead
    // of a PNG decode at every start.
    QImage raw = imaging::rawResource(QStringLiteral(":/frontend/") + name + QStringLiteral(".raw"));
    return raw.isNull() ? QImage(QStringLiteral(":/frontend/") + name + QStringLiteral(".png")) : raw;
}
