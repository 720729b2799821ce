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
# Processor time of a process in nanoseconds, summed over its threads, from the Linux side: Wine
# does not report other processes' times, and clock ticks are too coarse for an idle program.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ n += $1 } END { print n + 0 }'; }

"$WINELOADER" "$bin/QuillonDriver.exe" startup 5

# Quillon and the baseline side by side for 60 s, once with the main window shown and once with
# it hidden in the tray from the start ("ShowMinimized").
settings='HKCU\SOFTWARE\Kestrelworks\Quillon'
idle_run() {  # idle_run LABEL SHOW_MINIMIZED
  "$WINELOADER" reg.exe add "$settings" /v ShowMinimized /t REG_DWORD /d "$2" /f >/dev/null
  "$WINELOADER" "$bin/Quillon.exe" &
  local quillon=$!
  "$WINELOADER" "$bin/IdleBaseline.exe" &
  local baseline=$!
  sleep 10  # past the start-up work of both
  local q0 b0 q1 b1
  q0=$(cpu_ns $quillon)
  b0=$(cpu_ns $baseline)
  sleep 60
  q1=$(cpu_ns $quillon)
  b1=$(cpu_ns $baseline)
  kill $quillon $baseline
  wait $quillon $baseline 2>/dev/null || true
  awk -v q=$((q1 - q0)) -v b=$((b1 - b0)) -v label="$1" 'BEGIN {
    ratio = b > 0 ? sprintf("%.2f", q / b) : "n/a (the baseline used no measurable time)"
    printf "idle 60 s, %s: Quillon %.1f ms, baseline %.1f ms, ratio %s\n", label, q / 1e6, b / 1e6,
      ratio }'
}
idle_run "main window shown" 0
idle_run "hidden in the tray" 1
"$WINELOADER" reg.exe delete "$settings" /v ShowMinimized /f >/dev/null

"$WINELOADER" "$bin/AccelChurn.exe"
