#!/bin/sh
# Makes a minimal Debian 12 root with only the packages of the given lists,
# or keeps the one made before when it was made from the same lists and
# mirror. Needs root, debootstrap and Debian's archive.
#
#   make_root.sh ROOT LIST...
#
# A list holds one package a line; "#" starts a comment. The root is built
# beside ROOT and renamed into place when whole, so a run that was stopped
# half way never leaves a root that looks ready. It holds one ordinary user,
# "friend" (uid 4242), whose home the check empties before each run.

set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/root_mounts.sh"

fail() { printf 'make_root: %s\n' "$*" >&2; exit 1; }

[ $# -ge 2 ] || fail "usage: make_root.sh ROOT LIST..."
[ "$(id -u)" = 0 ] || fail "needs root (debootstrap and chroot)."
command -v debootstrap >/dev/null || fail "debootstrap is not installed (apt-get install debootstrap)."

# Absolute, because the mount table is.
root=$(realpath -m -- "$1")
shift
packages=
for list in "$@"; do
    [ -r "$list" ] || fail "cannot read the package list $list."
    packages="$packages $(sed -e 's/#.*//' "$list" | tr -s ' \t' '\n\n' | grep -v '^$' | tr '\n' ' ')"
done
packages=$(printf '%s\n' $packages | sort -u | tr '\n' ' ')
[ -n "${packages% }" ] || fail "the package lists name no package."

# The host's own Debian mirror: the first one that serves bookworm itself
# (not -security or -updates), in the one-line or the deb822 format.
find_mirror() {
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -r "$f" ] || continue
        awk '$1 == "deb" {
                 i = 2; if ($2 ~ /^\[/) { while (i <= NF && $i !~ /\]$/) i++; i++ }
                 if ($(i + 1) == "bookworm") { print $i; exit }
             }' "$f"
    done
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -r "$f" ] || continue
        awk 'function flush() {
                 if (uris != "" && suites ~ /(^| )bookworm( |$)/ && types ~ /(^| )deb( |$)/) {
                     split(uris, u, " "); print u[1]; found = 1; exit
                 }
                 uris = ""; suites = ""; types = ""
             }
             /^[ \t]*$/ { flush(); next }
             /^URIs:/ { sub(/^URIs:[ \t]*/, ""); uris = $0 }
             /^Suites:/ { sub(/^Suites:[ \t]*/, ""); suites = $0 }
             /^Types:/ { sub(/^Types:[ \t]*/, ""); types = $0 }
             END { if (!found) flush() }' "$f"
    done
}
mirror=$(find_mirror | head -n 1)
[ -n "$mirror" ] || fail "no Debian bookworm mirror in /etc/apt/sources.list or /etc/apt/sources.list.d/."

record="suite bookworm
variant minbase
mirror $mirror
packages $packages"

if [ -f "$root/.receiver-root" ] && [ "$(cat "$root/.receiver-root")" = "$record" ]; then
    echo "Reusing the receiver root $root."
    exit 0
fi

new=$root.new
cleanup() { unmount_root "$new"; }
trap cleanup EXIT
trap 'exit 130' INT TERM
unmount_root "$new"
remove_root "$new" || fail "cannot remove the unfinished root $new."
mkdir -p "$(dirname "$root")" || fail "cannot make the folder of $root."

echo "Making the receiver root $root from $mirror (debootstrap --variant=minbase bookworm)..."
started=$(date +%s)
log=$root.log
if ! debootstrap --variant=minbase --arch=amd64 bookworm "$new" "$mirror" >"$log" 2>&1; then
    tail -n 15 "$log" >&2
    fail "debootstrap failed; its whole log is $log."
fi

printf 'deb %s bookworm main\n' "$mirror" >"$new/etc/apt/sources.list"
# Packages must not start services in a root nobody boots.
printf '#!/bin/sh\nexit 101\n' >"$new/usr/sbin/policy-rc.d" && chmod +x "$new/usr/sbin/policy-rc.d"
cp -L /etc/resolv.conf "$new/etc/resolv.conf" 2>/dev/null || true
mount_system "$new" || fail "cannot mount /proc, /dev and /sys in $new."
# shellcheck disable=SC2086 # the package names are words
if ! chroot "$new" apt-get update >>"$log" 2>&1 \
    || ! chroot "$new" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y --no-install-recommends $packages >>"$log" 2>&1; then
    tail -n 15 "$log" >&2
    fail "installing the receiver's packages failed; the whole log is $log."
fi
chroot "$new" apt-get clean >>"$log" 2>&1
rm -rf "$new"/var/lib/apt/lists/* "$new/etc/resolv.conf"
if ! chroot "$new" useradd --create-home --uid 4242 --user-group --shell /bin/sh friend >>"$log" 2>&1; then
    fail "cannot add the receiving user to the root; see $log."
fi
unmount_root "$new"

printf '%s\n' "$record" >"$new/.receiver-root"
unmount_root "$root"
remove_root "$root" || fail "cannot replace the old root $root."
mv "$new" "$root" || fail "cannot move $new to $root."
size=$(du -sm "$root" | cut -f1)
echo "Made the receiver root in $(( $(date +%s) - started )) s: $size MB, $(chroot "$root" dpkg-query -W -f='.\n' | wc -l) packages."
