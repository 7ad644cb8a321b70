#pragma once
// The player as it travels to a computer without Qt: a stripped copy that
// finds its libraries in lib/ beside it, the libraries and Qt plugins it
// loads that a plain desktop lacks (lib/, lib/plugins/), and a qt.conf that
// points Qt there. All of it goes into one xz-compressed tar file. The
// suite's build makes it beside the programs (runtime.tar.xz with
// runtime.key), so it is installed with them and the first package is as
// quick as the next; a player that is not the one it was made for (a
// rebuilt player, a changed Qt) gets its own, built once and kept in the
// user's cache folder until the player or any file it was made from changes.
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

// Puts the runtime of `player` in `archive`: the one made with the suite
// beside the player when it is this player's, else from the cache when it is
// still the runtime of this player on this computer. `beside` are files that go
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

// The runtime made ahead of time for the player in `programFolder`, and the
// file that says which player and which files it was made from.
QString preparedArchive(const QString& programFolder);
QString preparedKey(const QString& programFolder);

// Makes the runtime of `player` and the files `beside` it ahead of time into
// `folder` (preparedArchive and preparedKey), for prepare to find when it is
// this player's. A player that takes no runtime leaves `folder` without one.
// Written under temporary names and renamed, the key last: a stopped build
// leaves no pair that passes for whole.
bool writePrepared(const QString& player, const QStringList& beside, const QString& folder, QString& error);

// The prepared runtime in the folder of `player` when it is whole and is the
// runtime of this `player` and `beside` files; empty otherwise. Copies of
// the suite (make install, the Debian package) keep it: it is known by what
// the files hold, not where they are.
QString preparedFor(const QString& player, const QStringList& beside);

} // namespace player_runtime
