#!/usr/bin/env bash
# Starts the program with no display to be had (no DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM or
# XDG_SESSION_TYPE): it must say so in one line and exit with status 1, not die of a signal.
#   check_no_display.sh PROGRAM
set -uo pipefail
program=$1
expected="quorvel: no display found: neither an X11 display (DISPLAY) nor a Wayland display (WAYLAND_DISPLAY) is set and reachable"

out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE "$program" >"$out" 2>"$err"
status=$?

failed=0
if [ "$status" -gt 128 ]; then
  echo "FAIL: killed by signal $((status - 128))"
  failed=1
elif [ "$status" -ne 1 ]; then
  echo "FAIL: exit status $status, want 1"
  failed=1
fi
if [ "$(cat "$err")" != "$expected" ]; then
  echo "FAIL: standard error is not the one line wanted; it is:"
  cat "$err"
  failed=1
fi
if [ -s "$out" ]; then
  echo "FAIL: standard output is not empty"
  failed=1
fi
[ "$failed" -eq 0 ] && echo "PASS: exit status 1 and: $expected"
exit "$failed"
