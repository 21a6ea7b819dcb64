#!/bin/sh
# The package's postinst and postrm: make the PBN file type and Karvelon's claim on it known,
# or forgotten, at once where the tools exist (Debian's triggers do it again later; harmless).
set -e
case "$1" in
  configure | remove | purge)
    if command -v update-mime-database >/dev/null 2>&1; then
      update-mime-database /usr/share/mime || true
    fi
    if command -v update-desktop-database >/dev/null 2>&1; then
      update-desktop-database -q /usr/share/applications || true
    fi
    ;;
esac
exit 0
