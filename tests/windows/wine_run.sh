#!/usr/bin/env bash
# Runs a Windows program under Wine and exits with the program's exit code:
#
#   wine_run.sh PROGRAM.exe [ARGUMENT...]
#
# The emulator of the Windows build (cmake/mingw-w64-x86_64.cmake). Wine keeps its state in a
# prefix, a directory holding a Windows installation of its own, which takes 10 to 20 s to make.
# CTest makes one fresh prefix for each run of the tests and shares it among them (the fixture in
# tests/windows/CMakeLists.txt):
#
#   wine_run.sh --start DIR [DPI]
#                             makes a fresh prefix in DIR (its windows at DPI dots per inch, 96
#                             unless given) and starts Wine's services in it, after starting Xvfb
#                             on a free display (:140 to :149) if no display is set
#   wine_run.sh --stop DIR    ends the Wine processes of that prefix and that Xvfb, and removes
#                             the prefix (some 700 MB)
#
# and the tests find DIR in QUORVEL_WINE_DIR. Without QUORVEL_WINE_DIR, the program gets a
# temporary prefix (and display) of its own, made before and removed after it runs.
set -euo pipefail

export WINEDEBUG=${WINEDEBUG:--all} # quiet: no fixme or err lines, no hint to install wine32
export WINEDLLOVERRIDES="mscoree,mshtml=" # no dialog offering to download Mono or Gecko
export WINEARCH=win64

fail() {
  echo "wine_run.sh: $*" >&2
  exit 1
}

# The pid in DIR/xvfb.pid if it is still the Xvfb we started, not a process that reused the pid.
our_xvfb() {
  local pid
  pid=$(cat "$1/xvfb.pid" 2>/dev/null) || return 1
  [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ] || return 1
  echo "$pid"
}

start_xvfb() {
  local dir=$1 n pid
  for n in {140..149}; do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    rm -f "$dir/display"
    # Xvfb writes the display's number to fd 3 once it accepts clients. Its output goes to a file,
    # so that it holds no pipe of CTest's open after the fixture's test ends.
    Xvfb ":$n" -screen 0 1280x1024x24 -dpi 96 -nolisten tcp -displayfd 3 \
      3>"$dir/display" </dev/null >"$dir/xvfb.log" 2>&1 &
    pid=$!
    while kill -0 "$pid" 2>/dev/null && [ ! -s "$dir/display" ]; do
      sleep 0.05
    done
    if [ -s "$dir/display" ]; then
      echo "$pid" >"$dir/xvfb.pid"
      echo ":$n" >"$dir/display"
      return 0
    fi
    wait "$pid" || true # another server took the display first: try the next
  done
  cat "$dir/xvfb.log" >&2
  fail "no free display among :140 to :149"
}

stop() {
  local dir=$1 pid
  if [ -d "$dir/prefix" ]; then
    WINEPREFIX=$dir/prefix wineserver -k 2>/dev/null || true
    WINEPREFIX=$dir/prefix wineserver -w 2>/dev/null || true
    rm -rf "$dir/prefix"
  fi
  if pid=$(our_xvfb "$dir"); then
    kill "$pid"
    while [ -e "/proc/$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ]; do
      sleep 0.05
    done
  fi
  rm -f "$dir/xvfb.pid" "$dir/display" "$dir/ready" "$dir/keeper"
}

start() {
  local dir=$1 dpi=${2:-} began booted
  local debugger_key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug'
  mkdir -p "$dir"
  stop "$dir" # whatever a run that was broken off left behind
  if [ -z "${DISPLAY:-}" ]; then
    start_xvfb "$dir"
  fi
  began=$EPOCHREALTIME
  # A program that crashes ends at once with the exception's code, with no debugger: Wine's own
  # (winedbg) keeps a test waiting when it shows its dialog, and sometimes makes the exit code 0.
  if ! with_prefix "$dir" wine wineboot -i >"$dir/wineboot.log" 2>&1 \
    || ! with_prefix "$dir" wine reg add "$debugger_key" /v Debugger /t REG_SZ /d "" /f \
      >>"$dir/wineboot.log" 2>&1; then
    cat "$dir/wineboot.log" >&2
    fail "cannot make a Wine prefix in $dir/prefix"
  fi
  configure "$dir" "$dpi"
  # wineboot returns before the server has written the registry to the prefix.
  WINEPREFIX=$dir/prefix wineserver -w
  booted=$EPOCHREALTIME
  # Wine's server and services start with the first program and inherit its open files; started
  # by a test, they would hold its output open, and CTest would wait for them to end (3 s after
  # the test's program) before it goes on. So they start here, and a program that waits until
  # --stop (on a pipe it holds open itself) keeps them running until the last test has run.
  mkfifo "$dir/keeper"
  with_prefix "$dir" wine cmd.exe /c pause <>"$dir/keeper" >/dev/null 2>&1 &
  with_prefix "$dir" wine cmd.exe /c exit >>"$dir/wineboot.log" 2>&1
  touch "$dir/ready"
  awk -v s="$began" -v b="$booted" -v e="$EPOCHREALTIME" -v p="$dir/prefix" \
    -v d="$(display_of "$dir")" 'BEGIN {
      printf "Wine prefix made in %.1f s, services started in %.1f s: %s (display %s)\n",
        b - s, e - b, p, d }'
}

# Settings of the prefix for windows on Xvfb.
configure() {
  local dir=$1 dpi=$2
  local reg=(with_prefix "$dir" wine reg add)
  # Wine draws the windows' frames itself rather than leave them to a window manager: Xvfb has
  # none, and Wine would wait for one up to 2 s each time a window is hidden.
  "${reg[@]}" 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null
  # Japanese in title bars and message boxes, whose font (Tahoma) has none: IPA P Gothic stands in
  # for the missing glyphs, as Windows links its Japanese fonts to its UI fonts.
  "${reg[@]}" 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
    /v Tahoma /t REG_MULTI_SZ /d 'ipagp.ttf,IPAPGothic' /f >/dev/null
  # The title bar's buttons are drawn with Wine's Marlett (Debian package fonts-wine), which Wine
  # finds in the prefix's font folder.
  if [ -e /usr/share/wine/fonts/marlett.ttf ]; then
    ln -sf /usr/share/wine/fonts/marlett.ttf "$dir/prefix/drive_c/windows/Fonts/"
  fi
  if [ -n "$dpi" ]; then
    "${reg[@]}" 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
  fi
}

display_of() {
  cat "$1/display" 2>/dev/null || echo "${DISPLAY:-}"
}

# Runs a command with the prefix and display of DIR.
with_prefix() {
  local dir=$1
  shift
  WINEPREFIX=$dir/prefix DISPLAY=$(display_of "$dir") "$@"
}

case "${1:-}" in
--start)
  [ $# -eq 2 ] || [ $# -eq 3 ] || fail "usage: wine_run.sh --start DIR [DPI]"
  start "$2" "${3:-}"
  ;;
--stop)
  [ $# -eq 2 ] || fail "usage: wine_run.sh --stop DIR"
  stop "$2"
  ;;
"" | -*)
  fail "usage: wine_run.sh PROGRAM.exe [ARGUMENT...] | --start DIR [DPI] | --stop DIR"
  ;;
*)
  if [ -n "${QUORVEL_WINE_DIR:-}" ]; then
    [ -e "$QUORVEL_WINE_DIR/ready" ] \
      || fail "no Wine prefix in $QUORVEL_WINE_DIR: make it with --start, or unset QUORVEL_WINE_DIR"
    with_prefix "$QUORVEL_WINE_DIR" exec wine "$@"
  fi
  dir=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-wine.XXXXXX")
  trap 'stop "$dir"; rm -rf "$dir"' EXIT
  start "$dir" >/dev/null
  status=0
  with_prefix "$dir" wine "$@" || status=$?
  exit "$status"
  ;;
esac
