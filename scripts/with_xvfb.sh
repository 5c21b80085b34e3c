#!/usr/bin/env bash
# Runs a command on a private Xvfb display (1280 x 1024, 24-bit). About one
# start in ten of any Qt program on Xvfb fails to reach the display ("Could
# not load the Qt platform plugin xcb"); a run that ends that way is started
# again, three times at most. Any other outcome is the command's own.
#   scripts/with_xvfb.sh COMMAND [ARG]...
set -uo pipefail
log=$(mktemp)
trap 'rm -f "$log"' EXIT
for try in 1 2 3; do
  xvfb-run -a -s "-screen 0 1280x1024x24" "$@" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  if ((status == 0)) || ! grep -q 'Could not load the Qt platform plugin\|could not connect to display' "$log"; then
    exit "$status"
  fi
  echo "with_xvfb.sh: the display could not be reached; starting again ($try of 3)" >&2
done
exit "$status"
