#!/usr/bin/env bash
# Screenshots of the main window with sample data (each list, the entry boxes opened from it, the Phone
# list after New Record, a cell tooltip) into /work/shots (or $1):
#   tests/app/shots.sh [out-folder] [build-folder]
exec "$(dirname "$0")/../support/shots.sh" app_screens "${1:-/work/shots}" "${2:-build}" main \
  jobs favorites phone keywords phoneentry newrecord-box newrecord tooltip
