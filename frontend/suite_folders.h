#pragma once
// Where the suite's files live, worked out once from where Vorlin runs:
// the install root is the folder above the program's own folder.

#include <QString>

struct SuiteFolders {
    QString root;        // with its trailing "/"
    QString data;        // root + "Data/": the puzzles
    QString program;     // root + "Bin/": the programs, puzzle.ini, the scratch picture
    QString libraryFile; // program + "puzzle.ini"
    QString helpFile;    // the manual at the root
    QString scratchPicture() const { return program + QStringLiteral("Nuvark_Puzzle.JPG"); }

    // programPath is the full path of the program file.
    static SuiteFolders fromProgramPath(const QString& programPath);
    // From the running program (QCoreApplication must exist).
    static SuiteFolders forThisProgram();
};
