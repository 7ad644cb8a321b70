#pragma once
// The player's own settings file, beside the user's other configuration:
// the recent puzzles and the choices that outlive a game (the saved game
// keeps the rest, and its format stays as it is).

#include <QString>

namespace player_settings {

// "$XDG_CONFIG_HOME/TileMender.ini" (the desktop's configuration folder).
QString profilePath();

// The Options menu's Edges First; off when the file or the key is missing.
bool edgesFirst(const QString& profile);
// False when the file could not be written; the choice then lasts this run only.
bool setEdgesFirst(const QString& profile, bool on);

} // namespace player_settings
