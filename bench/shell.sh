#!/usr/bin/env bash
# Whole-program measurements of Quillon.exe under Wine: the size of the executables, the time from
# process start to the main window shown, the idle cost over 60 s against two yardsticks run at
# the same time (IdleBaseline: a window with the same two timers doing nothing; WorkBaseline: the
# work Quillon must do, done plainly), private memory against IdleBaseline, and memory, handles and
# window-system objects across 10,000 accelerator changes.
# Usage: bench/shell.sh [BUILD_DIR...]   (Windows builds with the targets Quillon, QuillonScan,
#   QuillonDriver, IdleBaseline, WorkBaseline and AccelChurn built; by default build/win32, where
#   this machine starts 32-bit programs, and build/win64). Each build is measured in turn.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
if [ $# -eq 0 ]; then
  set -- build/win64
  [ "$QUILLON_WINE_32BIT" = 1 ] && set -- build/win32 build/win64
fi
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

# The loader of the program's own bitness, so that the process started is the program's own:
# through the 32-bit loader a 64-bit program runs in another process than the one started.
loader_for() {  # loader_for EXE
  if objdump -f "$1" | grep -q 'pei-x86-64'; then
    echo /usr/lib/wine/wine64
  else
    echo /usr/lib/wine/wine
  fi
}

# Sizes: the whole file, and the file less its resource section (the skins and icons).
sizes() {  # sizes BIN
  local program exe size rsrc
  for program in Quillon QuillonScan; do
    exe=$1/$program.exe
    size=$(stat -c %s "$exe")
    rsrc=$(objdump -h "$exe" | awk '$2 == ".rsrc" { print $3 }')
    rsrc=$((16#${rsrc:-0}))
    echo "$program.exe: $size bytes ($((size / 1024)) KiB), without resources $(((size - rsrc) / 1024)) KiB"
  done
}

# Processor time of a process in nanoseconds, summed over its threads, from the Linux side: Wine
# does not report other processes' times, and clock ticks are too coarse for an idle program.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ n += $1 } END { print n + 0 }'; }

# Private memory of a process in KiB, from the Linux side (Wine reports no other process's): the
# pages it wrote (heap, stacks, bitmaps, copied image pages), the counterpart of Windows' private
# bytes. Clean pages of mapped images are shared on Windows, but Linux counts them private while
# no other process maps them: in a WoW64 prefix Wine's own services are 64-bit, so every 32-bit
# system library would count whole against a 32-bit program. They are shown apart.
private_kib() { awk '/^Private_Dirty:/ { n += $2 } END { print n + 0 }' /proc/"$1"/smaps_rollup 2>/dev/null; }
clean_image_kib() { awk '/^Private_Clean:/ { n += $2 } END { print n + 0 }' /proc/"$1"/smaps_rollup 2>/dev/null; }

# Quillon and both baselines side by side for 60 s, once with the main window shown and once with
# it hidden in the tray from the start ("ShowMinimized"; WorkBaseline then shows no window either).
settings='HKCU\SOFTWARE\Kestrelworks\Quillon'
idle_run() {  # idle_run BIN LOADER LABEL SHOW_MINIMIZED
  local bin=$1 loader=$2 label=$3 variant=
  [ "$4" = 1 ] && variant=hidden
  "$WINELOADER" reg.exe add "$settings" /v ShowMinimized /t REG_DWORD /d "$4" /f >/dev/null
  "$loader" "$bin/Quillon.exe" &
  local quillon=$!
  "$loader" "$bin/IdleBaseline.exe" &
  local idle=$!
  "$loader" "$bin/WorkBaseline.exe" $variant &
  local work=$!
  sleep 10  # past the start-up work of all three
  local q0 i0 w0 q1 i1 w1 qm im qc ic
  q0=$(cpu_ns $quillon)
  i0=$(cpu_ns $idle)
  w0=$(cpu_ns $work)
  sleep 60
  q1=$(cpu_ns $quillon)
  i1=$(cpu_ns $idle)
  w1=$(cpu_ns $work)
  qm=$(private_kib $quillon)
  im=$(private_kib $idle)
  qc=$(clean_image_kib $quillon)
  ic=$(clean_image_kib $idle)
  kill $quillon $idle $work
  wait $quillon $idle $work 2>/dev/null || true
  awk -v q=$((q1 - q0)) -v i=$((i1 - i0)) -v w=$((w1 - w0)) -v qm="$qm" -v im="$im" \
    -v qc="$qc" -v ic="$ic" \
    -v label="$label" 'BEGIN {
    printf "idle 60 s, %s: Quillon %.1f ms, IdleBaseline %.1f ms, WorkBaseline %.1f ms\n",
      label, q / 1e6, i / 1e6, w / 1e6
    toIdle = i > 0 ? sprintf("%.2f", q / i) : "n/a"
    toWork = w > 0 ? sprintf("%.2f", q / w) : "n/a"
    printf "  ratio to IdleBaseline %s, to WorkBaseline %s (target at most 1.30)\n", toIdle, toWork
    printf "  private memory: Quillon %.1f MiB, IdleBaseline %.1f MiB, %.1f MiB more (target at most 4)\n",
      qm / 1024, im / 1024, (qm - im) / 1024
    printf "  clean image pages mapped by it alone: Quillon %.1f MiB, IdleBaseline %.1f MiB\n",
      qc / 1024, ic / 1024 }'
}

measure_build() {  # measure_build BUILD_DIR
  local bin=$1/bin loader
  loader=$(loader_for "$bin/Quillon.exe")
  echo "=== $1 ($(objdump -f "$bin/Quillon.exe" | sed -n 's/.*file format //p'))"
  sizes "$bin"
  "$loader" "$bin/QuillonDriver.exe" startup 5
  idle_run "$bin" "$loader" "main window shown" 0
  idle_run "$bin" "$loader" "hidden in the tray" 1
  "$WINELOADER" reg.exe delete "$settings" /v ShowMinimized /f >/dev/null
  "$loader" "$bin/AccelChurn.exe"
}

for build in "$@"; do
  measure_build "$build"
done
