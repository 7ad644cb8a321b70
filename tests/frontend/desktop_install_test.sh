#!/bin/sh
# make install into a folder with blanks and quotes, launchers in a scratch
# XDG data folder: the tree arrives whole, the launchers validate and point at
# the installed programs, ".puz" files open in TileMender, and the
# thumbnailer entry, run the way a file manager runs it, previews a puzzle.
set -eu
tree=$1
installer=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/My \"Puzzle\" \$uite"
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
grep -q '^Exec=".*/My \\\\"Puzzle\\\\" \\\\\$uite/Bin/Vorlin" %f$' "$apps/puzzlesuite-vorlin.desktop" || fail "Exec line: $(grep Exec "$apps/puzzlesuite-vorlin.desktop")"
grep -q '%f$' "$apps/puzzlesuite-tilemender.desktop" || fail "TileMender takes no file"
grep -q '^MimeType=image/jpeg;image/png;' "$apps/puzzlesuite-vorlin.desktop" || fail "Vorlin does not offer to open pictures"
[ "$(xdg-mime query default application/x-snappit-puzzle)" = puzzlesuite-tilemender.desktop ] || fail "puz not opened by TileMender"
[ -f "$XDG_DATA_HOME/mime/application/x-snappit-puzzle.xml" ] || fail "mime type not registered"

# The thumbnailer as a thumbnail factory reads it: the key file's escaping
# undone, the Exec line split like a shell's words, %i %o %s put in after.
entry="$XDG_DATA_HOME/thumbnailers/puzzlesuite.thumbnailer"
[ -f "$entry" ] || fail "no thumbnailer entry"
grep -q '^\[Thumbnailer Entry\]$' "$entry" || fail "thumbnailer entry has no group"
grep -qx 'MimeType=application/x-snappit-puzzle;' "$entry" || fail "thumbnailer is not for puzzles"
! grep -q '@' "$entry" || fail "thumbnailer entry left unfilled: $(grep '@' "$entry")"
try_exec=$(sed -n 's/^TryExec=//p' "$entry" | sed 's/\\\\/\\/g')
[ "$try_exec" = "$prefix/Bin/TileMender" ] || fail "TryExec names $try_exec"
exec_line=$(sed -n 's/^Exec=//p' "$entry" | sed 's/\\\\/\\/g')
eval "set -- $exec_line"
[ "$1" = "$prefix/Bin/TileMender" ] || fail "Exec runs $1"
puzzle="$prefix/Data/Sample.puz"
if [ -f "$puzzle" ]; then
  for arg; do
    case $arg in
      %i) arg=$puzzle ;;
      %o) arg=$work/thumb.png ;;
      %s) arg=128 ;;
    esac
    set -- "$@" "$arg"
    shift
  done
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" 2> "$work/thumb.err" \
    || fail "thumbnailer failed: $(cat "$work/thumb.err")"
  # The PNG signature, then the header's width and height (big-endian words).
  head=$(od -An -tx1 -N24 "$work/thumb.png" | tr -d ' \n')
  [ "${head%"${head#????????????????}"}" = 89504e470d0a1a0a ] || fail "thumbnail is no PNG"
  width=$((0x$(echo "$head" | cut -c33-40)))
  height=$((0x$(echo "$head" | cut -c41-48)))
  [ "$width" -eq 128 ] && [ "$height" -ge 1 ] && [ "$height" -le 128 ] \
    || fail "thumbnail is $width x $height, not 128 on its longer side"
fi

# A puzzle the user made survives a second install.
echo mine > "$prefix/Data/Mine.puz"
printf '[Puzzle]\r\nPuzzle_Count=1\r\n' > "$prefix/Bin/puzzle.ini"
cp "$prefix/Bin/puzzle.ini" "$work/library"
sh "$installer" "$tree" "$prefix" > /dev/null
[ "$(cat "$prefix/Data/Mine.puz")" = mine ] || fail "reinstall replaced the user's puzzle"
cmp -s "$prefix/Bin/puzzle.ini" "$work/library" || fail "reinstall replaced the user's library"
echo "1 passed, 0 failed"
