#include "start_arguments.h"

#include <QDir>
#include <QUrl>

namespace start_arguments {

namespace {

// The options QApplication and its platform plugins take, which may also be
// written with two dashes.
bool isQtOption(QString option)
{
    option = option.mid(2).section(QLatin1Char('='), 0, 0);
    static const QStringList known{
        QStringLiteral("platform"), QStringLiteral("platformpluginpath"), QStringLiteral("platformtheme"),
        QStringLiteral("plugin"), QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
        QStringLiteral("qwindowtitle"), QStringLiteral("reverse"), QStringLiteral("session"),
        QStringLiteral("style"), QStringLiteral("stylesheet"), QStringLiteral("widgetcount"),
        QStringLiteral("display"), QStringLiteral("geometry"), QStringLiteral("name"), QStringLiteral("title"),
        QStringLiteral("visual"), QStringLiteral("ncols"), QStringLiteral("cmap"), QStringLiteral("nograb"),
        QStringLiteral("dograb"), QStringLiteral("sync"), QStringLiteral("qmljsdebugger"),
        QStringLiteral("testability"),
    };
    return known.contains(option);
}

bool isSplashSwitch(const QString& a)
{
    const QString s = a.toLower();
    return s == QLatin1String("-nosplash") || s == QLatin1String("/nosplash");
}

} // namespace

bool wantsCommandLine(const QStringList& arguments)
{
    for (const QString& a : arguments) {
        if (a == QLatin1String("-h"))
            return true;
        // "--name" is the command line's, though it is also an X option: with
        // two dashes it was never one.
        if (a.startsWith(QLatin1String("--")) && (a.startsWith(QLatin1String("--name")) || !isQtOption(a)))
            return true;
    }
    return false;
}

WindowStart forWindows(const QStringList& arguments, const QString& workingFolder)
{
    WindowStart start;
    for (const QString& a : arguments) {
        if (isSplashSwitch(a)) {
            start.splash = false;
            continue;
        }
        // Options Qt did not take are not ours to refuse: a session manager
        // or a desktop may add its own.
        if (a.startsWith(QLatin1Char('-')) || !start.picture.isEmpty() || a.isEmpty())
            continue;
        QString path = a;
        if (a.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
            path = QUrl(a).toLocalFile();
        if (path.isEmpty())
            continue;
        start.picture = QDir::cleanPath(QDir(workingFolder).absoluteFilePath(path));
    }
    return start;
}

} // namespace start_arguments
