#!/usr/bin/env bash
# Screenshots from one of the screen programs (tests/*/screens.cpp), as PNG files into <out-folder>:
#   tests/support/shots.sh <program> <out-folder> <build-folder> [<name-prefix> <scene> ...]
# With scenes, the program is given a folder of marks: for each scene it writes ready-<scene> once the scene is
# on screen, the screen is taken as <name-prefix>-<scene>.png and shot-<scene> lets the program go on. Without,
# the program is given the out folder and writes its own .bmp pictures there, which become PNG files.
set -eu
program=$1
out=$(mkdir -p "$2" && cd "$2" && pwd)
build=$(cd "$3" && pwd)
shift 3
here=$(cd "$(dirname "$0")/../.." && pwd)
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$program" "$out" "$build" "$@"
fi
export WINEPREFIX=$build/wine WINEARCH=win32 WINEDEBUG=-all
run() { "$here/scripts/wine-run" --prefix "$WINEPREFIX" "$build/bin/$program.exe" "Z:${1//\//\\}"; }

if [ $# -eq 0 ]; then
  run "$out"
  for bmp in "$out"/*.bmp; do
    convert "$bmp" -alpha off "${bmp%.bmp}.png" && rm "$bmp"
    ls -l "${bmp%.bmp}.png"
  done
  exit 0
fi

name=$1
shift
marks=$(mktemp -d /tmp/qs_shots.XXXXXX)
trap 'rm -rf "$marks"' EXIT
run "$marks" &
pid=$!
for scene in "$@"; do
  for _ in $(seq 1 600); do [ -e "$marks/ready-$scene" ] && break; sleep 0.1; done
  import -window root "$out/$name-$scene.png"
  touch "$marks/shot-$scene"
done
wait $pid
ls -l "$out/$name"-*.png
