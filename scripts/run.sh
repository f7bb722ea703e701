#!/usr/bin/env bash
# Installs what is missing, builds quorvel and starts it. Without a display it starts the program
# on a virtual X server (Xvfb) and says so.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/release/ui/quorvel
fi
echo "No display: starting quorvel under Xvfb (a virtual X server, nothing appears on screen)."
echo "Take a screenshot with: DISPLAY=:97 import -window root shot.png"
exec xvfb-run --server-num=97 --server-args="-screen 0 1024x768x24 -dpi 96 -nolisten tcp -ac" \
  build/release/ui/quorvel
