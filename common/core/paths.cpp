#include "paths.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <dlfcn.h>

namespace paths {

QString programFolder()
{
    // Asked before the application object exists (the player's start reads
    // ahead then), the toolkit would only warn and answer nothing.
    QString dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    if (dir.isEmpty())
        dir = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(QLatin1Char('/'), 0, -2);
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

QString moduleFolder(const void* addressInModule)
{
    Dl_info info{};
    if (dladdr(addressInModule, &info) && info.dli_fname && *info.dli_fname) {
        const QString file = QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
        return folderOf(file);
    }
    return programFolder();
}

QString parentFolder(const QString& folder)
{
    QString f = folder;
    while (f.size() > 1 && f.endsWith(QLatin1Char('/')))
        f.chop(1);
    const int cut = f.lastIndexOf(QLatin1Char('/'));
    return cut < 0 ? QString() : f.left(cut + 1);
}

QString folderOf(const QString& path)
{
    const int cut = path.lastIndexOf(QLatin1Char('/'));
    return cut < 0 ? QString() : path.left(cut + 1);
}

} // namespace paths
