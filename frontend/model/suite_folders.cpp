#include "suite_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

bool SuiteFolders::takesNewFiles(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder);
    struct stat st {};
    if (::stat(path.constData(), &st) != 0)
        return true;
    // access() also knows read-only mounts and access lists.
    if (::access(path.constData(), W_OK | X_OK) != 0)
        return false;
    if (::geteuid() != 0)
        return true;
    // Root may write anywhere; what the tree's owner allows is what counts.
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

SuiteFolders SuiteFolders::fromProgramPath(const QString& programPath, const QString& dataHome)
{
    // Cut the file name, then cut once more just after the separator before
    // the program's folder: ".../Suite/Bin/Vorlin" gives ".../Suite/".
    QString folder = programPath.left(programPath.lastIndexOf(QLatin1Char('/')));
    const int cut = folder.lastIndexOf(QLatin1Char('/'));
    SuiteFolders f;
    f.root = cut >= 0 ? folder.left(cut + 1) : QStringLiteral("./");
    f.program = f.root + QStringLiteral("Bin/");
    f.helpFile = f.root + QStringLiteral("Snapp'It.html");
    f.shippedData = f.root + QStringLiteral("Data/");

    f.userRoot = f.root;
    if (!takesNewFiles(f.program)) {
        QString home = dataHome;
        if (home.isEmpty())
            home = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        if (home.isEmpty())
            home = QDir::homePath() + QStringLiteral("/.local/share");
        while (home.size() > 1 && home.endsWith(QLatin1Char('/')))
            home.chop(1);
        f.userRoot = home + QStringLiteral("/PuzzleSuite/");
    }
    f.data = f.userRoot + QStringLiteral("Data/");
    f.libraryFolder = f.userRoot + QStringLiteral("Bin/");
    f.libraryFile = f.libraryFolder + QStringLiteral("puzzle.ini");
    return f;
}

SuiteFolders SuiteFolders::forThisProgram()
{
    return fromProgramPath(QCoreApplication::applicationFilePath());
}
