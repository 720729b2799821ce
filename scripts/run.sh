#!/usr/bin/env bash
# Builds Quillon and starts it under Wine, on the user's display or, where there is none, on a
# virtual one. Installs missing Debian packages first. The 32-bit product runs where this machine
# can start 32-bit programs; elsewhere the 64-bit build of the same sources runs instead.
#
# QUILLON_BUILD_ROOT moves the build folders (default: build/ in the source tree).
set -euo pipefail
cd "$(dirname "$0")/.."
build_root=${QUILLON_BUILD_ROOT:-$(pwd)/build}
export QUILLON_WINE_ROOT=$build_root/wine

bash scripts/deps.sh run
source scripts/wine-env.sh
if [ "$QUILLON_WINE_32BIT" = 1 ]; then
  preset=win32
else
  preset=win64
  echo "This machine cannot start 32-bit programs: running the 64-bit build of Quillon instead."
fi
dir=$build_root/$preset

cmake --preset "$preset" -B "$dir" >/dev/null
if ! cmake --build "$dir" --target help | grep -x '\.\.\. Quillon' >/dev/null; then
  echo "run.sh: this tree has no Quillon program yet (no CMake target named Quillon)." >&2
  exit 1
fi
cmake --build "$dir" -j "$(nproc)" --target dist
program=$dir/dist/Quillon/Quillon.exe
[ -f "$program" ] || program=$dir/bin/Quillon.exe

xvfb_pid=
wineserver_started=
stop() {
  [ -n "$wineserver_started" ] && quillon_wineserver -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  return 0
}
trap stop EXIT
if [ -z "${DISPLAY:-}" ]; then
  n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  echo "No display: Quillon runs on the virtual display $DISPLAY (stop it with Ctrl+C)."
fi
quillon_wine_prefix
wineserver_started=1
echo "Starting $program (Wine prefix $WINEPREFIX)"
quillon_wine "$program"
quillon_wineserver -w
