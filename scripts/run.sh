#!/usr/bin/env bash
# Builds the program and runs it against a virtual printer (started here unless one runs).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NOVARI_BUILD_DIR:-$root/build}

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "novari-adjust needs a graphical display (DISPLAY or WAYLAND_DISPLAY is not set)." >&2
  exit 1
fi

"$root/scripts/setup-debian.sh"
NOVARI_TARGETS="novari-adjust novari-printer-sim portgate chanlink cdr-sample" "$root/scripts/build.sh"
bin="$build/bin"

portdir="${XDG_RUNTIME_DIR:+$XDG_RUNTIME_DIR/novari-ports}"
portdir="${portdir:-/tmp/novari-ports-$(id -u)}"
printer_runs() {
  pgrep -u "$(id -u)" -f '(^|/)novari-printer-sim( |$)' >/dev/null &&
    compgen -G "$portdir/[!.]*" >/dev/null
}

started=""
if ! printer_runs; then
  pages="${XDG_STATE_HOME:-$HOME/.local/state}/novari-printer-sim/pages"
  mkdir -p "$pages"
  # A brisk printer: every print, cleaning and wait takes a tenth of its real time. A printer
  # at real speed: novari-printer-sim --tray --pages DIR (a Bi-D print takes minutes then).
  "$bin/novari-printer-sim" --tray --time-scale 0.1 --pages "$pages" &
  started=$!
  trap '[ -n "$started" ] && kill "$started" 2>/dev/null; wait 2>/dev/null || true' EXIT
  for _ in $(seq 50); do
    compgen -G "$portdir/[!.]*" >/dev/null && break
    kill -0 "$started" 2>/dev/null || { echo "The virtual printer did not start." >&2; exit 1; }
    sleep 0.1
  done
  echo "Virtual printer running at ten times real speed (pages are saved in $pages)."
  echo "For a printer at real speed: $bin/novari-printer-sim --tray --pages $pages"
fi

"$bin/novari-adjust"
