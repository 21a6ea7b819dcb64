#!/usr/bin/env bash
# The viewer's window under a real window manager: Xvfb with openbox on a 1280 x 1024 screen.
# Starts build/src/viewer/karvelon on FILE, then resizes, maximizes and zooms it, and writes a
# screenshot of the whole screen after each step into OUTDIR (default /tmp/karvelon-window).
# Usage: scripts/window-check.sh [FILE] [OUTDIR]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh xvfb xdotool imagemagick openbox wmctrl
file=${1:-examples/showcase.pbn}
out=${2:-/tmp/karvelon-window}
mkdir -p "$out"
display=:${KARVELON_DISPLAY:-99}
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $viewer $wm $xvfb 2>/dev/null || true' EXIT
sleep 1
DISPLAY=$display openbox >/dev/null 2>&1 &
wm=$!
sleep 1
# A settings folder of its own: the user's kept size and files are neither used nor changed.
export XDG_CONFIG_HOME="$out/config"
DISPLAY=$display build/src/viewer/karvelon "$file" >/dev/null 2>&1 &
viewer=$!
sleep 2
export DISPLAY=$display
win=$(xdotool search --sync --onlyvisible --pid "$viewer" --name Karvelon | head -1)
shot() { sleep 1; import -window root "$out/$1.png"; echo "$out/$1.png: $(xdotool getwindowgeometry "$win" | tr '\n' ' ')"; }
xdotool windowactivate --sync "$win" key Right Right Right Right Right Right Right Right Right Right Right Right Right Right
shot 1-start
xdotool windowsize "$win" 1000 700
shot 2-resized-1000x700
xdotool windowsize "$win" 700 900
shot 2b-tall-700x900
xdotool windowsize "$win" 1200 560
shot 3-wide-1200x560
wmctrl -i -r "$win" -b add,maximized_vert,maximized_horz
shot 4-maximized
wmctrl -i -r "$win" -b remove,maximized_vert,maximized_horz
xdotool windowactivate --sync "$win" key ctrl+0
shot 5-zoom-100
xdotool key ctrl+plus ctrl+plus
shot 6-zoom-150
