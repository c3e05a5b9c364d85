#!/usr/bin/env bash
# Runs the real-event test, and once more when a program could not reach the
# private X server at all (Qt found no usable display): that happens now and
# then on a loaded machine before any of our code runs, and says nothing
# about the programs. When it happens again the test reports itself skipped
# (77) with the reason, rather than failing on the machine's X server; any
# other failure fails at once.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
log=$(mktemp)
trap 'rm -f "$log"' EXIT
lost_display() { grep -q "could not connect to display\|no Qt platform plugin could be initialized" "$log"; }
bash "$here/RealEventsTest.sh" "$@" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
if [ "$status" -ne 0 ] && [ "$status" -ne 77 ] && lost_display; then
  echo "-- a program could not start on the X server; the flows run once more"
  bash "$here/RealEventsTest.sh" "$@" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  if [ "$status" -ne 0 ] && [ "$status" -ne 77 ] && lost_display; then
    echo "skipped: the private X server could not be reached twice"
    status=77
  fi
fi
exit "$status"
