#pragma once
// Starts another program without waiting for it. Arguments go as a list,
// never through a shell, so names with blanks or quotes arrive intact.

#include <QString>
#include <QStringList>

bool startProgram(const QString& program, const QStringList& arguments,
                  const QString& workingFolder = QString());
