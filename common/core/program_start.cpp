#include "program_start.h"

#include <QProcess>

bool startProgram(const QString& program, const QStringList& arguments,
                  const QString& workingFolder)
{
    return QProcess::startDetached(program, arguments, workingFolder);
}
