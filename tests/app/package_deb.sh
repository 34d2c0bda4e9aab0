#!/usr/bin/env bash
# Builds the Debian package of a finished build, unpacks it into a scratch root with dpkg-deb
# and runs what it holds from there: the dependencies come from the binaries, the files are
# where a desktop and man(1) look, the virtual printer and its tools work, and the program
# starts from its PATH link, loads its libraries from beside its real path and shows its
# selection window, which asks the virtual printer on the scratch port folder for its model.
#   package_deb.sh BUILD_DIR CPACK
set -euo pipefail
build=$1
cpack=$2

scratch=$(mktemp -d "${TMPDIR:-/tmp}/novari-package.XXXXXX")
printer=""
cleanup() {
  if [ -n "$printer" ]; then
    kill "$printer" 2>/dev/null || true
    wait "$printer" 2>/dev/null || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

(cd "$build" && "$cpack" -G DEB -B "$scratch/out") >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; fail "cpack could not build the package"; }
debs=("$scratch"/out/novari-adjust_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "no single novari-adjust_*.deb: ${debs[*]}"
deb=${debs[0]}
echo "built $(basename "$deb")"

# Dependencies found by dpkg-shlibdeps: system libraries only, never the package's own.
depends=$(dpkg-deb -f "$deb" Depends)
for package in libc6 libqt6widgets6 libqt6network6 libpng16-16; do
  [[ ", $depends," =~ ,\ $package[\ ,] ]] || fail "Depends lacks $package: $depends"
done
[[ $depends == *bytetext* || $depends == *portgate* || $depends == *chanlink* ]] &&
  fail "Depends names a private library: $depends"

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
for file in usr/lib/novari-adjust/{novari-adjust,novari-printer-sim,print-stream-file,print-test-stream,send-stream.py} \
  usr/lib/novari-adjust/lib{portgate,chanlink,bytetext}.so \
  usr/share/applications/novari-adjust.desktop \
  usr/share/icons/hicolor/scalable/apps/novari-adjust.svg \
  usr/share/novari-adjust/CD-R2.prn \
  usr/share/doc/novari-adjust/{copyright,changelog.gz}; do
  [ -f "$root/$file" ] || fail "the package lacks /$file"
done
for page in novari-adjust novari-printer-sim; do
  gzip -t "$root/usr/share/man/man1/$page.1.gz" 2>/dev/null || fail "no gzipped manual page for $page"
  zcat "$root/usr/share/man/man1/$page.1.gz" | grep -q "^\.TH ${page^^} 1 " || fail "$page.1 is no section 1 page"
done
for command in novari-adjust novari-printer-sim; do
  [ "$(readlink "$root/usr/bin/$command")" = "../lib/novari-adjust/$command" ] ||
    fail "/usr/bin/$command does not link to ../lib/novari-adjust/$command"
done

# Everything below runs on scratch folders: no real printer, port folder or EEPROM file is touched.
export XDG_RUNTIME_DIR="$scratch/run" XDG_STATE_HOME="$scratch/state" XDG_DATA_HOME="$scratch/data"
export QT_QPA_PLATFORM=offscreen
mkdir -m 700 "$XDG_RUNTIME_DIR"
tools="$root/usr/lib/novari-adjust"

"$root/usr/bin/novari-printer-sim" --help >"$scratch/help.txt" || fail "novari-printer-sim --help failed"
grep -q "control PORT WORD" "$scratch/help.txt" || fail "novari-printer-sim --help lacks its control words"

"$tools/print-test-stream" "$scratch/test.prn" >/dev/null || fail "print-test-stream failed"
"$tools/print-stream-file" --pages "$scratch/pages" "$scratch/test.prn" >/dev/null ||
  fail "print-stream-file failed"
[ -s "$scratch/pages/page-0001.png" ] || fail "print-stream-file printed no page"

"$root/usr/bin/novari-printer-sim" --port USB001 --capture "$scratch/capture" >"$scratch/printer.txt" &
printer=$!
for _ in $(seq 50); do
  grep -q "on port USB001" "$scratch/printer.txt" && break
  kill -0 "$printer" 2>/dev/null || fail "the virtual printer did not start"
  sleep 0.1
done
grep -q "on port USB001" "$scratch/printer.txt" || fail "the virtual printer did not listen in 5 s"

# The program takes no options: it is started as the desktop menu starts it and is still
# running after 3 s with its selection window open (timeout ends it with status 124).
status=0
LD_DEBUG=files LD_DEBUG_OUTPUT="$scratch/ld" timeout 3 "$root/usr/bin/novari-adjust" \
  >"$scratch/program.txt" 2>&1 || status=$?
if [ "$status" -ne 124 ]; then
  cat "$scratch/program.txt" >&2
  fail "novari-adjust ended with status $status instead of showing its selection window"
fi
for library in libbytetext.so libportgate.so libchanlink.so; do
  grep -qF "calling init: $tools/$library" "$scratch"/ld.* ||
    fail "novari-adjust did not load $tools/$library"
done
grep -q '"op":"device_id","result":"ok"' "$scratch/capture/events.jsonl" ||
  fail "the selection window did not ask the virtual printer for its model"
echo "package ok"
