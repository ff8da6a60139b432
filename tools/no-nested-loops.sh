#!/usr/bin/env bash
# Fails when the engine runs an event loop of its own. A run is a step machine that
# hands control back to the program's one event loop; a loop nested inside a run lets
# handlers re-enter it half-way (a cancel inside a wait inside a question).
# A loop over the windows' do_events() counts as well.
# Usage: no-nested-loops.sh [folder...]   (the engine folder beside this script by default)
set -u
[ $# -gt 0 ] || set -- "$(dirname "$0")/../engine"
found=$(grep -rnE 'processEvents|QEventLoop|exec\(|do_events\(' --include='*.cpp' --include='*.h' "$@")
if [ -n "$found" ]; then
  echo "An event loop of its own (a run must step, not wait in a loop):"
  echo "$found"
  exit 1
fi
echo "No nested event loops in $*."
