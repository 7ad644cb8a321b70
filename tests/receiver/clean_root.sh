#!/bin/sh
# Plays a puzzle package on a clean receiving computer: a minimal Debian 12
# root that has only what a plain desktop has for X programs and no Qt.
# The package is built here with the tree's own programs, opened in the root
# by an ordinary user with an empty home, and the player's window is shot
# and compared with the same package opened on this machine.
#
#   tests/receiver/clean_root.sh [--with-qt] [--timeout SECONDS] [--keep]
#
#   --with-qt   a root that has the receiver's own Qt as well (a separate
#               cached root): a check of this harness only, to see it pass
#               with a package that relies on the receiver's Qt
#   --timeout   how long the player may take to show the puzzle (60 s)
#   --keep      keep the scratch folder (package, homes, logs) for a look
#
# Needs root (debootstrap, chroot, mounts) and the host tools of the
# Makefile's RECEIVER_PACKAGES. BUILD names the build folder (build). The
# roots are cached as $BUILD/receiver-root and $BUILD/receiver-root-qt and
# made again when their package lists change; screenshots and logs of the
# last run are in $BUILD/receiver-results/.

set -u
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
. "$here/root_mounts.sh"

say() { printf '%s\n' "$*"; }
fail() { printf 'FAIL: %s\n' "$*" >&2; exit 1; }
# A log, indented, so that what a program said stands apart from our words.
quote() { sed -e 's/^/    | /' "$1" >&2; }

with_qt=0
timeout=60
keep=0
while [ $# -gt 0 ]; do
    case $1 in
    --with-qt) with_qt=1 ;;
    --timeout)
        [ $# -ge 2 ] || fail "--timeout needs a number of seconds."
        case $2 in ''|*[!0-9]*) fail "--timeout needs a whole number of seconds, not '$2'." ;; esac
        timeout=$2
        shift ;;
    --keep) keep=1 ;;
    -h|--help) sed -n '2,21s/^# \{0,1\}//p' "$0"; exit 0 ;;
    *) fail "unknown option '$1' (see --help)." ;;
    esac
    shift
done

if [ "$(id -u)" != 0 ]; then
    fail "the receiver check needs root: it makes a Debian root with debootstrap, mounts
      /proc, /dev and /sys into it and runs the package there with chroot.
      Run it as root (sudo make check-receiver)."
fi
for tool in debootstrap Xvfb xdotool xwd python3 setsid setpriv chroot mount; do
    command -v "$tool" >/dev/null 2>&1 \
        || fail "$tool is missing on this machine; make check-receiver installs the host tools (RECEIVER_PACKAGES in the Makefile)."
done

build=$(realpath -m -- "${BUILD:-$source_dir/build}")
tree=$build/root
for f in Bin/Vorlin Bin/TileMender Bin/package_start.sh Bin/Sample.jpg; do
    [ -e "$tree/$f" ] || fail "$tree/$f is missing: build the suite first (make build)."
done

# The player's main window and where, inside it, the picture differs from
# one opening to the next on purpose: the running clock, and the Piece
# Viewer column, whose pieces come in a new random order every time (that
# column must still show pieces of the picture: many colours).
window_name="^Snapp'It\$"
clock_mask="345 0 120 24"
column_mask="12 75 130 480"
column_colours=2000
screen=1024x768x24
puzzle=Gift

lists=$here/desktop-packages.txt
root=$build/receiver-root
if [ "$with_qt" = 1 ]; then
    lists="$lists $here/qt-packages.txt"
    root=$build/receiver-root-qt
fi
results=$build/receiver-results
work=
xvfb_pid=
group=

# A process that ended but was not waited for yet is a zombie and still
# answers kill -0; these look at its state instead.
running() {
    state=$(sed -e 's/^.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1)
    [ -n "$state" ] && [ "$state" != Z ]
}
group_running() {
    cat /proc/[0-9]*/stat 2>/dev/null \
        | awk -v g="$1" '{ sub(/^.*\) /, "") } $3 == g && $1 != "Z" { found = 1 } END { exit !found }'
}

cleanup() {
    status=$?
    # dash's kill takes no "--": a negative number is the process group.
    [ -n "$group" ] && kill -KILL "-$group" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    unmount_root "$root"
    if [ -n "$work" ]; then
        if [ "$keep" = 1 ]; then say "Kept the scratch folder $work."; else rm -rf -- "$work"; fi
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# --- The receiver's root, made once and reused --------------------------------
# shellcheck disable=SC2086 # the lists are words
sh "$here/make_root.sh" "$root" $lists || fail "the receiver root could not be made (see above)."
say "Receiver root: $root, $(du -sm "$root" | cut -f1) MB$( [ "$with_qt" = 1 ] && printf ', with Qt (harness check)')."

work=$(mktemp -d "${TMPDIR:-/tmp}/receiver.XXXXXX") || fail "cannot make a scratch folder."
chmod 755 "$work"
rm -rf -- "$results" && mkdir -p "$results" || fail "cannot make $results."

# --- The package, made with the tree's own programs in a private copy ---------
# A private home, runtime and scratch folder each: the front end's
# single-instance socket and its settings must not meet the user's own.
private_env() {
    mkdir -p "$1/home" "$1/run" "$1/tmp" && chmod 700 "$1/run" || return 1
    printf '%s\n' "HOME=$1/home" "XDG_RUNTIME_DIR=$1/run" "TMPDIR=$1/tmp"
}
cp -a -- "$tree" "$work/tree" || fail "cannot copy the install tree to $work/tree."
maker_env=$(private_env "$work/maker") || fail "cannot make the maker's private folders."
# shellcheck disable=SC2046,SC2086 # one assignment a line
run_vorlin() {
    (cd "$work/tree/Bin" && env -i PATH="$PATH" LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen \
        $(printf '%s ' $maker_env) ./Vorlin "$@")
}
if ! run_vorlin --make "$work/tree/Bin/Sample.jpg" --name "$puzzle" --yes >"$work/make.log" 2>&1; then
    quote "$work/make.log"
    fail "Vorlin --make could not make the puzzle $puzzle (above)."
fi
if ! run_vorlin --pack "$puzzle" >"$work/pack.log" 2>&1; then
    quote "$work/pack.log"
    fail "Vorlin --pack could not build the package of $puzzle (above)."
fi
package=$(tail -n 1 "$work/pack.log")
[ -f "$package" ] || fail "Vorlin --pack printed '$package', which is no file."
package_file=$(basename "$package")
package_bytes=$(stat -c %s "$package")
say "Package: $package_file, $package_bytes bytes ($(awk -v b="$package_bytes" 'BEGIN { printf "%.1f", b / 1048576 }') MB)."
cp -- "$package" "$results/"

# --- One X server for both openings, same screen -------------------------------
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { quote "$work/xvfb.log"; fail "Xvfb did not start (above)."; }
display=:$(head -n 1 "$work/display")
socket=/tmp/.X11-unix/X${display#:}
[ -S "$socket" ] || fail "Xvfb runs on $display but its socket $socket is missing."

# Starts "$@" as a process group of its own (so that all it starts can be
# ended at once), then waits for the player's window. Sets group, started
# (nanoseconds) and window; returns 1 when the program ended first, 2 when
# no window came in time.
open_package() {
    started=$(date +%s%N)
    setsid "$@" >"$log" 2>&1 </dev/null &
    group=$!
    window=
    limit=$(( $(date +%s) + timeout ))
    while [ "$(date +%s)" -le "$limit" ]; do
        window=$(DISPLAY=$display xdotool search --onlyvisible --name "$window_name" 2>/dev/null | head -n 1)
        [ -n "$window" ] && return 0
        if ! running "$group"; then
            wait "$group"
            ended=$?
            group=
            return 1
        fi
        sleep 0.1
    done
    return 2
}

# The masks and the picture check at the window's place on the screen.
compare_options() {
    eval "$(DISPLAY=$display xdotool getwindowgeometry --shell "$window")"
    # shellcheck disable=SC2086 # x y w h words
    set -- $clock_mask
    printf -- '--mask %s,%s,%s,%s ' $((X + $1)) $((Y + $2)) "$3" "$4"
    # shellcheck disable=SC2086
    set -- $column_mask
    printf -- '--mask %s,%s,%s,%s ' $((X + $1)) $((Y + $2)) "$3" "$4"
    printf -- '--colourful %s,%s,%s,%s,%s ' $((X + $1)) $((Y + $2)) "$3" "$4" "$column_colours"
}

end_group() {
    kill -TERM "-$group" 2>/dev/null
    for _ in $(seq 30); do group_running "$group" || break; sleep 0.1; done
    kill -KILL "-$group" 2>/dev/null
    wait "$group" 2>/dev/null
    group=
    for _ in $(seq 30); do
        [ -z "$(DISPLAY=$display xdotool search --onlyvisible --name "$window_name" 2>/dev/null)" ] && return 0
        sleep 0.1
    done
    fail "the player's window stayed on the screen after its program was ended."
}

watch_screen() {
    # shellcheck disable=SC2046 # the options are words
    python3 "$here/screen_compare.py" watch --display "$display" --since "$started" \
        --timeout "$timeout" --pid "$group" "$@" $(compare_options)
}

# --- The reference: the same package opened on this machine --------------------
host_env=$(private_env "$work/host") || fail "cannot make the host run's private folders."
cp -- "$package" "$work/host/"
log=$work/host.log
# shellcheck disable=SC2046,SC2086
open_package env -i PATH=/usr/bin:/bin LANG=C.UTF-8 DISPLAY="$display" $(printf '%s ' $host_env) \
    sh -c 'cd "$1" && exec sh "$2"' sh "$work/host" "$package_file"
case $? in
1) quote "$log"; fail "the package did not open the player on this machine (exit status $ended); it said the above." ;;
2) quote "$log"; fail "no player window on this machine after $timeout s; the package said the above." ;;
esac
if ! watch_screen --settle --out "$work/reference.xwd" >"$work/host-watch.log" 2>&1; then
    quote "$work/host-watch.log"
    fail "the player's window on this machine never held still (above)."
fi
host_time=$(awk '/^painted / { print $2 }' "$work/host-watch.log")
python3 "$here/screen_compare.py" png "$work/reference.xwd" "$results/reference.png"
cp -- "$log" "$results/host.log"
end_group

# --- The receiver: an ordinary user with an empty home in the clean root -------
friend_home=$root/home/friend
remove_root "$friend_home" || fail "cannot empty the receiving user's home $friend_home."
mkdir -p "$friend_home" "$root/run/user/4242" "$root/tmp/.X11-unix" || fail "cannot prepare the root's folders."
cp -- "$package" "$friend_home/" || fail "cannot copy the package into the root."
chown -R 4242:4242 "$friend_home" "$root/run/user/4242"
chmod 700 "$friend_home" "$root/run/user/4242"
chmod 1777 "$root/tmp"
mount_system "$root" || fail "cannot mount /proc, /dev and /sys in $root."
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix" || fail "cannot show the X server's socket in the root."

log=$work/receiver.log
open_package chroot "$root" setpriv --reuid=4242 --regid=4242 --clear-groups \
    env -i HOME=/home/friend USER=friend LOGNAME=friend SHELL=/bin/sh \
        PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 DISPLAY="$display" \
        XDG_RUNTIME_DIR=/run/user/4242 \
    sh -c 'cd "$HOME" && exec sh "$1"' sh "$package_file"
opened=$?
cp -- "$log" "$results/receiver.log"
case $opened in
1)
    if grep -q "needs libraries" "$log"; then
        quote "$log"
        fail "the player needs libraries the clean receiver does not have: the package exited
      with status $ended before any window, saying the above."
    fi
    quote "$log"
    fail "the package exited with status $ended on the clean receiver before any window; it said the above." ;;
2)
    quote "$log"
    fail "no player window on the clean receiver after $timeout s; the package said the above." ;;
esac
if ! watch_screen --ref "$work/reference.xwd" --out "$work/receiver.xwd" >"$work/receiver-watch.log" 2>&1; then
    python3 "$here/screen_compare.py" png "$work/receiver.xwd" "$results/receiver.png"
    # shellcheck disable=SC2046
    python3 "$here/screen_compare.py" compare "$work/reference.xwd" "$work/receiver.xwd" \
        $(compare_options 2>/dev/null) --diff "$results/difference.png" >/dev/null 2>&1
    quote "$work/receiver-watch.log"
    [ -s "$log" ] && { say "The package said:" >&2; quote "$log"; }
    fail "the player's window on the clean receiver does not show the puzzle as on this machine
      (above); see $results/receiver.png against reference.png, and difference.png."
fi
receiver_time=$(awk '/^painted / { print $2 }' "$work/receiver-watch.log")
python3 "$here/screen_compare.py" png "$work/receiver.xwd" "$results/receiver.png"
cp -- "$log" "$results/receiver.log"
end_group

say "PASS: the player on the clean receiver shows the puzzle as on this machine."
say "  package     $package_file, $package_bytes bytes"
say "  start time  $receiver_time s from 'sh $package_file' to the puzzle painted (this machine: $host_time s)"
say "  shots       $results/"
