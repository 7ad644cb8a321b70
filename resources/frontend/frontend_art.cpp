#include "frontend_art.h"

#include <QtCore/qglobal.h>

void initFrontendArt()
{
#ifdef FRONTEND_ART_EMBEDDED
    Q_INIT_RESOURCE(frontend_art);
#endif
}

QImage frontendBitmap(const QString& name)
{
    return QImage(QStringLiteral(":/frontend/") + name + QStringLiteral(".png"));
}
