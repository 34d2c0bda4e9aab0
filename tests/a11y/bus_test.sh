#!/usr/bin/env bash
# Runs bus_walk.py against the program in BIN_DIR on a private X server (Xvfb) with a private
# session bus, whose accessibility bus (at-spi2-core) is started on demand: the machine's own
# display and buses are never touched. Exit 77 (skipped) where the tools are missing, except
# in CI, where scripts/setup-debian.sh installs them and a missing one is a failure.
#   bus_test.sh BIN_DIR [--print-tree ITEM]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=$1
shift

missing=()
command -v Xvfb >/dev/null || missing+=(Xvfb)
command -v dbus-run-session >/dev/null || missing+=(dbus-run-session)
[ -x /usr/libexec/at-spi-bus-launcher ] || missing+=(at-spi-bus-launcher)
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || missing+=(python3-pyatspi)
if [ ${#missing[@]} -gt 0 ]; then
  echo "bus test: missing ${missing[*]}"
  [ "${CI:-}" = true ] && exit 1
  exit 77
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/novari-bus.XXXXXX")
xvfb=
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

# -displayfd tells which display number the server took once it accepts clients.
Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$scratch/display" 2>"$scratch/xvfb.log" &
xvfb=$!
for _ in $(seq 300); do
  [ -s "$scratch/display" ] && break
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.1
done
[ -s "$scratch/display" ] || { echo "Xvfb did not start: $(cat "$scratch/xvfb.log")"; exit 1; }

export DISPLAY=":$(cat "$scratch/display")"
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS
export XDG_RUNTIME_DIR="$scratch/run" XDG_STATE_HOME="$scratch/state" XDG_DATA_HOME="$scratch/data"
export XDG_CONFIG_HOME="$scratch/config" HOME="$scratch"
mkdir -m 700 "$XDG_RUNTIME_DIR"
cd "$scratch"
# The walk's own time bound ends it; this one only guards against a hung bus.
timeout 600 dbus-run-session -- /usr/bin/python3 -B "$here/bus_walk.py" "$bin" "$@"
