#!/bin/sh
# Vorlin as built: a program of Qt Core and Gui that loads its windows from
# libvorlin_windows.so beside it.
#   program_parts_test.sh BIN_FOLDER
# - no library of the windows (Qt Widgets, SANE and what they bring) is
#   loaded by the program itself, only by the windows' library;
# - every name the windows' library leaves to the program is defined and
#   exported there (the model and common code are linked once, into it);
# - a copy of the two files in a tree of its own shows the main menu, and
#   without the library says which file is missing while its command line
#   still works.
set -eu
bin=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

fail() { echo "FAIL: $*" >&2; exit 1; }

program=$bin/Vorlin
library=$bin/libvorlin_windows.so
[ -x "$program" ] || fail "$program is missing"
[ -f "$library" ] || fail "$library is missing"

# What the program loads, all the way down, and what the library adds.
ldd "$program" > "$work/program.ldd" || fail "ldd cannot read $program"
for name in libQt6Widgets libsane libusb libxml2 libvorlin_windows; do
    if grep -q "$name" "$work/program.ldd"; then
        fail "Vorlin itself loads $name:
$(cat "$work/program.ldd")"
    fi
done
grep -q libQt6Core "$work/program.ldd" || fail "Vorlin does not load Qt Core?"
ldd "$library" | grep -q libQt6Widgets || fail "the windows' library does not load Qt Widgets"
readelf -d "$library" | grep -q 'R\(UN\)\?PATH.*\$ORIGIN' || fail "the windows' library has no \$ORIGIN search path"

# Only the entry is shown by the library; what it takes from the program is
# there. Names with a version come from system libraries.
nm -D --defined-only "$library" | awk '$2 ~ /^[TDBRW]$/ { print $3 }' > "$work/shown"
[ "$(cat "$work/shown")" = vorlin_windows_main ] || fail "the library shows more than its entry:
$(head -5 "$work/shown")"
nm -D --undefined-only "$library" | awk '$1 == "U" && $2 !~ /@/ && $2 !~ /^sane_/ { print $2 }' | sort > "$work/wanted"
nm -D --defined-only "$program" | awk '{ print $3 }' | sort > "$work/given"
[ -s "$work/wanted" ] || fail "the library takes nothing from the program: is the model in it twice?"
missing=$(comm -23 "$work/wanted" "$work/given")
[ -z "$missing" ] || fail "the program does not export what the windows need:
$missing"

# A tree of its own with both files: the main menu paints and the program ends.
tree=$work/Tree
mkdir -p "$tree/Bin" "$tree/Data"
cp "$program" "$library" "$tree/Bin/"
out=$(QT_QPA_PLATFORM=offscreen VORLIN_QUIT_AFTER_FIRST_PAINT=1 timeout 60 "$tree/Bin/Vorlin" -nosplash 2>"$work/err") \
    || fail "the windows did not start: $(cat "$work/err")"
[ "$out" = painted ] || fail "the main menu did not paint: $out $(cat "$work/err")"

# Without the library: a message naming it and status 1; the command line works.
rm "$tree/Bin/libvorlin_windows.so"
status=0
QT_QPA_PLATFORM=offscreen timeout 60 "$tree/Bin/Vorlin" -nosplash >/dev/null 2>"$work/err" || status=$?
[ "$status" = 1 ] || fail "a start without the windows' library ended with $status"
grep -q "libvorlin_windows.so" "$work/err" || fail "the message does not name the library: $(cat "$work/err")"
grep -q "Vorlin --help" "$work/err" || fail "the message does not point at the command line: $(cat "$work/err")"
"$tree/Bin/Vorlin" --help | grep -q "^Usage: Vorlin --make" || fail "--help needs the windows' library"
"$tree/Bin/Vorlin" --list | grep -q "Sample\|No puzzles" || fail "--list needs the windows' library"
echo "ok"
