#!/usr/bin/env bash
# Screenshots of the table editor on each table, and sorted, searched and editing, as PNG files into
# /work/shots (or $1):   tests/dialogs/editor_shots.sh [out-folder] [build-folder]
exec "$(dirname "$0")/../support/shots.sh" editor_screens "${1:-/work/shots}" "${2:-build}"
