#!/usr/bin/env bash
# Screenshots of the keywords box and the phone entry box over a stand-in owner, into /work/shots (or $1):
#   tests/entry/shots.sh [out-folder] [build-folder]
set -eu
out=$(mkdir -p "${1:-/work/shots}" && cd "${1:-/work/shots}" && pwd)
build=$(cd "${2:-build}" && pwd)
here=$(cd "$(dirname "$0")/../.." && pwd)
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$out" "$build"
fi
export WINEPREFIX=$build/wine WINEARCH=win32 WINEDEBUG=-all
marks=$(mktemp -d /tmp/qs_entry_shots.XXXXXX)
trap 'rm -rf "$marks"' EXIT
"$here/scripts/wine-run" --prefix "$WINEPREFIX" "$build/bin/entry_screens.exe" "Z:${marks//\//\\}" &
pid=$!
for box in keywords phone; do
  for _ in $(seq 1 600); do [ -e "$marks/ready-$box" ] && break; sleep 0.1; done
  import -window root "$out/entry-$box.png"
  touch "$marks/shot-$box"
done
wait $pid
ls -l "$out"/entry-*.png
