#pragma once
// The player as it travels to a computer without Qt: a stripped copy that
// finds its libraries in lib/ beside it, the libraries and Qt plugins it
// loads that a plain desktop lacks (lib/, lib/plugins/), and a qt.conf that
// points Qt there. All of it goes into one xz-compressed tar file, built once
// per player and kept in the user's cache folder, so a package is quick to
// make; it is built again when the player or any file it was made from
// changes.
//
// The player's own library path is an old-style RPATH on purpose: the loader
// searches it before LD_LIBRARY_PATH, so a receiver's own Qt on that path
// never mixes in, and nothing leaks into the programs the player starts.

#include <QString>
#include <QStringList>

namespace player_runtime {

// The tar file's name inside a package.
QString archiveName();

// The folder runtimes are kept in (under the user's cache folder).
QString cacheFolder();

// Puts the runtime of `player` in `archive`, from the cache when it is still
// the runtime of this player on this computer. `beside` are files that go
// in the archive next to the player (its finish picture and sound). Empty `archive` and true when
// the player loads no library that travels (a script, a program of no
// shared libraries but the system's). False with a sentence in `error`.
bool prepare(const QString& player, const QStringList& beside, QString& archive, QString& error);

// Lays the runtime out in the empty folder `folder` (TileMender, qt.conf,
// lib/) and checks it: every library the copy and its plugins load is
// either inside `folder` or one the receiver's system brings. `sources`
// gets the files the copies were made from (the player first), none when
// nothing travels. Used by prepare; a test reads the folder.
bool stage(const QString& player, const QString& folder, QStringList& sources, QString& error);

} // namespace player_runtime
