#!/bin/sh
# Builds the Debian package into a temporary folder and checks it as a user's machine would
# see it: its name, file list, computed dependencies and maintainer scripts; the desktop entry,
# AppStream metainfo and manual pages by their validators; and, with the package unpacked
# into the XDG data folders, that a .pbn file is application/x-pbn, a .lin file
# application/x-bridge-lin, and that both open with Karvelon.
# Usage: package_test.sh CPACK BUILD_DIR SOURCE_DIR VERSION APPSTREAM_ID
# Exits 77 (skipped) when a tool is missing.
set -eu
cpack=$1 build=$2 source=$3 version=$4 appstream_id=$5

missing=""
for tool in dpkg-deb dpkg-shlibdeps file desktop-file-validate appstreamcli man \
  update-mime-database update-desktop-database mimetype xdg-mime; do
  command -v "$tool" >/dev/null 2>&1 || missing="$missing $tool"
done
if [ -n "$missing" ]; then
  echo "skipped: missing$missing (scripts/install-deps.sh installs them)"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*"
  exit 1
}

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack"; }
deb="$work/karvelon_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb") in: $(ls "$work")"

dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./||' | sort >"$work/files"
sort >"$work/expected" <<FILES
usr/bin/karvelon
usr/bin/karvelon-cli
usr/lib/karvelon/karvelon-cli-draw
usr/share/applications/karvelon.desktop
usr/share/icons/hicolor/128x128/apps/karvelon.png
usr/share/icons/hicolor/32x32/apps/karvelon.png
usr/share/icons/hicolor/64x64/apps/karvelon.png
usr/share/man/man1/karvelon-cli.1.gz
usr/share/man/man1/karvelon.1.gz
usr/share/metainfo/$appstream_id.metainfo.xml
usr/share/mime/packages/karvelon-pbn.xml
FILES
diff -u "$work/expected" "$work/files" || fail "file list"

depends=$(dpkg-deb -f "$deb" Depends)
for package in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libqt6core6 libdds0; do
  printf '%s\n' "$depends" | tr ',' '\n' | awk '{ print $1 }' | grep -qxF "$package" ||
    fail "Depends lacks $package: $depends"
done
dpkg-deb -e "$deb" "$work/control"
for script in postinst postrm; do
  [ -x "$work/control/$script" ] || fail "no executable $script in the package"
done

root="$work/root"
dpkg-deb -x "$deb" "$root"
share="$root/usr/share"
# karvelon-cli finds its drawing helper where the package puts it.
QT_QPA_PLATFORM=offscreen "$root/usr/bin/karvelon-cli" render "$source/examples/showcase.pbn" \
  -o "$work/showcase.png" || fail "render with the packaged karvelon-cli"
[ -s "$work/showcase.png" ] || fail "render wrote no picture"
desktop-file-validate "$share/applications/karvelon.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$share/metainfo/$appstream_id.metainfo.xml" >"$work/appstream" ||
  { cat "$work/appstream"; fail "appstreamcli validate"; }
for page in "$share"/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page: $warnings"
done

# A user's view with only the package's data folders: the same caches the postinst makes.
XDG_DATA_DIRS="$share" update-mime-database "$share/mime"
update-desktop-database -q "$share/applications"
# By name alone (no "% PBN" line), in capitals, and by the first line alone.
cp "$source/examples/mistakes.pbn" "$work/MISTAKES.PBN"
cp "$source/examples/showcase.pbn" "$work/no-extension"
query() {
  env -i PATH="$PATH" HOME="$work/home" XDG_DATA_HOME="$work/home/share" \
    XDG_CONFIG_HOME="$work/home/config" XDG_CONFIG_DIRS="$work/none" XDG_DATA_DIRS="$share" \
    xdg-mime query "$@"
}
for file in "$source/examples/showcase.pbn" "$work/MISTAKES.PBN" "$work/no-extension"; do
  type=$(query filetype "$file")
  [ "$type" = application/x-pbn ] || fail "$file is '$type'"
done
application=$(query default application/x-pbn)
[ "$application" = karvelon.desktop ] || fail "application/x-pbn opens with '$application'"
# A LIN file by its name, in any case.
cp "$source/examples/online-match.lin" "$work/MATCH.LIN"
for file in "$source/examples/online-match.lin" "$work/MATCH.LIN"; do
  type=$(query filetype "$file")
  [ "$type" = application/x-bridge-lin ] || fail "$file is '$type'"
done
application=$(query default application/x-bridge-lin)
[ "$application" = karvelon.desktop ] || fail "application/x-bridge-lin opens with '$application'"
echo "$(basename "$deb"): Depends: $depends"
