#!/bin/sh
# Runs on the receiving computer once the package has unpacked itself into a
# scratch folder (makeself removes that folder when we return). The files
# go into a folder that lasts, one per puzzle, so the game saved beside the
# puzzle is still there the next time the package is opened.
# The packer writes PACKAGE_NAME (the puzzle's name) below the first line.

# Its first argument says which package this is: "full" carries the
# player's runtime (runtime.tar.xz), "lean" uses the receiver's own Qt.

player=TileMender
runtime=runtime.tar.xz
title="Puzzle ${PACKAGE_NAME:-}"

# What the receiver must read goes to the terminal, and, when there is none
# but a desktop (opened from a file manager), into a window of whatever the
# desktop has. One call per message, its lines as arguments.
# printf, not echo: some shells' echo reads backslashes in a folder's name.
say() {
    printf '%s\n' "$@" >&2
    [ -t 2 ] && return 0
    [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || return 0
    text=$(printf '%s\n' "$@")
    if command -v zenity >/dev/null 2>&1; then
        zenity --error --no-markup --title="$title" --text="$text" >/dev/null 2>&1
    elif command -v kdialog >/dev/null 2>&1; then
        kdialog --title "$title" --error "$text" >/dev/null 2>&1
    elif command -v xmessage >/dev/null 2>&1; then
        # From its standard input, so nothing in the text is read as an option.
        printf '%s\n' "$text" | xmessage -center -title "$title" -file - >/dev/null 2>&1
    elif command -v notify-send >/dev/null 2>&1; then
        # The body is markup to most notification daemons.
        body=$(printf '%s' "$text" | sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g')
        notify-send --urgency=critical -- "$title" "$body" >/dev/null 2>&1
    fi
    return 0
}
# The words of a failed copy or unpacking, with a full disk said plainly.
why_failed() {
    case $2 in
    *"No space left on device"*) say "Cannot $1: the disk is full." ;;
    *) say "Cannot $1: ${2:-it failed}" ;;
    esac
}
here=$(pwd)
data=${XDG_DATA_HOME:-$HOME/.local/share}
case $data in /*) ;; *) data=$HOME/.local/share ;; esac
# The name comes from the sender: it must stay one folder below Received.
case $PACKAGE_NAME in ''|.|..|*/*) PACKAGE_NAME=Puzzle ;; esac
dest=$data/PuzzleSuite/Received/$PACKAGE_NAME

if ! mkdir -p -- "$dest" 2>/dev/null; then
    say "Cannot make the folder $dest for the puzzle."
    exit 1
fi

# Each program started costs a receiver's slow machine several
# milliseconds, so the steps below start as few as they can: one copy for
# all the files, one rename for all of them, and no subshell just to catch
# a message (it goes to a file in our own scratch folder instead).
said=$here/.said
# What the last step said on its standard error, without starting a program.
what_was_said() {
    why=
    [ -f "$said" ] || return 0
    while IFS= read -r line || [ -n "$line" ]; do
        why=${why:+$why }$line
    done < "$said"
}

files=$dest/.files.new
new=$dest/.runtime.new
# Left by an opening that was cut short.
if [ -e "$files" ] || [ -e "$new" ] || [ -e "$dest/.lib.old" ]; then
    rm -rf -- "$files" "$new" "$dest/.lib.old"
fi

# A copy then a rename: a player still running from an earlier unpacking
# keeps its program file, and a half-copied file never takes a name.
set --
for f in *; do
    case $f in package_start.sh|"$runtime") continue ;; esac
    set -- "$@" "$here/$f"
done
if [ $# -gt 0 ]; then
    if ! LC_ALL=C mkdir -- "$files" 2>"$said" || ! LC_ALL=C cp -- "$@" "$files/" 2>"$said" \
        || ! LC_ALL=C mv -f -- "$files"/* "$dest/" 2>"$said"; then
        what_was_said
        rm -rf -- "$files"
        why_failed "copy the puzzle into $dest" "${why:-cp failed}"
        exit 1
    fi
fi

# The runtime: the player, its libraries (lib/), qt.conf, the finish picture
# and the sound, unpacked beside the puzzle. A player still running from an
# earlier opening keeps the files it has open; the new ones take their names
# only once all are unpacked.
if [ -f "$here/$runtime" ]; then
    if ! command -v xz >/dev/null 2>&1; then
        say "The puzzle cannot be unpacked: this computer has no xz program." \
            "Install the package xz-utils (on Fedora: xz), then open the package again."
        rm -rf -- "$files"
        exit 1
    fi
    # XZ_DEFAULTS: the runtime is packed in blocks that xz can unpack on
    # every core; an older xz ignores it.
    if ! LC_ALL=C mkdir -- "$new" 2>"$said" \
        || ! LC_ALL=C XZ_DEFAULTS=-T0 tar -xJf "$here/$runtime" -C "$new" 2>"$said"; then
        what_was_said
        rm -rf -- "$files" "$new"
        why_failed "unpack the puzzle player into $dest" "$why"
        exit 1
    fi
    # A folder is not renamed over a folder that holds files.
    [ -d "$dest/lib" ] && mv -f -- "$dest/lib" "$dest/.lib.old"
    if ! LC_ALL=C mv -f -- "$new"/* "$dest/" 2>"$said"; then
        what_was_said
        why_failed "put the puzzle player in $dest" "$why"
        exit 1
    fi
    rm -rf -- "$files" "$new" "$dest/.lib.old"
else
    # A runtime from an earlier full package belongs to that player only.
    rm -rf -- "$files" "$dest/lib" "$dest/qt.conf"
fi
[ -x "$dest/$player" ] || chmod +x "$dest/$player" 2>/dev/null

# The Debian package that holds a shared library, for the usual ones; any
# other libfoo.so.N is guessed as libfooN, Debian's rule for library packages.
debian_package() {
    case $1 in
    libQt6Core.so*) echo libqt6core6 ;;
    libQt6Gui.so*) echo libqt6gui6 ;;
    libQt6Widgets.so*) echo libqt6widgets6 ;;
    libQt6Network.so*) echo libqt6network6 ;;
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

if [ -f "$here/$runtime" ]; then
    # Only the Qt that came with the player: the receiver's own plugins or
    # platform choice would load libraries of another Qt.
    unset QT_PLUGIN_PATH QT_QPA_PLATFORM_PLUGIN_PATH QT_QPA_PLATFORMTHEME QT_QPA_GENERIC_PLUGINS \
        QT_STYLE_OVERRIDE QT_QPA_PLATFORMTHEME_CONFIG QML2_IMPORT_PATH QML_IMPORT_PATH
    case ${QT_QPA_PLATFORM:-} in xcb|xcb:*) ;; *) unset QT_QPA_PLATFORM ;; esac
elif command -v ldd >/dev/null 2>&1; then
    missing=$(LC_ALL=C ldd "$dest/$player" 2>/dev/null | awk '/=> not found/ { print $1 }')
    if [ -n "$missing" ]; then
        packages=
        for lib in $missing; do
            p=$(debian_package "$lib")
            case " $packages " in *" $p "*) ;; *) packages="$packages $p" ;; esac
        done
        lines=
        for lib in $missing; do lines="$lines  $lib
"; done
        say "The puzzle player needs libraries this computer does not have:" "${lines%?}" \
            "Install them, then open the package again:" "  sudo apt-get install$packages"
        exit 1
    fi
fi

cd "$dest" || exit 1
if [ -t 2 ] || [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "./$player" "$dest/Vorlin.puz"
fi
# Without a terminal nobody reads what a player that cannot start says;
# its last words go into a window instead. Once it runs it shows its own.
log=$dest/.player.log
"./$player" "$dest/Vorlin.puz" 2>"$log"
status=$?
if [ "$status" -ge 126 ]; then
    say "The puzzle player could not start (status $status):" "$(tail -n 5 "$log" 2>/dev/null)"
fi
rm -f -- "$log"
exit "$status"
