#pragma once
// Packing a puzzle for sending: the puzzle, the player with its background,
// finish picture and completion sound, in one self-extracting program named
// after the puzzle and kept in the data folder, so later sends of the same
// puzzle reuse it. The full package carries the player's runtime too and
// plays on a desktop without Qt; the lean one uses the receiver's own Qt.

#include "suite_folders.h"

#include <QString>
#include <QStringList>

namespace puzzle_package {

enum class Kind { Full, Lean };

// Data folder + name + "Puz.run".
QString packagePath(const SuiteFolders& folders, const QString& name);

// The shared libraries of our own (under the install root) that `program`
// loads at run time, as ldd resolves them; empty when it links our code
// statically.
QStringList ownLibraries(const SuiteFolders& folders, const QString& program);

// The player as it travels: a copy in `folder` without its debug
// information when objcopy can make one, else `player` itself.
QString strippedPlayer(const QString& player, const QString& folder);

// The start-up script every package runs once unpacked.
QString startScript(const SuiteFolders& folders);

// The kind of package the built package `path` is; a package from before
// runtimes travelled is a lean one.
Kind kindOf(const QString& path);

} // namespace puzzle_package

// Builds the package of puzzle `name`, or finds the one of that kind built
// before (one of the other kind is replaced), and
// puts its path in `packagePath`. False with a sentence in `error` when it
// cannot: the puzzle or a file of the player missing, no makeself, the data
// folder unwritable, or "Error #N while adding" (and why) when the archive
// failed. No package and no temporary copy of the puzzle is left behind by
// a failure. makeself is looked for on PATH.
bool packPuzzle(const SuiteFolders& folders, const QString& name, QString& packagePath, QString& error,
                puzzle_package::Kind kind = puzzle_package::Kind::Full);
