#!/bin/sh
# Runs on the receiving computer once the package has unpacked itself into a
# scratch folder (makeself removes that folder when we return). The files
# go into a folder that lasts, one per puzzle, so the game saved beside the
# puzzle is still there the next time the package is opened.
# The packer writes PACKAGE_NAME (the puzzle's name) below the first line.

player=TileMender
# printf, not echo: some shells' echo reads backslashes in a folder's name.
say() { printf '%s\n' "$*" >&2; }
here=$(pwd)
data=${XDG_DATA_HOME:-$HOME/.local/share}
case $data in /*) ;; *) data=$HOME/.local/share ;; esac
# The name comes from the sender: it must stay one folder below Received.
case $PACKAGE_NAME in ''|.|..|*/*) PACKAGE_NAME=Puzzle ;; esac
dest=$data/PuzzleSuite/Received/$PACKAGE_NAME

if ! mkdir -p -- "$dest"; then
    say "Cannot make the folder $dest for the puzzle."
    exit 1
fi

# A copy then a rename: a player still running from an earlier unpacking
# keeps its program file, and a half-copied file never takes a name.
for f in *; do
    [ "$f" = package_start.sh ] && continue
    if ! why=$(LC_ALL=C cp -- "$here/$f" "$dest/.$f.new" 2>&1 && LC_ALL=C mv -f -- "$dest/.$f.new" "$dest/$f" 2>&1)
    then
        rm -f -- "$dest/.$f.new"
        case $why in
        *"No space left on device"*) say "Cannot copy $f into $dest: the disk is full." ;;
        *) say "Cannot copy $f into $dest: ${why:-cp failed}" ;;
        esac
        exit 1
    fi
done
chmod +x "$dest/$player" 2>/dev/null

# The Debian package that holds a shared library, for the usual ones; any
# other libfoo.so.N is guessed as libfooN, Debian's rule for library packages.
debian_package() {
    case $1 in
    libQt6Core.so*) echo libqt6core6 ;;
    libQt6Gui.so*) echo libqt6gui6 ;;
    libQt6Widgets.so*) echo libqt6widgets6 ;;
    libQt6Network.so*) echo libqt6network6 ;;
    libQt6Multimedia.so*) echo libqt6multimedia6 ;;
    libQt6DBus.so*) echo libqt6dbus6 ;;
    libQt6OpenGL.so*) echo libqt6opengl6 ;;
    libstdc++.so*) echo libstdc++6 ;;
    libgcc_s.so*) echo libgcc-s1 ;;
    libz.so*) echo zlib1g ;;
    libjpeg.so.62*) echo libjpeg62-turbo ;;
    libpng16.so*) echo libpng16-16 ;;
    libicu*) echo libicu72 ;;
    libharfbuzz.so*) echo libharfbuzz0b ;;
    libglib-2.0.so*|libgthread-2.0.so*) echo libglib2.0-0 ;;
    libGL.so*) echo libgl1 ;;
    libEGL.so*) echo libegl1 ;;
    libOpenGL.so*) echo libopengl0 ;;
    libGLX.so*) echo libglx0 ;;
    libxkbcommon.so*) echo libxkbcommon0 ;;
    libpulse.so*) echo libpulse0 ;;
    *.so.*)
        base=${1%%.so.*}
        num=${1#*.so.}
        num=${num%%.*}
        case $base in *[0-9]) sep=- ;; *) sep= ;; esac
        echo "$base$sep$num" | tr 'A-Z_' 'a-z-' ;;
    *) echo "$1" | tr 'A-Z_' 'a-z-' ;;
    esac
}

if command -v ldd >/dev/null 2>&1; then
    missing=$(LC_ALL=C ldd "$dest/$player" 2>/dev/null | awk '/=> not found/ { print $1 }')
    if [ -n "$missing" ]; then
        packages=
        for lib in $missing; do
            p=$(debian_package "$lib")
            case " $packages " in *" $p "*) ;; *) packages="$packages $p" ;; esac
        done
        say "The puzzle player needs libraries this computer does not have:"
        for lib in $missing; do say "  $lib"; done
        say "Install them, then open the package again:"
        say "  sudo apt-get install$packages"
        exit 1
    fi
fi

cd "$dest" || exit 1
exec "./$player" "$dest/Vorlin.puz"
