#!/usr/bin/env bash
# Screenshots of the table editor on each table, and sorted, searched and editing, as PNG files into
# /work/shots (or $1):   tests/dialogs/editor_shots.sh [out-folder] [build-folder]
set -eu
out=$(mkdir -p "${1:-/work/shots}" && cd "${1:-/work/shots}" && pwd)
build=$(cd "${2:-build}" && pwd)
here=$(cd "$(dirname "$0")/../.." && pwd)
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$out" "$build"
fi
export WINEPREFIX=$build/wine WINEARCH=win32 WINEDEBUG=-all
"$here/scripts/wine-run" --prefix "$WINEPREFIX" "$build/bin/editor_screens.exe" "Z:${out//\//\\}"
for bmp in "$out"/editor-*.bmp; do
  convert "$bmp" -alpha off "${bmp%.bmp}.png" && rm "$bmp"
done
ls -l "$out"/editor-*.png
