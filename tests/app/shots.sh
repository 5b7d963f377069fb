#!/usr/bin/env bash
# Screenshots of the main window with sample data, one per list, into /work/shots (or $1):
#   tests/app/shots.sh [out-folder] [build-folder]
set -eu
out=${1:-/work/shots}
build=$(cd "${2:-build}" && pwd)
here=$(cd "$(dirname "$0")/../.." && pwd)
mkdir -p "$out"
marks=$(mktemp -d /tmp/qs_shots.XXXXXX)
export WINEPREFIX=$build/wine WINEARCH=win32 WINEDEBUG=-all
run() {
  "$here/scripts/wine-run" --prefix "$WINEPREFIX" "$build/bin/app_screens.exe" "Z:${marks//\//\\}" &
  local pid=$!
  for list in jobs favorites phone; do
    for _ in $(seq 1 600); do [ -e "$marks/ready-$list" ] && break; sleep 0.1; done
    import -window root "$out/main-$list.png"
    touch "$marks/shot-$list"
  done
  wait $pid
}
if [ -z "${DISPLAY:-}" ]; then
  export -f run; export out marks here build
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c run
else
  run
fi
rm -rf "$marks"
ls -l "$out"/main-*.png
