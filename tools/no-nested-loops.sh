#!/usr/bin/env bash
# Fails when the program runs an event loop inside a handler. A run is a step machine
# that hands control back to the program's one event loop, and a window's wait is a
# continuation; a loop nested inside either lets handlers re-enter it half-way (a cancel
# inside a wait inside a question, a window torn down under its own question).
# Usage: no-nested-loops.sh [folder...]   (the program's folders beside this script by default)
set -u
here="$(cd "$(dirname "$0")/.." && pwd)"
[ $# -gt 0 ] || set -- "$here"/{engine,media,windows,app,stage,agent}
# What must stay, one line each: file, then the text of the line.
allowed=(
  # The program's one event loop.
  'app/main.cpp:    return app.exec();'
  # A modal box when a character cannot be loaded outside a run (at start-up above all):
  # nothing goes on until the child has read why (or that Pellwick is missing and it ends).
  'windows/message_box.cpp:    box.exec();'
  # Only the recorder's own queued audio is delivered, so no other handler runs.
  'agent/voice/wave_recorder.cpp:        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);'
)
found=$(grep -rnE 'processEvents|sendPostedEvents|QEventLoop|exec\(|do_events\(' --include='*.cpp' --include='*.h' "$@" |
  sed -E "s|^$here/||; s|^([^:]+):[0-9]+:|\1:|" | grep -vxF -f <(printf '%s\n' "${allowed[@]}"))
if [ -n "$found" ]; then
  echo "An event loop inside a handler (step or hand over a continuation instead):"
  echo "$found"
  exit 1
fi
echo "No nested event loops in $*."
