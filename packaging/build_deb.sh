#!/bin/sh
# Builds the Debian package of the suite from the ready install tree:
#   build_deb.sh BUILD_DIR OUT_DIR VERSION
# The tree goes to /usr/lib/puzzle-suite (read-only there, so each user's
# puzzles and library live in their own data folder), with commands in
# /usr/games, launchers, the puzzle file type, its thumbnailers, theme icons,
# the store entry and man pages in /usr/share. Prints the package's path.
# DEB_MAINTAINER ("Name <address>") names who built it; by default the
# author of the checkout's last commit.
set -eu
build=$(cd "$1" && pwd)
out=$2
version=$3
here=$(cd "$(dirname "$0")" && pwd)
desktop_src=$(dirname "$here")/resources/desktop
tree=$build/root
icons=$build/bin/deb_icons
package=puzzle-suite
lib=/usr/lib/$package
bin=$lib/Bin
maintainer=${DEB_MAINTAINER:-$(git -C "$here" log -1 --format='%an <%ae>' 2>/dev/null || true)}
[ -n "$maintainer" ] || { echo "deb: set DEB_MAINTAINER to \"Name <address>\"" >&2; exit 1; }

for f in Vorlin TileMender mailsend libmail.so; do
  [ -f "$tree/Bin/$f" ] || { echo "deb: $tree/Bin/$f is missing; build the suite first" >&2; exit 1; }
done
[ -x "$icons" ] || { echo "deb: $icons is missing; build the deb_icons target first" >&2; exit 1; }
[ -f "$tree/Data/Sample.puz" ] || { echo "deb: $tree/Data/Sample.puz is missing" >&2; exit 1; }

stage=$(mktemp -d "${TMPDIR:-/tmp}/$package-deb.XXXXXX")
trap '[ -n "${KEEP_STAGE:-}" ] || rm -rf "$stage"' EXIT
root=$stage/root
mkdir -p "$root$bin" "$root$lib/Data" "$root/usr/games" "$root/DEBIAN"

is_elf() { [ "$(head -c 4 "$1" | od -An -c | tr -d ' ')" = "177ELF" ]; }

# The programs and their side files. The user's own files of the build
# tree (a library, the scratch picture, a journal or lock) stay behind: in
# a system install they live in each user's data folder.
for f in "$tree"/Bin/*; do
  name=$(basename "$f")
  case "$name" in
    puzzle.ini|puzzle.ini.*|Nuvark_Puzzle.JPG|*.vorlin-new) continue ;;
  esac
  cp -R "$f" "$root$bin/"
done
cp "$tree/Data/Sample.puz" "$root$lib/Data/"
for f in "$tree"/*; do
  [ -f "$f" ] && cp "$f" "$root$lib/"
done

# Debug data is for developers; the package carries stripped programs,
# executable programs and scripts, and read-only data and libraries.
find "$root$lib" -type d -exec chmod 0755 {} +
find "$root$lib" -type f | while read -r f; do
  if is_elf "$f"; then
    strip --strip-unneeded --remove-section=.comment --remove-section=.note "$f"
    case "$f" in *.so|*.so.*) chmod 0644 "$f" ;; *) chmod 0755 "$f" ;; esac
  elif [ "$(head -c 2 "$f")" = "#!" ]; then
    chmod 0755 "$f"
  else
    chmod 0644 "$f"
  fi
done

# The prepared runtime is known by the player it was made from, and the one
# above was just stripped: made again for this player, a user's first puzzle
# package takes the prepared one instead of a cold build of its own.
if [ -f "$root$bin/runtime.key" ]; then
  prepare=$build/bin/vorlin_runtime_prepare
  [ -x "$prepare" ] || { echo "deb: $prepare is missing; build the suite first" >&2; exit 1; }
  "$prepare" "$root$bin/TileMender" "$root$bin" "$root$bin/finish.bmp" "$root$bin/app.wav" >&2
  chmod 0644 "$root$bin/runtime.tar.xz" "$root$bin/runtime.key"
fi

# The commands: links, so each program still finds its tree beside itself
# (it asks the system for its own file, which resolves the link). They go
# where Debian keeps games, the suite's mail helper with them.
ln -s "../lib/$package/Bin/Vorlin" "$root/usr/games/vorlin"
ln -s "../lib/$package/Bin/TileMender" "$root/usr/games/tilemender"
ln -s "../lib/$package/Bin/mailsend" "$root/usr/games/mailsend"

# The launchers, with the texts the user install writes: its entries are
# taken from install.sh and pointed at this tree and at the theme icons.
apps=$root/usr/share/applications
mkdir -p "$apps"
for id in puzzlesuite-vorlin puzzlesuite-tilemender; do
  sed -n "/^cat > \"\$apps\/$id.desktop\" <<DESKTOP\$/,/^DESKTOP\$/p" "$desktop_src/install.sh" | sed '1d;$d' \
    | sed -e "s|\$bin_q|$bin|g" -e "s|\$bin_p|$bin|g" -e "s|^Icon=.*|Icon=puzzle-suite-${id#puzzlesuite-}|" \
    > "$apps/$id.desktop"
  grep -q '^Exec=' "$apps/$id.desktop" || { echo "deb: no launcher $id.desktop found in $desktop_src/install.sh" >&2; exit 1; }
  desktop-file-validate "$apps/$id.desktop"
done

mkdir -p "$root/usr/share/mime/packages"
cp "$desktop_src/puzzle-mime.xml" "$root/usr/share/mime/packages/puzzlesuite-puzzle.xml"

# Every thumbnailer the desktop folder ships, its command made this tree's:
# the entries are templates whose @TILEMENDER@ and @TILEMENDER_EXEC@ stand for
# the player's path (this one holds nothing either escaping would change).
for t in "$desktop_src"/*.thumbnailer; do
  [ -f "$t" ] || continue
  mkdir -p "$root/usr/share/thumbnailers"
  sed -E -e "s#@TILEMENDER(_EXEC)?@#$bin/TileMender#g" "$t" > "$root/usr/share/thumbnailers/$(basename "$t")"
  ! grep -q @ "$root/usr/share/thumbnailers/$(basename "$t")" || { echo "build_deb: $t names a program this script does not know" >&2; exit 1; }
done

"$icons" "$root/usr/share/icons"

date=$(date -u +%Y-%m-%d)
mkdir -p "$root/usr/share/metainfo"
sed -e "s/@VERSION@/$version/" -e "s/@DATE@/$date/" "$here/puzzle-suite.metainfo.xml.in" \
  > "$root/usr/share/metainfo/org.puzzlesuite.Vorlin.metainfo.xml"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.puzzlesuite.Vorlin.metainfo.xml" >&2

for page in "$here"/man/*.[0-9]; do
  section=${page##*.}
  mkdir -p "$root/usr/share/man/man$section"
  gzip -9n < "$page" > "$root/usr/share/man/man$section/$(basename "$page").gz"
done

doc=$root/usr/share/doc/$package
mkdir -p "$doc"
cp "$here/copyright" "$doc/copyright"
sed -e "s/@VERSION@/$version/" -e "s/@DATE@/$(date -u -R)/" -e "s/@MAINTAINER@/$maintainer/" "$here/changelog.in" | gzip -9n > "$doc/changelog.gz"

find "$root/usr/share" -type d -exec chmod 0755 {} +
find "$root/usr/share" -type f -exec chmod 0644 {} +

# Depends: what the suite's own programs and libraries link against, as
# Debian names it (what a puzzle package carries for a receiver, in folders
# below, is not the suite's to depend on), and what they start or load by
# name (control.in: the font, and the packer's tools makeself, objdump and
# strip, patchelf and xz, which a full puzzle package is made with).
mkdir -p "$stage/debian"
printf 'Source: %s\n\nPackage: %s\nArchitecture: any\n' "$package" "$package" > "$stage/debian/control"
elves=$(find "$root$bin" -maxdepth 1 -type f | while read -r f; do if is_elf "$f"; then printf '%s\n' "$f"; fi; done)
# shellcheck disable=SC2086
shlibs=$(cd "$stage" && dpkg-shlibdeps -O -l"$root$bin" $elves 2>"$stage/shlibdeps.log" | sed -n 's/^shlibs:Depends=//p') || {
  cat "$stage/shlibdeps.log" >&2; exit 1; }
grep -v 'no dependency information found\|shared libs\|not needed' "$stage/shlibdeps.log" >&2 || true

size=$(du -sk --apparent-size "$root" | cut -f1)
sed -e "s/@VERSION@/$version/" -e "s/@SHLIBS@/$shlibs/" -e "s/@SIZE@/$size/" -e "s/@MAINTAINER@/$maintainer/" \
  "$here/control.in" > "$root/DEBIAN/control"
(cd "$root" && find usr -type f -print0 | sort -z | xargs -0 md5sum) > "$root/DEBIAN/md5sums"

mkdir -p "$out"
deb=$(cd "$out" && pwd)/${package}_${version}_amd64.deb
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >&2
echo "$deb"
