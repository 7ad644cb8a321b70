#!/bin/bash
# How long the suite's programs take to start, against the least a program
# can do for the same: a bare Qt window showing the same picture, or djpeg
# decoding it. Every time is a whole process, from its fork until the screen
# stops changing (or until it exits, for the command line), on one virtual
# screen; ours and the yardstick take turns, STARTUP_RUNS (9) times each
# (which goes first changes every round), after one run of each that warms
# the file cache. The table shows medians.
#
# Made into build/bench/bench_startup by CMake; `make bench` runs it. A row
# whose program or tool is missing says n/a and why; the script itself always
# ends with status 0, as timings are never a test.

helpers="@startup_helpers@"
# STARTUP_SUITE_BIN times the programs of another build (its root/Bin).
suite_bin="${STARTUP_SUITE_BIN:-@SUITE_BIN@}"
runs=${STARTUP_RUNS:-9}
# Only the rows whose label holds this text (all when empty), e.g.
# STARTUP_ONLY="player start" while working on the player.
only=${STARTUP_ONLY:-}

if [ -z "$STARTUP_IN_XVFB" ] && command -v xvfb-run >/dev/null 2>&1; then
    STARTUP_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$0" "$@"
fi
have_display=0
[ -n "$DISPLAY" ] && [ -n "$STARTUP_IN_XVFB" ] && have_display=1
# The programs draw on the virtual screen, at the scale each row asks for.
unset QT_QPA_PLATFORM QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR

watch="$helpers/startup_watch"
reference="$helpers/startup_reference"
writes="$helpers/startup_reference_writes"
maker="$helpers/startup_maker"

work=$(mktemp -d "${TMPDIR:-/tmp}/bench_startup.XXXXXX") || exit 0
trap 'rm -rf "$work"' EXIT
log="$work/errors.log"
# Nothing of the user's own settings, recent files or library is read or
# written: the programs run from a copy of the suite, with folders of their own.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"

suite="$work/Suite"
player=""
vorlin=""
if [ -d "$suite_bin" ]; then
    mkdir -p "$suite"
    cp -a "$suite_bin" "$suite/Bin" 2>>"$log"
    mkdir -p "$suite/Data"
    [ -x "$suite/Bin/TileMender" ] && player="$suite/Bin/TileMender"
    [ -x "$suite/Bin/Vorlin" ] && vorlin="$suite/Bin/Vorlin"
fi

made=0
if [ -x "$maker" ] && "$maker" "$work" 2>>"$log"; then
    made=1
fi
picture="$work/picture.jpg"

# --- timing -------------------------------------------------------------------

# One run: "screen" or "exit", then the command. Prints milliseconds, or
# nothing when the run failed.
time_once() {
    local mode=$1
    shift
    if [ -x "$watch" ]; then
        if [ "$mode" = screen ]; then
            "$watch" -- "$@" 2>>"$log"
        else
            "$watch" --exit -- "$@" 2>>"$log"
        fi
    elif [ "$mode" = exit ]; then
        local t0 t1
        t0=$(date +%s%N)
        "$@" >/dev/null 2>>"$log" || return 1
        t1=$(date +%s%N)
        awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.1f\n", (b - a) / 1e6 }'
    fi
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)] }'
}

rows_out=()
add_row() { rows_out+=("$(printf '%-44s %9s %9s %7s %7s  %s' "$@")"); }

wanted() { [ -z "$only" ] || [[ "$1" == *"$only"* ]]; }

# pair_round MODE OURS REFERENCE ROUND: one run of each, adding to the
# caller's arrays a (ours) and b (reference). Which goes first changes every
# round: the first of a pair was seen to start about a millisecond sooner.
pair_round() {
    local mode=$1 ours=$2 ref=$3 round=$4 v
    if ((round % 2 == 0)); then
        v=$(eval "time_once $mode $ours") && [ -n "$v" ] && a+=("$v")
        v=$(eval "time_once $mode $ref") && [ -n "$v" ] && b+=("$v")
    else
        v=$(eval "time_once $mode $ref") && [ -n "$v" ] && b+=("$v")
        v=$(eval "time_once $mode $ours") && [ -n "$v" ] && a+=("$v")
    fi
}

# row LABEL TARGET MODE OURS REFERENCE: the commands as words for eval. A
# target of - shows the ratio alone.
row() {
    local label=$1 target=$2 mode=$3 ours=$4 ref=$5 i v
    wanted "$label" || return 0
    local a=() b=()
    eval "time_once $mode $ours" >/dev/null
    eval "time_once $mode $ref" >/dev/null
    for ((i = 0; i < runs; i++)); do
        pair_round "$mode" "$ours" "$ref" $i
    done
    if [ ${#a[@]} -eq 0 ] || [ ${#b[@]} -eq 0 ]; then
        add_row "$label" n/a n/a - "$target" "(runs failed; see below)"
        failed=1
        return
    fi
    local ma mb ratio verdict
    ma=$(printf '%s\n' "${a[@]}" | median)
    mb=$(printf '%s\n' "${b[@]}" | median)
    ratio=$(awk -v a="$ma" -v b="$mb" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }')
    verdict=""
    [ "$target" = - ] || verdict=$(awk -v r="$ratio" -v t="$target" 'BEGIN { print (r + 0 <= t + 0) ? "ok" : "over" }')
    add_row "$label" "$ma" "$mb" "$ratio" "$target" "$verdict"
}

# row2 LABEL TARGET MODE OURS REFERENCE LABEL2 REFERENCE2: one row against
# each of two references, from the same runs of ours; the second row shows
# its ratio without a target (the reference of an earlier table, kept for
# comparison).
row2() {
    local label=$1 target=$2 mode=$3 ours=$4 ref=$5 label2=$6 ref2=$7 i v
    wanted "$label" || wanted "$label2" || return 0
    local a=() b=() c=()
    eval "time_once $mode $ours" >/dev/null
    eval "time_once $mode $ref" >/dev/null
    eval "time_once $mode $ref2" >/dev/null
    for ((i = 0; i < runs; i++)); do
        pair_round "$mode" "$ours" "$ref" $i
        v=$(eval "time_once $mode $ref2") && [ -n "$v" ] && c+=("$v")
    done
    if [ ${#a[@]} -eq 0 ] || [ ${#b[@]} -eq 0 ] || [ ${#c[@]} -eq 0 ]; then
        add_row "$label" n/a n/a - "$target" "(runs failed; see below)"
        failed=1
        return
    fi
    local ma mb mc ratio ratio2 verdict
    ma=$(printf '%s\n' "${a[@]}" | median)
    mb=$(printf '%s\n' "${b[@]}" | median)
    mc=$(printf '%s\n' "${c[@]}" | median)
    ratio=$(awk -v a="$ma" -v b="$mb" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }')
    ratio2=$(awk -v a="$ma" -v b="$mc" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }')
    verdict=$(awk -v r="$ratio" -v t="$target" 'BEGIN { print (r + 0 <= t + 0) ? "ok" : "over" }')
    add_row "$label" "$ma" "$mb" "$ratio" "$target" "$verdict"
    add_row "$label2" "$ma" "$mc" "$ratio2" "-" ""
}

# absolute LABEL TARGET_MS MODE COMMAND
absolute() {
    local label=$1 target=$2 mode=$3 cmd=$4 i v
    wanted "$label" || return 0
    local a=()
    eval "time_once $mode $cmd" >/dev/null
    for ((i = 0; i < runs; i++)); do
        v=$(eval "time_once $mode $cmd") && [ -n "$v" ] && a+=("$v")
    done
    if [ ${#a[@]} -eq 0 ]; then
        add_row "$label" n/a - - "${target} ms" "(runs failed; see below)"
        failed=1
        return
    fi
    local ma verdict
    ma=$(printf '%s\n' "${a[@]}" | median)
    verdict=$(awk -v m="$ma" -v t="$target" 'BEGIN { print (m + 0 <= t + 0) ? "ok" : "over" }')
    add_row "$label" "$ma" - - "${target} ms" "$verdict"
}

# Why a row cannot be timed here, or nothing when it can.
missing() {
    local need
    for need in "$@"; do
        case $need in
        display) [ $have_display = 1 ] && [ -x "$watch" ] || { echo "(no xvfb-run or no screen watcher)"; return; } ;;
        player) [ -n "$player" ] || { echo "(TileMender not built)"; return; } ;;
        vorlin) [ -n "$vorlin" ] || { echo "(Vorlin not built)"; return; } ;;
        reference) [ -x "$reference" ] || { echo "(startup_reference not built)"; return; } ;;
        writes) [ -x "$writes" ] || { echo "(startup_reference_writes not built)"; return; } ;;
        puzzles) [ $made = 1 ] || { echo "(startup_maker not built or failed)"; return; } ;;
        djpeg) command -v djpeg >/dev/null 2>&1 || { echo "(no djpeg: apt-get install libjpeg-turbo-progs)"; return; } ;;
        esac
    done
}

skip_or() {
    local label=$1 target=$2 why=$3
    wanted "$label" || return 0
    add_row "$label" n/a n/a - "$target" "$why"
}

q() { printf '%q ' "$@"; }

# --- the rows -----------------------------------------------------------------

failed=0
for n in 48 300; do
    label="player start, $n pieces vs reference"
    why=$(missing display player reference puzzles)
    if [ -n "$why" ]; then skip_or "$label" 1.3 "$why"; else
        row "$label" 1.3 screen "$(q "$player" "$work/p$n.puz")" "$(q "$reference" "$picture")"
    fi
done
# Ten thousand 8-pixel pieces need a picture of 1000 x 640, twice the
# pixels of the others: the reference decodes and shows that same picture
# (centred, clipped by its window). The row against the 640 x 480 reference
# is the one of earlier tables.
label="player start, 10000 pieces vs reference"
label2="player start, 10000 vs 640 x 480 reference"
why=$(missing display player reference puzzles)
if [ -n "$why" ]; then skip_or "$label" 1.3 "$why"; else
    row2 "$label" 1.3 screen "$(q "$player" "$work/p10000.puz")" "$(q "$reference" "$work/picture10000.jpg")" \
        "$label2" "$(q "$reference" "$picture")"
fi

label="Vorlin start (main menu) vs reference"
why=$(missing display vorlin reference puzzles)
if [ -n "$why" ]; then skip_or "$label" 1.3 "$why"; else
    row "$label" 1.3 screen "$(q "$vorlin")" "$(q "$reference" "$picture")"
fi

for level in "130 --level hard" "300 --rows 15"; do
    set -- $level
    n=$1
    shift
    # The yardstick is djpeg of the same picture plus the same files written
    # the same crash-safe way (startup_reference_writes, which runs djpeg
    # and rewrites the files ours made). A make cannot do with one decode:
    # it also round-trips the scratch picture at quality 100 and encodes the
    # puzzle's picture and guide. The second row is against a program that
    # does just those passes with libjpeg and the same writes, with no Qt:
    # the floor of any make.
    label="Vorlin --make, $n pieces vs djpeg + writes"
    label2="Vorlin --make, $n vs its JPEG work + writes"
    why=$(missing vorlin puzzles djpeg writes)
    if [ -n "$why" ]; then skip_or "$label" 2.0 "$why"; else
        row2 "$label" 2.0 exit "$(q "$vorlin" --make "$picture" --name "Make$n" "$@" --yes)" \
            "$(q "$writes" "$suite" "Make$n" "$picture")" \
            "$label2" "$(q "$writes" --passes "$suite" "Make$n" "$picture")"
    fi
done

label="Vorlin --list, 100 puzzles"
why=$(missing vorlin puzzles)
if [ -z "$why" ] && wanted "$label"; then
    # A library of its own, so that the other rows see the suite as shipped.
    library="$work/Library"
    mkdir -p "$library/Data"
    cp -a "$suite/Bin" "$library/Bin"
    for ((i = 1; i <= 100; i++)); do
        "$library/Bin/Vorlin" --make "$picture" --name "$(printf 'Listed%03d' $i)" --level easy --yes \
            >/dev/null 2>>"$log" || { why="(making the library failed)"; break; }
    done
fi
if [ -n "$why" ]; then wanted "$label" && add_row "$label" n/a - - "30 ms" "$why"; else
    absolute "$label" 30 exit "$(q "$library/Bin/Vorlin" --list)"
fi

# A friend's first opening of a sent puzzle, until the player has painted:
# the package unpacks itself and the player's runtime, then starts it. Each
# run opens it as never before (the folder it unpacks into removed first,
# which the time includes).
label="receiver: sh NPuz.run to the player painted"
why=$(missing display vorlin puzzles)
if [ -z "$why" ] && wanted "$label"; then
    if ! command -v makeself >/dev/null 2>&1 && ! command -v makeself.sh >/dev/null 2>&1; then
        why="(no makeself: apt-get install makeself)"
    elif ! "$vorlin" --make "$picture" --name Sent --rows 15 --yes >/dev/null 2>>"$log"; then
        why="(making the puzzle to send failed)"
    else
        package=$("$vorlin" --pack Sent 2>>"$log") || package=
        [ -f "$package" ] || why="(Vorlin --pack failed)"
    fi
fi
if [ -n "$why" ]; then wanted "$label" && add_row "$label" n/a - - "1000 ms" "$why"; else
    absolute "$label" 1000 screen \
        "$(q sh -c 'rm -rf "$0" && exec sh "$1" </dev/null' "$XDG_DATA_HOME/PuzzleSuite/Received" "$package")"
fi

label="player start, scale 2 vs scale 1 (300)"
why=$(missing display player puzzles)
if [ -n "$why" ]; then skip_or "$label" 1.3 "$why"; else
    row "$label" 1.3 screen "$(q env QT_SCALE_FACTOR=2 "$player" "$work/p300.puz")" "$(q "$player" "$work/p300.puz")"
fi

# What scale 2 costs a bare Qt window: the floor under the row above.
label="reference window, scale 2 vs scale 1"
why2=$(missing display reference puzzles)
if [ -n "$why2" ]; then skip_or "$label" - "$why2"; else
    row "$label" - screen "$(q env QT_SCALE_FACTOR=2 "$reference" "$picture")" "$(q "$reference" "$picture")"
fi

label="player at scale 2, 130 vs 300 pieces"
if [ -n "$why" ]; then skip_or "$label" 1.0 "$why"; else
    row "$label" 1.0 screen "$(q env QT_SCALE_FACTOR=2 "$player" "$work/p130.puz")" \
        "$(q env QT_SCALE_FACTOR=2 "$player" "$work/p300.puz")"
fi

# --- the table ----------------------------------------------------------------

echo "Start-up, whole processes (median of $runs runs each, ms; ratio = ours / reference)"
printf '%-44s %9s %9s %7s %7s\n' "row" "ours" "ref" "ratio" "target"
printf '%s\n' "${rows_out[@]}"
if [ $failed = 1 ] && [ -s "$log" ]; then
    echo "Failed runs said:"
    sort "$log" | uniq -c | head -20
fi
exit 0
