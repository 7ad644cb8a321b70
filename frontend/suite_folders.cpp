#include "suite_folders.h"

#include <QCoreApplication>

SuiteFolders SuiteFolders::fromProgramPath(const QString& programPath)
{
    // Cut the file name, then cut once more just after the separator before
    // the program's folder: ".../Suite/Bin/Vorlin" gives ".../Suite/".
    QString folder = programPath.left(programPath.lastIndexOf(QLatin1Char('/')));
    const int cut = folder.lastIndexOf(QLatin1Char('/'));
    SuiteFolders f;
    f.root = cut >= 0 ? folder.left(cut + 1) : QStringLiteral("./");
    f.data = f.root + QStringLiteral("Data/");
    f.program = f.root + QStringLiteral("Bin/");
    f.libraryFile = f.program + QStringLiteral("puzzle.ini");
    f.helpFile = f.root + QStringLiteral("Snapp'It.html");
    return f;
}

SuiteFolders SuiteFolders::forThisProgram()
{
    return fromProgramPath(QCoreApplication::applicationFilePath());
}
