#!/usr/bin/env bash
# Screenshots of the main window with sample data (each list, the entry boxes opened from it, the Phone
# list after New Record, a cell tooltip) into /work/shots (or $1):
#   tests/app/shots.sh [out-folder] [build-folder]
set -eu
out=$(mkdir -p "${1:-/work/shots}" && cd "${1:-/work/shots}" && pwd)
build=$(cd "${2:-build}" && pwd)
here=$(cd "$(dirname "$0")/../.." && pwd)
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$out" "$build"
fi
export WINEPREFIX=$build/wine WINEARCH=win32 WINEDEBUG=-all
marks=$(mktemp -d /tmp/qs_shots.XXXXXX)
trap 'rm -rf "$marks"' EXIT
"$here/scripts/wine-run" --prefix "$WINEPREFIX" "$build/bin/app_screens.exe" "Z:${marks//\//\\}" &
pid=$!
for list in jobs favorites phone keywords phoneentry newrecord-box newrecord tooltip; do
  for _ in $(seq 1 600); do [ -e "$marks/ready-$list" ] && break; sleep 0.1; done
  import -window root "$out/main-$list.png"
  touch "$marks/shot-$list"
done
wait $pid
ls -l "$out"/main-*.png
