#!/usr/bin/env bash
# Builds the 32-bit product and starts Quillon.exe under Wine, on the user's display or, where
# there is none, on a virtual one. Installs missing Debian packages first.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh run
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$(nproc)" --target dist
if [ -z "${DISPLAY:-}" ]; then
  n=90
  while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
  export DISPLAY=":$n"
  sleep 1
  echo "No display: Quillon runs on the virtual display $DISPLAY"
fi
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
wine build/win32/dist/Quillon/Quillon.exe
