#!/bin/sh
# The suite's Debian package on a fresh minimal Debian 12, as a new user of
# that machine meets it:
#   deb_install.sh PACKAGE.deb WORK_DIR
# Makes a root with debootstrap (kept in WORK_DIR as a tarball, so later runs
# start from an untouched copy of it), installs the package there with apt
# as a user would, then as a normal user runs `vorlin --list`, `--make`
# and `--pack`, checks where their files went and that the installed tree
# stayed as shipped, and opens the main window under Xvfb; the screenshot is
# left in WORK_DIR/vorlin-window.png. Needs root (chroot, mounts) and network
# access to the Debian archive this machine uses.
set -eu
[ $# -eq 2 ] || { echo "usage: deb_install.sh PACKAGE.deb WORK_DIR" >&2; exit 2; }
[ "$(id -u)" = 0 ] || { echo "deb_install: needs root (debootstrap, chroot, mounts)" >&2; exit 1; }
deb=$(readlink -f "$1")
[ -f "$deb" ] || { echo "deb_install: no package $1" >&2; exit 1; }
mkdir -p "$2"
work=$(cd "$2" && pwd)
base=$work/bookworm-minbase.tar

# This machine's Debian archive, as its apt sources name it.
debian_sources() {
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && grep -Eq '(deb\.debian\.org|/debian)' "$f" && printf '%s\n' "$f"
  done
  return 0
}
mirror=$(debian_sources | xargs cat 2>/dev/null \
  | sed -n -e 's/^URIs: *\([^ ]*\).*/\1/p' -e 's/^deb \(\[[^]]*\] \)\{0,1\}\([^ ]*\) bookworm .*/\2/p' \
  | grep -v security | head -n 1)
mirror=${mirror:-http://deb.debian.org/debian}

step() { printf '\n== %s\n' "$*"; }
fail() { echo "deb_install: FAILED: $*" >&2; exit 1; }

if [ ! -f "$base" ]; then
  step "debootstrap --variant=minbase bookworm from $mirror"
  fresh=$(mktemp -d /tmp/deb-check-base.XXXXXX)
  debootstrap --variant=minbase bookworm "$fresh" "$mirror" > "$work/debootstrap.log" 2>&1 \
    || { rm -rf "$fresh"; fail "debootstrap (see $work/debootstrap.log)"; }
  # A root folder as a system's own: mktemp made it the owner's alone.
  chmod 755 "$fresh"
  tar -C "$fresh" -cf "$base.new" . && mv "$base.new" "$base"
  rm -rf "$fresh"
fi

root=$(mktemp -d /tmp/deb-check-root.XXXXXX)
xvfb_pid=""
cleanup() {
  for m in dev/pts dev proc sys; do
    mountpoint -q "$root/$m" 2>/dev/null && umount -l "$root/$m"
  done
  # Never past a mount that is still there: /dev is the machine's own.
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT INT TERM
tar -C "$root" -xf "$base"
# A normal user in the root must be able to enter its "/" (a kept base may
# carry mktemp's 0700).
chmod 755 "$root"
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount -t sysfs sys "$root/sys"
cp /etc/resolv.conf "$root/etc/resolv.conf"
rm -f "$root/etc/apt/sources.list"
for f in $(debian_sources); do cp "$f" "$root$f"; done

in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root DEBIAN_FRONTEND=noninteractive "$@"; }
as_user() {
  chroot --userspec=player:player "$root" env -i HOME=/home/player USER=player \
    PATH=/usr/local/bin:/usr/bin:/bin:/usr/games XDG_RUNTIME_DIR=/tmp/run-player LANG=C.UTF-8 "$@"
}

step "apt install ./$(basename "$deb")"
cp "$deb" "$root/tmp/"
in_root apt-get update -q > "$work/apt.log" 2>&1 || fail "apt-get update (see $work/apt.log)"
in_root sh -c "cd /tmp && apt-get install -y -q ./$(basename "$deb")" >> "$work/apt.log" 2>&1 \
  || fail "the package did not install (see $work/apt.log)"
grep -E '^(Need to get|After this operation)' "$work/apt.log" || true
in_root dpkg --verify puzzle-suite || fail "installed files differ from the package"

step "a normal user: vorlin --list, --make, --list, --pack"
in_root useradd -m -s /bin/sh player
in_root install -d -o player -g player -m 700 /tmp/run-player
list=$(as_user vorlin --list) || fail "vorlin --list: $list"
printf '%s\n' "$list"
printf '%s\n' "$list" | grep -Eq '^ +1  Sample +[0-9]+X[0-9]+ +yes +yes' || fail "the sample is not listed"
made=$(as_user vorlin --make /usr/lib/puzzle-suite/Bin/Sample.jpg --name Harbour --level hard) \
  || fail "vorlin --make: $made"
printf '%s\n' "$made"
user_root=/home/player/.local/share/PuzzleSuite
for f in Data/Harbour.puz Data/Harbour.bmp Bin/puzzle.ini Data/Sample.puz Data/Sample.bmp; do
  [ -s "$root$user_root/$f" ] || fail "$user_root/$f was not written"
done
printf '%s\n' "$made" | grep -qx "$user_root/Data/Harbour.puz" || fail "--make printed no puzzle path in $user_root"
list=$(as_user vorlin --list) || fail "vorlin --list after --make: $list"
printf '%s\n' "$list"
printf '%s\n' "$list" | grep -Eq '^ +2  Harbour +[0-9]+X[0-9]+ +yes +yes' || fail "the new puzzle is not listed"
packed=$(as_user vorlin --pack Harbour) || fail "vorlin --pack: $packed"
[ "$packed" = "$user_root/Data/HarbourPuz.run" ] && [ -s "$root$packed" ] || fail "--pack wrote no package in $user_root/Data: $packed"
echo "$packed"
extra=$(cd "$root/usr/lib/puzzle-suite" && find . -newer "$root/tmp/$(basename "$deb")" ! -type d)
[ -z "$extra" ] || fail "files written into the installed tree: $extra"
in_root dpkg --verify puzzle-suite || fail "the installed files changed"

step "the main window under Xvfb"
in_root apt-get install -y -q --no-install-recommends xvfb xauth x11-utils x11-apps netpbm >> "$work/apt.log" 2>&1 \
  || fail "the test's own tools did not install (see $work/apt.log)"
as_user sh -c '
  Xvfb :57 -screen 0 1024x768x24 -nolisten tcp > /tmp/xvfb.log 2>&1 & x=$!
  export DISPLAY=:57
  for i in $(seq 50); do xwininfo -root > /dev/null 2>&1 && break; sleep 0.2; done
  vorlin -nosplash > /tmp/vorlin.log 2>&1 & v=$!
  shown=""
  for i in $(seq 100); do
    xwininfo -root -tree 2>/dev/null | grep -q "Snapp" && { shown=yes; break; }
    kill -0 $v 2> /dev/null || break
    sleep 0.2
  done
  # Painting follows the mapping; a moment more lets it finish.
  [ -n "$shown" ] && sleep 2 && xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng > /tmp/vorlin-window.png
  alive=no; kill -0 $v 2>/dev/null && alive=yes
  kill $v 2>/dev/null; wait $v 2>/dev/null
  kill $x 2>/dev/null; wait $x 2>/dev/null
  cat /tmp/vorlin.log
  [ -n "$shown" ] && [ $alive = yes ]
' || fail "Vorlin showed no window (its output is above)"
cp "$root/tmp/vorlin-window.png" "$work/vorlin-window.png"
colours=$(chroot "$root" sh -c 'pngtopnm /tmp/vorlin-window.png | ppmhist -noheader | wc -l')
echo "screenshot: $work/vorlin-window.png ($colours colours)"
[ "$colours" -gt 16 ] || fail "the screenshot is nearly blank"

step "passed: the package installs on a clean Debian 12 and works for a normal user"
ls -l "$deb"
