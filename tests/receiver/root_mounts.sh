# Mounting what a program run in a Debian root needs, and taking it all down
# again. Sourced by make_root.sh and clean_root.sh; needs root.

# Mount points under $1, deepest first, as the kernel lists them.
mounts_under() {
    awk -v root="$1" '
        { path = $5; gsub(/\\040/, " ", path) }
        path == root || index(path, root "/") == 1 { print length(path) "\t" path }
    ' /proc/self/mountinfo | sort -rn | cut -f2-
}

# Takes down every mount under the root, even those a failed step left
# half made; a busy one is detached lazily so that nothing stays attached
# to the host once we return.
unmount_root() {
    [ -n "$1" ] && [ -d "$1" ] || return 0
    mounts_under "$1" | while IFS= read -r point; do
        umount "$point" 2>/dev/null || umount -l "$point" 2>/dev/null \
            || echo "warning: could not unmount $point" >&2
    done
}

# /proc, /dev (with its own /dev/pts and /dev/shm) and a read-only /sys.
# Uses only $1: a sourced function shares the caller's variables.
mount_system() {
    mkdir -p "$1/proc" "$1/dev" "$1/sys" || return 1
    mount -t proc proc "$1/proc" || return 1
    mount --bind /dev "$1/dev" || return 1
    mkdir -p "$1/dev/pts" "$1/dev/shm" 2>/dev/null
    mount -t devpts -o newinstance,ptmxmode=0666 devpts "$1/dev/pts" 2>/dev/null || true
    mount -t tmpfs -o mode=1777,size=256m tmpfs "$1/dev/shm" || return 1
    mount -t sysfs -o ro sysfs "$1/sys" 2>/dev/null \
        || mount --bind -o ro /sys "$1/sys" || return 1
}

# rm -rf of a root, refused while anything is still mounted in it: a bound
# /dev or /sys would take the host's files with it.
remove_root() {
    [ -e "$1" ] || return 0
    if [ -n "$(mounts_under "$1")" ]; then
        echo "refusing to remove $1: something is still mounted in it:" >&2
        mounts_under "$1" >&2
        return 1
    fi
    rm -rf --one-file-system -- "$1"
}
