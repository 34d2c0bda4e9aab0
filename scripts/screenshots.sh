#!/usr/bin/env bash
# Takes the README's screenshots from the real windows: a virtual printer with its output tray
# and the program on a private X server (Xvfb), driven from the keyboard with xdotool, each
# window captured with ImageMagick's import into docs/images/ (or the folder given).
# Runs on scratch folders: no real printer, port folder or EEPROM file is touched.
#   scripts/screenshots.sh [OUTPUT_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NOVARI_BUILD_DIR:-$root/build}
out=$(mkdir -p "${1:-$root/docs/images}" && cd "${1:-$root/docs/images}" && pwd)

NOVARI_WITH_DISPLAY_TOOLS=1 "$root/scripts/setup-debian.sh"
NOVARI_TARGETS="novari-adjust novari-printer-sim portgate chanlink" "$root/scripts/build.sh"
bin="$build/bin"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/novari-screenshots.XXXXXX")
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  if [ -n "$failed" ]; then
    echo "screenshots: the logs are kept in $scratch" >&2
  else
    rm -rf "$scratch"
  fi
}
failed=""
trap cleanup EXIT
fail() {
  echo "screenshots: $*" >&2
  failed=1
  exit 1
}

# A private X server; -displayfd tells which display number it took.
Xvfb -displayfd 3 -screen 0 2000x1400x24 -nolisten tcp 3>"$scratch/display" 2>"$scratch/xvfb.log" &
pids+=($!)
for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
[ -s "$scratch/display" ] || fail "Xvfb did not start: $(cat "$scratch/xvfb.log")"
export DISPLAY=":$(cat "$scratch/display")"
unset WAYLAND_DISPLAY
export XDG_RUNTIME_DIR="$scratch/run" XDG_STATE_HOME="$scratch/state" XDG_DATA_HOME="$scratch/data"
export QT_QPA_PLATFORM=xcb
mkdir -m 700 "$XDG_RUNTIME_DIR"

# The visible window whose title is exactly $1, waited for up to 10 s.
window() {
  local id
  id=$(timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1) ||
    fail "no window \"$1\""
  echo "$id"
}
shot() {
  sleep 0.5
  import -window "$1" -strip "png:$out/$2"
  echo "wrote $out/$2"
}

"$bin/novari-printer-sim" --port USB001 --tray --time-scale 0.01 --pages "$scratch/pages" \
  >"$scratch/printer.log" 2>&1 &
pids+=($!)
tray=$(window "Halden Photo Q510 on USB001 - virtual printer")
# Side by side with the program's windows, which open at the screen's top left.
xdotool windowmove --sync "$tray" 1040 0

"$bin/novari-adjust" >"$scratch/program.log" 2>&1 &
pids+=($!)
selection=$(window "NOVARI printer adjustment program")
xdotool windowmove --sync "$selection" 0 0
# Model, port and destination: the first entry of each list.
xdotool windowfocus --sync "$selection"
xdotool key --delay 150 Down Tab Down Tab Down
shot "$selection" selection-window.png

xdotool key Return
main=$(window "Adjustment program")
xdotool windowmove --sync "$main" 0 0
sleep 1
shot "$main" main-window.png

# Bi-D adjustment: the fifth adjustment item, then its Print button, which takes the focus.
xdotool windowfocus --sync "$main"
xdotool key --delay 200 Tab Down Down Down Down space
sleep 1
xdotool key space
for _ in $(seq 100); do [ -s "$scratch/pages/page-0001.png" ] && break; sleep 0.1; done
[ -s "$scratch/pages/page-0001.png" ] || fail "the Bi-D pattern was not printed"
sleep 2 # the end of the job and the completion message
shot "$main" bi-d-adjustment.png
shot "$tray" output-tray.png
