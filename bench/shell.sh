#!/usr/bin/env bash
# Whole-program measurements of Quillon.exe under Wine: the size of the executable, the time from
# process start to the main window shown, the idle cost over 60 s against a minimal program with
# the same two timers (run in the same command), and memory, handles and window-system objects
# across 10,000 accelerator changes.
# Usage: bench/shell.sh BUILD_DIR   (a 64-bit Windows build with the targets Quillon,
#                                    QuillonDriver, IdleBaseline and AccelChurn built)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: bench/shell.sh BUILD_DIR}
bin=$build/bin
source scripts/wine-env.sh
quillon_wine_prefix

xvfb_pid=
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  n=61
  while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  sleep 1
fi

size=$(stat -c %s "$bin/Quillon.exe")
echo "Quillon.exe: $size bytes ($(awk "BEGIN { printf \"%.2f\", $size / 1048576 }") MiB)"
# Processor time (user + system clock ticks) of a process, from the Linux side: Wine does not
# report other processes' times.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

"$WINELOADER" "$bin/QuillonDriver.exe" startup 5

"$WINELOADER" "$bin/Quillon.exe" &
quillon=$!
"$WINELOADER" "$bin/IdleBaseline.exe" &
baseline=$!
sleep 10  # past the start-up work of both
q0=$(cpu_ticks $quillon)
b0=$(cpu_ticks $baseline)
sleep 60
q1=$(cpu_ticks $quillon)
b1=$(cpu_ticks $baseline)
kill $quillon $baseline
wait $quillon $baseline 2>/dev/null || true
hz=$(getconf CLK_TCK)
awk -v q=$((q1 - q0)) -v b=$((b1 - b0)) -v hz="$hz" 'BEGIN {
  ratio = b > 0 ? sprintf("%.2f", q / b) : "n/a (the baseline used no measurable time)"
  printf "idle 60 s: Quillon %.2f s, baseline %.2f s, ratio %s\n", q / hz, b / hz, ratio }'

"$WINELOADER" "$bin/AccelChurn.exe"
