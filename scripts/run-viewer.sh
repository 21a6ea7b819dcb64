#!/usr/bin/env bash
# Opens the viewer on an example file; without a display, checks the file and shows its log.
set -euo pipefail
build=$1
example=$2
if [ -x "$build/src/viewer/karvelon" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec "$build/src/viewer/karvelon" "$example"
fi
"$build/src/cli/karvelon-cli" check "$example" --log karvelon.log || true
echo "--- karvelon.log ---"
cat karvelon.log
