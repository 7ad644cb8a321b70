#!/bin/bash
# What a screen reader finds of the suite's programs, through the real
# AT-SPI bridge of Qt: on a virtual screen with a session bus and an
# accessibility bus of its own, TileMender plays a copy of the sample
# puzzle (48 pieces) and Vorlin shows its main menu, and each program's
# tree and events are held against tools/a11y/expected_<program>.txt.
#
#   tools/a11y/check.sh [BUILD]      (BUILD is the build folder, default build)
#
# Prints one PASS, FAIL or SKIP line a check and ends with status 1 when a
# check failed. `make check-a11y` runs it; it is not part of `make test`.
#
# The expected files, one check a line (# starts a comment):
#   ROLE|NAME[|STATE,!STATE...]  a node with this role and name is in the
#                                tree, with (or, after !, without) each state
#   click|NAME                   click the middle of the node named NAME and
#                                read the tree again
#   press|NAME                   do the press action of the node named NAME
#                                (as a reader's command) and read the tree again
#   away                         click outside the program's window
#   hover|NAME                   point at the node named NAME: the reader's
#                                focus goes to it
#   at|NAME                      the node found under the middle of the node
#                                named NAME is that node (mouse review)
#   key|KEYS|TEXT                press KEYS (xdotool's names): a notification
#                                named TEXT shows once and the window's
#                                description changes once to TEXT (* in TEXT
#                                stands for any words)
#   gone|ROLE|NAME               no such node in the tree

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" 2>/dev/null && pwd) || {
    echo "FAIL no build folder ${1:-build}"
    exit 1
}
tree_tool="$here/accessible_tree.py"
# Debian's python3, where python3-pyatspi puts pyatspi.
py=/usr/bin/python3

if [ -z "$A11Y_IN_SESSION" ]; then
    for tool in xvfb-run dbus-run-session xdotool; do
        command -v $tool >/dev/null 2>&1 || {
            echo "FAIL no $tool (apt-get install xvfb dbus xdotool)"
            exit 1
        }
    done
    $py -c 'import pyatspi' 2>/dev/null || {
        echo "FAIL no pyatspi (apt-get install python3-pyatspi)"
        exit 1
    }
    # The buses' own chatter is left out.
    A11Y_IN_SESSION=1 xvfb-run -a -s "-screen 0 1024x768x24" \
        dbus-run-session -- "$0" "$build" 2>&1 | grep -v -e 'fd limit' -e 'dbus-daemon\[' -e 'SpiRegistry daemon'
    exit "${PIPESTATUS[0]}"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/check_a11y.XXXXXX") || exit 1
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
# Nothing of the user's own settings or library is read or written.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM QT_SCALE_FACTOR QT_ACCESSIBILITY
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 TILEMENDER_SILENT=1

launcher=""
for l in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
    [ -x "$l" ] && launcher=$l && break
done
if [ -z "$launcher" ]; then
    echo "FAIL no at-spi-bus-launcher (apt-get install at-spi2-core)"
    exit 1
fi
"$launcher" --launch-immediately >"$work/bus.log" 2>&1 &
pids+=($!)

failures=0
pass() { echo "PASS $*"; }
fail() {
    echo "FAIL $*"
    failures=$((failures + 1))
}

# The tree of $app into $work/tree.txt; false when the program is not there.
read_tree() {
    $py "$tree_tool" --app "$app" --wait 10 --extents >"$work/tree.txt" 2>>"$work/tool.log"
}

# The nodes as "role|name|states" without indentation or extents.
nodes() { sed -e 's/^ *//' -e 's/ @[-0-9,]*$//' "$work/tree.txt" | awk -F'|' '{print $1 "|" $2 "|" $4}'; }

check_node() {
    local role=$1 name=$2 wanted=$3 states s ok=1 why=""
    states=$(nodes | awk -F'|' -v r="$role" -v n="$name" '$1 == r && $2 == n {print $3; exit}')
    if ! nodes | awk -F'|' -v r="$role" -v n="$name" '$1 == r && $2 == n {f=1} END {exit !f}'; then
        fail "$app: $role \"$name\" is not in the tree"
        return
    fi
    IFS=',' read -ra want <<<"$wanted"
    for s in "${want[@]}"; do
        [ -z "$s" ] && continue
        if [ "${s#!}" != "$s" ]; then
            [[ ",$states," == *",${s#!},"* ]] && ok=0 why="$why ${s#!} is set;"
        else
            [[ ",$states," == *",$s,"* ]] || ok=0 why="$why $s is not set;"
        fi
    done
    if [ $ok = 1 ]; then pass "$app: $role \"$name\"${wanted:+ ($wanted)}"; else fail "$app: $role \"$name\":$why states: $states"; fi
}

# The middle of the first node named $1, in screen pixels.
middle_of() {
    grep -m1 -E "^ *[^|]*\|$1\|.* @[-0-9]+,[-0-9]+,[0-9]+,[0-9]+$" "$work/tree.txt" |
        sed -E 's/.* @([-0-9]+),([-0-9]+),([0-9]+),([0-9]+)$/\1 \2 \3 \4/' |
        awk '{print int($1 + $3 / 2), int($2 + $4 / 2)}'
}

# The program's window gets the keys, as the one a user clicked into would.
focus_window() {
    local title w
    title=$(cut -d'|' -f2 <<<"$frame_line")
    [ -n "$title" ] || return 1
    w=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -1)
    [ -n "$w" ] && xdotool windowfocus --sync "$w" >/dev/null 2>&1
}

check_key() {
    local keys=$1 text=$2 heard
    $py "$tree_tool" --app "$app" --no-tree --listen 5 --settle 0.5 --run "xdotool key $keys" \
        --until "${text##*\*}" >"$work/events.txt" 2>>"$work/tool.log"
    # The frame's description changes; TEXT may hold * for words that vary
    # from one start to the next (the box is shuffled anew).
    local window line
    window=$(cut -d'|' -f1,2 <<<"$frame_line")
    # What Orca says is the notification that shows with the words as its
    # name; the description holds them for a reader asking where it is.
    local said=0 described=0 name
    while IFS= read -r line; do
        if [[ $line == "event|object:property-change:accessible-description|$window|0|"* ]]; then
            # shellcheck disable=SC2053
            [[ ${line##*|} == $text ]] && described=$((described + 1))
        elif [[ $line == "event|object:state-changed:showing|notification|"*"|1|" ]]; then
            name=${line#event|object:state-changed:showing|notification|}
            name=${name%|1|}
            # shellcheck disable=SC2053
            [[ $name == $text ]] && said=$((said + 1))
        fi
    done <"$work/events.txt"
    if [ "$said" = 1 ] && [ "$described" = 1 ]; then
        pass "$app: key $keys is told once: \"$text\""
    else
        fail "$app: key $keys: \"$text\" shown $said times, described $described times"
        sed 's/^/    /' "$work/events.txt"
    fi
}

# The mouse comes to the middle of the node named $1: the reader's focus goes there.
check_hover() {
    local name=$1 at heard
    at=$(middle_of "$name")
    if [ -z "$at" ]; then fail "$app: nothing named \"$name\" to point at"; return; fi
    $py "$tree_tool" --app "$app" --no-tree --listen 5 --settle 0.3 --run "xdotool mousemove $at" \
        --until "$name" >"$work/events.txt" 2>>"$work/tool.log"
    heard=$(grep -c -F -e "event|focus:|" "$work/events.txt" | head -1)
    if grep -q -F -x -e "event|focus:|$(grep -m1 -E "^ *[^|]*\|$name\|" "$work/tree.txt" | sed 's/^ *//' | cut -d'|' -f1)|$name|0|" "$work/events.txt"; then
        pass "$app: pointing at \"$name\" moves the reader's focus there"
    else
        fail "$app: pointing at \"$name\": no focus event for it ($heard focus events)"
        sed 's/^/    /' "$work/events.txt"
    fi
    read_tree
}

# What lies under the middle of the node named $1 is that node.
check_at() {
    local name=$1 at found
    at=$(middle_of "$name")
    if [ -z "$at" ]; then fail "$app: nothing named \"$name\" to point at"; return; fi
    found=$($py "$tree_tool" --app "$app" --wait 2 --at "${at/ /,}" 2>>"$work/tool.log")
    if [ "$(cut -d'|' -f2 <<<"$found")" = "$name" ]; then
        pass "$app: under the pointer at $at is \"$name\""
    else
        fail "$app: under the pointer at $at is \"$found\", not \"$name\""
    fi
}

run_expected() {
    local file=$1 line role name rest at out
    while IFS= read -r line || [ -n "$line" ]; do
        line=${line%%#*}
        line=$(sed -e 's/[[:space:]]*$//' <<<"$line")
        [ -z "$line" ] && continue
        IFS='|' read -r role name rest <<<"$line"
        case $role in
        click)
            at=$(middle_of "$name")
            if [ -z "$at" ]; then fail "$app: nothing named \"$name\" to click"; continue; fi
            xdotool mousemove $at click 1
            # The reader's tree is read again once the click has gone in.
            read_tree
            ;;
        press)
            if out=$($py "$tree_tool" --app "$app" --wait 2 --press "$name" 2>>"$work/tool.log"); then
                pass "$app: \"$name\" is pressed through the reader"
            else
                fail "$app: \"$name\" cannot be pressed: $out"
            fi
            read_tree
            ;;
        away)
            xdotool mousemove 1020 760 click 1
            read_tree
            ;;
        key) check_key "$name" "$rest" ;;
        hover) check_hover "$name" ;;
        at) check_at "$name" ;;
        gone)
            IFS='|' read -r role name <<<"$name|$rest"
            if nodes | awk -F'|' -v r="$role" -v n="$name" '$1 == r && $2 == n {f=1} END {exit !f}'; then
                fail "$app: $role \"$name\" is still in the tree"
            else
                pass "$app: no $role \"$name\""
            fi
            ;;
        *) check_node "$role" "$name" "$rest" ;;
        esac
    done <"$file"
}

# One program: start it, wait for its tree, run its checks, stop it.
# $1 name on the registry, $2 expected file, $3... the command.
check_program() {
    app=$1
    local expected=$2 pid
    shift 2
    (cd "$(dirname "$1")" && exec "$@") >"$work/$app.log" 2>&1 &
    pid=$!
    pids+=($pid)
    if ! read_tree; then
        fail "$app: not on the accessibility registry after 10 s"
        sed 's/^/    /' "$work/tool.log" | tail -5
        kill $pid 2>/dev/null
        return 1
    fi
    # The program's main window: the first one on the registry.
    frame_line=$(grep -m1 '^  [^ ]' "$work/tree.txt" | sed 's/^ *//')
    echo "--- $app: what the reader sees"
    sed 's/ @[-0-9,]*$//' "$work/tree.txt" | head -60
    if [ "${SKIP_UNNAMED:-0}" = 1 ] && ! grep -qE '^    [^|]*\|[^|]+\|' "$work/tree.txt"; then
        echo "SKIP $app: its window shows no named children yet ($(grep -c . "$work/tree.txt") nodes)"
        kill $pid 2>/dev/null
        return 0
    fi
    # Focused, the frame is the active window: its tree is read again.
    focus_window && read_tree
    run_expected "$expected"
    kill $pid 2>/dev/null
    wait $pid 2>/dev/null
}

bin="$build/root/Bin"
if [ -x "$bin/TileMender" ] && [ -f "$build/root/Data/Sample.puz" ]; then
    # A copy of the program and its sample: the build's own root is never written.
    mkdir -p "$work/root/Data"
    cp -a "$bin" "$work/root/Bin"
    cp "$build/root/Data/Sample.puz" "$work/root/Data/"
    check_program TileMender "$here/expected_player.txt" "$work/root/Bin/TileMender" ../Data/Sample.puz
else
    fail "TileMender: not built in $build/root"
fi

if [ -x "$bin/Vorlin" ]; then
    mkdir -p "$work/root/Data"
    [ -d "$work/root/Bin" ] || cp -a "$bin" "$work/root/Bin"
    SKIP_UNNAMED=1 check_program Vorlin "$here/expected_vorlin.txt" "$work/root/Bin/Vorlin"
else
    echo "SKIP Vorlin: not built in $build/root (SUITE_SKIP holds frontend?)"
fi

if [ $failures -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all accessibility checks passed"
