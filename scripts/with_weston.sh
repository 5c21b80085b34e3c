#!/usr/bin/env bash
# Runs a command inside a private headless Wayland compositor and exits with the
# command's status. The desktop is 1280x1024 logical pixels; TESS_WESTON_SCALE
# (an integer, 1 when unset) makes the output that many times denser, so the
# same windows cover the same share of it. The compositor's debug protocol is
# on, which weston-screenshooter needs.
#   scripts/with_weston.sh COMMAND [ARGS...]
set -euo pipefail

if (($# == 0)); then
  echo "usage: $0 COMMAND [ARGS...]" >&2
  exit 2
fi
if ! command -v weston >/dev/null; then
  echo "with_weston: weston is not installed (scripts/setup.sh installs it)" >&2
  exit 2
fi

scale=${TESS_WESTON_SCALE:-1}
if ! [[ $scale =~ ^[1-9]$ ]]; then
  echo "with_weston: TESS_WESTON_SCALE must be a whole number from 1 to 9, not '$scale'" >&2
  exit 2
fi
start_timeout_s=${TESS_WESTON_START_TIMEOUT:-20}

# Wayland wants its runtime folder private to the user: a fresh one per run, so
# neither a stale socket nor another user's folder gets in the way.
runtime=$(mktemp -d "${TMPDIR:-/tmp}/tess-weston.XXXXXX")
chmod 0700 "$runtime"
socket="tess-weston-$$"
weston_pid=

stop_weston() {
  if [[ -n $weston_pid ]] && kill -0 "$weston_pid" 2>/dev/null; then
    kill -TERM "$weston_pid" 2>/dev/null || true
    for _ in $(seq 50); do
      kill -0 "$weston_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL "$weston_pid" 2>/dev/null || true
    wait "$weston_pid" 2>/dev/null || true
  fi
  rm -rf "$runtime"
}
trap stop_weston EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

XDG_RUNTIME_DIR=$runtime weston --backend=headless-backend.so --use-pixman --no-config \
  --socket="$socket" --debug --idle-time=0 --scale="$scale" \
  --width=1280 --height=1024 \
  --log="$runtime/weston.log" </dev/null >/dev/null 2>&1 &
weston_pid=$!

deadline=$((SECONDS + start_timeout_s))
until [[ -S $runtime/$socket ]]; do
  if ! kill -0 "$weston_pid" 2>/dev/null; then
    echo "with_weston: weston exited before its socket appeared; its log:" >&2
    cat "$runtime/weston.log" >&2 2>/dev/null || true
    exit 1
  fi
  if ((SECONDS >= deadline)); then
    echo "with_weston: weston's socket did not appear within ${start_timeout_s}s; its log:" >&2
    cat "$runtime/weston.log" >&2 2>/dev/null || true
    exit 1
  fi
  sleep 0.05
done

# The program prefers X11 when DISPLAY is set, so it goes.
status=0
env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland \
  TESS_WESTON_SCALE="$scale" "$@" || status=$?
exit "$status"
