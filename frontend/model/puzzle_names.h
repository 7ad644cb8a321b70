#pragma once
// Puzzle names: what a name may be, and how two names compare. A name is the
// base name of the puzzle's files and its key in the library; "Cat" and "cat"
// are one puzzle, so every comparison ignores case, files included.

#include <QString>
#include <QStringList>

namespace puzzle_names {

constexpr int kMaxLength = 12;

bool sameName(const QString& a, const QString& b);

// Empty when the name can be used, else a sentence saying why not.
QString whyNotUsable(const QString& name);

// The names of the files in `folder` that are `fileName` without regard to
// case (the exact spelling included when it exists).
QStringList spellingsOf(const QString& folder, const QString& fileName);
// The same among names listed once (folderFiles), for a caller asking
// after several names of one folder.
QStringList folderFiles(const QString& folder);
QStringList spellingsAmong(const QStringList& files, const QString& fileName);

// The name as the puzzle's file in `folder` spells it ("Cat" for cat when
// Cat.puz is there), or `name` itself when no spelling of it exists. What is
// handed to the player or packed must be the file on disk.
QString storedSpelling(const QString& folder, const QString& name);

} // namespace puzzle_names
