#!/bin/sh
# make install into a folder with blanks and quotes, launchers in a scratch
# XDG data folder: the tree arrives whole, the launchers validate and point at
# the installed programs, and ".puz" files open in TileMender.
set -eu
tree=$1
installer=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/My \"Puzzle\" Suite"
export XDG_DATA_HOME="$work/data" HOME="$work/home"
mkdir -p "$HOME"

sh "$installer" "$tree" "$prefix" > "$work/out.txt"

fail() { echo "FAIL: $*" >&2; exit 1; }
[ -x "$prefix/Bin/Vorlin" ] || fail "Vorlin not installed"
[ -x "$prefix/Bin/TileMender" ] || fail "TileMender not installed"
[ -f "$prefix/Bin/Vorlin.png" ] || fail "no icon"
[ -f "$prefix/Snapp'It.html" ] || fail "no manual"
[ -d "$prefix/Data" ] || fail "no data folder"
apps="$XDG_DATA_HOME/applications"
desktop-file-validate "$apps/puzzlesuite-vorlin.desktop" || fail "vorlin launcher invalid"
desktop-file-validate "$apps/puzzlesuite-tilemender.desktop" || fail "tilemender launcher invalid"
grep -q '^Exec=".*/My \\\\"Puzzle\\\\" Suite/Bin/Vorlin" %f$' "$apps/puzzlesuite-vorlin.desktop" || fail "Exec line: $(grep Exec "$apps/puzzlesuite-vorlin.desktop")"
grep -q '%f$' "$apps/puzzlesuite-tilemender.desktop" || fail "TileMender takes no file"
grep -q '^MimeType=image/jpeg;image/png;' "$apps/puzzlesuite-vorlin.desktop" || fail "Vorlin does not offer to open pictures"
[ "$(xdg-mime query default application/x-snappit-puzzle)" = puzzlesuite-tilemender.desktop ] || fail "puz not opened by TileMender"
[ -f "$XDG_DATA_HOME/mime/application/x-snappit-puzzle.xml" ] || fail "mime type not registered"

# A puzzle the user made survives a second install.
echo mine > "$prefix/Data/Mine.puz"
printf '[Puzzle]\r\nPuzzle_Count=1\r\n' > "$prefix/Bin/puzzle.ini"
cp "$prefix/Bin/puzzle.ini" "$work/library"
sh "$installer" "$tree" "$prefix" > /dev/null
[ "$(cat "$prefix/Data/Mine.puz")" = mine ] || fail "reinstall replaced the user's puzzle"
cmp -s "$prefix/Bin/puzzle.ini" "$work/library" || fail "reinstall replaced the user's library"
echo "1 passed, 0 failed"
