#!/usr/bin/env bash
# Screenshots of the import window mid-import, the About window and the help window at the top and
# the bottom of its page, as PNG files into /work/shots (or $1):
#   tests/dialogs/shots.sh [out-folder] [build-folder]
exec "$(dirname "$0")/../support/shots.sh" dialogs_screens "${1:-/work/shots}" "${2:-build}"
