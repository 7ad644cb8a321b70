#!/bin/sh
# Copies the ready install tree to PREFIX and makes the suite a part of the
# desktop: a launcher for Vorlin with its icon that also opens pictures
# ("Open with" makes a puzzle of one), ".puz" files opening in TileMender
# from the file manager, and their pictures as the file manager's previews.
#   install.sh TREE PREFIX
# The launchers go to the user's data folder ($XDG_DATA_HOME, by default
# ~/.local/share), where the desktop looks for them without root.
set -eu
tree=$1
prefix=$2
here=$(cd "$(dirname "$0")" && pwd)
data_home=${XDG_DATA_HOME:-$HOME/.local/share}

[ -x "$tree/Bin/Vorlin" ] || { echo "install: $tree holds no built Vorlin; run make first" >&2; exit 1; }
mkdir -p "$prefix"
prefix=$(cd "$prefix" && pwd)
# The user's own puzzles in an earlier install stay: only the programs and
# their side files are replaced.
mkdir -p "$prefix/Bin" "$prefix/Data"
for f in "$tree"/Bin/*; do
  name=$(basename "$f")
  case "$name" in
    # The user's library and scratch picture belong to the user.
    puzzle.ini|Nuvark_Puzzle.JPG) [ -e "$prefix/Bin/$name" ] && continue ;;
  esac
  cp -R "$f" "$prefix/Bin/"
done
for f in "$tree"/*; do
  [ -f "$f" ] && cp "$f" "$prefix/"
done
for f in "$tree"/Data/*; do
  [ -e "$f" ] || continue
  [ -e "$prefix/Data/$(basename "$f")" ] || cp "$f" "$prefix/Data/"
done

apps="$data_home/applications"
mime="$data_home/mime"
thumbnailers="$data_home/thumbnailers"
mkdir -p "$apps" "$mime/packages" "$thumbnailers"

# Exec keys quote the path (so blanks work) and escape what a quoted
# argument must escape; other keys only escape the backslash.
quoted() { printf '%s' "$1" | sed -e 's/\\/\\\\\\\\/g' -e 's/["`$]/\\\\&/g'; }
plain() { printf '%s' "$1" | sed -e 's/\\/\\\\/g'; }
bin_q=$(quoted "$prefix/Bin")
bin_p=$(plain "$prefix/Bin")

cat > "$apps/puzzlesuite-vorlin.desktop" <<DESKTOP
[Desktop Entry]
Type=Application
Name=Snapp'It
GenericName=Picture Puzzle Maker
Comment=Make picture puzzles from your photos, play them and send them to friends
Exec="$bin_q/Vorlin" %f
Path=$bin_p
Icon=$bin_p/Vorlin.png
Terminal=false
MimeType=image/jpeg;image/png;image/bmp;image/gif;image/x-portable-pixmap;image/x-portable-graymap;image/x-portable-bitmap;
Categories=Game;LogicGame;
Keywords=puzzle;jigsaw;picture;
DESKTOP

cat > "$apps/puzzlesuite-tilemender.desktop" <<DESKTOP
[Desktop Entry]
Type=Application
Name=TileMender
GenericName=Picture Puzzle Player
Comment=Play a picture puzzle
Exec="$bin_q/TileMender" %f
Path=$bin_p
Icon=$bin_p/Vorlin.png
Terminal=false
NoDisplay=true
MimeType=application/x-snappit-puzzle;
Categories=Game;LogicGame;
DESKTOP
cp "$here/puzzle-mime.xml" "$mime/packages/puzzlesuite-puzzle.xml"

# The file manager's previews of puzzle files. The entry is a template:
# @TILEMENDER@ becomes the program's path with the escaping of a plain key,
# @TILEMENDER_EXEC@ the same path escaped for inside the quotes of Exec.
# Replaced as literal text, so no character of the path means anything.
TILEMENDER=$(plain "$prefix/Bin/TileMender") TILEMENDER_EXEC=$(quoted "$prefix/Bin/TileMender") \
  awk '{
    line = $0; out = ""
    while (match(line, /@TILEMENDER(_EXEC)?@/)) {
      key = substr(line, RSTART + 1, RLENGTH - 2)
      out = out substr(line, 1, RSTART - 1) ENVIRON[key]
      line = substr(line, RSTART + RLENGTH)
    }
    print out line
  }' "$here/puzzlesuite.thumbnailer" > "$thumbnailers/puzzlesuite.thumbnailer"

if command -v desktop-file-validate >/dev/null 2>&1; then
  desktop-file-validate "$apps/puzzlesuite-vorlin.desktop"
  desktop-file-validate "$apps/puzzlesuite-tilemender.desktop"
fi
command -v update-mime-database >/dev/null 2>&1 && update-mime-database "$mime" >/dev/null 2>&1 || true
command -v update-desktop-database >/dev/null 2>&1 && update-desktop-database "$apps" >/dev/null 2>&1 || true
if command -v xdg-mime >/dev/null 2>&1; then
  XDG_DATA_HOME=$data_home xdg-mime default puzzlesuite-tilemender.desktop application/x-snappit-puzzle 2>/dev/null || true
fi

echo "Installed the puzzle suite in $prefix"
echo "Launcher: $apps/puzzlesuite-vorlin.desktop"
