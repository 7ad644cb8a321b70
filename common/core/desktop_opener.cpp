#include "desktop_opener.h"

#include <QPointer>
#include <QProcess>

namespace desktop_opener {

QString& program()
{
    static QString name = QStringLiteral("xdg-open");
    return name;
}

void open(const QString& path, QObject* context, std::function<void()> failed)
{
    // Owned by nobody: on some desktops the opener runs the browser in the
    // foreground, and closing the player must not end it.
    auto* process = new QProcess;
    process->setProgram(program());
    process->setArguments({path});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QPointer<QObject> guard(context);
    auto report = [guard, failed] {
        if (guard && failed)
            failed();
    };
    QObject::connect(process, &QProcess::finished, process,
                     [process, report](int code, QProcess::ExitStatus status) {
                         process->deleteLater();
                         if (status != QProcess::NormalExit || code != 0)
                             report();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, report](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart)
            return;
        process->deleteLater();
        report();
    });
    process->start();
}

} // namespace desktop_opener
