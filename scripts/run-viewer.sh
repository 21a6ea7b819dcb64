#!/usr/bin/env bash
# Opens the viewer on an example file. Without a display, writes a picture of the viewer's
# window on that file instead and says where it is.
set -euo pipefail
build=$1
example=$2
viewer="$build/src/viewer/karvelon"
cli="$build/src/cli/karvelon-cli"
if [ -x "$viewer" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec "$viewer" "$example"
fi
picture="$build/karvelon-window.png"
"$cli" render "$example" -o "$picture" --steps 12
echo "No display: the viewer's window on $example (game 1, 12 steps on) is in $picture"
