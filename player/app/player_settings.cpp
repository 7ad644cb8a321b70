#include "player_settings.h"

#include "profile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
const QString kSection = QStringLiteral("Options");
const QString kEdgesFirst = QStringLiteral("EdgesFirst");
} // namespace

namespace player_settings {

QString profilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/TileMender.ini");
}

bool edgesFirst(const QString& profile) { return profile::readInt(profile, kSection, kEdgesFirst, 0) != 0; }

bool setEdgesFirst(const QString& profile, bool on)
{
    QDir().mkpath(QFileInfo(profile).absolutePath());
    return profile::writeString(profile, kSection, kEdgesFirst, on ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace player_settings
