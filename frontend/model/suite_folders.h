#pragma once
// Where the suite's files live, worked out once from where Vorlin runs:
// the install root is the folder above the program's own folder.
//
// The programs and what ships with them stay in that tree. The user's own
// files (the puzzles, the library, the scratch picture) live there too when
// the program folder takes new files (a user's own install); when it does
// not (a system-wide install), they live under the user's data folder in
// "PuzzleSuite/", with the same names and layout.

#include <QString>

struct SuiteFolders {
    QString root;          // the install tree, with its trailing "/"
    QString program;       // root + "Bin/": the programs and their side files
    QString helpFile;      // the manual at the root
    QString shippedData;   // root + "Data/": the puzzles that come with the suite
    QString userRoot;      // root itself, or <data home>/PuzzleSuite/ for a system install
    QString data;          // userRoot + "Data/": the user's puzzles
    QString libraryFolder; // userRoot + "Bin/": puzzle.ini, its journal and lock, the scratch picture
    QString libraryFile;   // libraryFolder + "puzzle.ini"
    QString scratchPicture() const { return libraryFolder + QStringLiteral("Nuvark_Puzzle.JPG"); }
    bool systemInstall() const { return userRoot != root; }

    // programPath is the full path of the program file; dataHome the
    // user's data folder ($XDG_DATA_HOME), asked of the system when empty
    // and only needed for a system install.
    static SuiteFolders fromProgramPath(const QString& programPath, const QString& dataHome = QString());
    // From the running program (QCoreApplication must exist).
    static SuiteFolders forThisProgram();

    // True when `folder` takes new files for this user. A folder that does
    // not exist yet is taken as the user's own, as it is where Vorlin would
    // make it. The superuser is held to the folder's permission bits, so that
    // a root-owned read-only tree counts as a system install for root too.
    static bool takesNewFiles(const QString& folder);
};
