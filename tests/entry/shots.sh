#!/usr/bin/env bash
# Screenshots of the keywords box and the phone entry box over a stand-in owner, into /work/shots (or $1):
#   tests/entry/shots.sh [out-folder] [build-folder]
exec "$(dirname "$0")/../support/shots.sh" entry_screens "${1:-/work/shots}" "${2:-build}" entry keywords phone
