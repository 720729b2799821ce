#!/usr/bin/env bash
# Checks that the includes of src/ follow its layers, then builds everything and runs every test
# tier: native unit tests (also under ASan/UBSan), the fuzz targets briefly, the unit tests as
# Windows programs under Wine, the Wine integration tests and the end-to-end tests of Quillon.exe
# under Xvfb. Installs missing Debian packages first.
#
# QUILLON_BUILD_ROOT moves the build folders (default: build/ in the source tree).
# QUILLON_FUZZ_SECONDS sets how long each fuzz target runs (default 10).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build_root=${QUILLON_BUILD_ROOT:-$root/build}
export QUILLON_WINE_ROOT=$build_root/wine
export QUILLON_FUZZ_SECONDS=${QUILLON_FUZZ_SECONDS:-10}

bash scripts/deps.sh test || exit 1
jobs=$(nproc)
failed=0
report=()

# Runs one stage, timed; a failing stage is reported and the run goes on with the others.
stage() {  # stage TITLE COMMAND...
  local title=$1 start status
  shift
  echo
  echo "=== $title"
  start=$(date +%s)
  "$@"
  status=$?
  local line
  line=$(printf '%-52s %5d s' "$title" $(($(date +%s) - start)))
  if [ $status -ne 0 ]; then
    failed=1
    line="$line   FAILED"
  fi
  report+=("$line${stage_counts:+   $stage_counts}")
  stage_counts=
  return $status
}
stage_counts=

build() {  # build PRESET [TARGET [cmake options]]: configure and build into $build_root/PRESET
  local preset=$1 target=${2:-all}
  shift $(($# < 2 ? $# : 2))
  cmake --preset "$preset" -B "$build_root/$preset" "$@" >/dev/null &&
    cmake --build "$build_root/$preset" -j "$jobs" --target "$target"
}

# Runs the tests of one label and notes how many programs and test cases ran. A tier without
# tests fails, except where the caller allows it with --no-tests=ignore.
tier() {  # tier PRESET LABEL [ctest arguments]
  local dir=$build_root/$1 label=$2 log status programs cases
  shift 2
  log=$(mktemp)
  local policy=--no-tests=error
  case " $* " in *" --no-tests="*) policy= ;; esac
  ctest --test-dir "$dir" -L "^$label\$" --output-on-failure $policy "$@" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  programs=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -1)
  cases=$(grep -ho '^\[==========\] [0-9]* tests\? from' "$dir/Testing/Temporary/LastTest.log" \
    2>/dev/null | awk '{ n += $2 } END { print n + 0 }')
  stage_counts="${programs:-0} programs, $cases test cases"
  rm -f "$log"
  return "$status"
}

# Xvfb of our own on a free display, and a wineserver for our own prefix, both stopped by process
# id at the end; the user's display and prefix are never touched.
xvfb_pid=
wineserver_pid=
cleanup() {
  if [ -n "$wineserver_pid" ]; then
    "$QUILLON_WINESERVER" -k 2>/dev/null
    kill "$wineserver_pid" 2>/dev/null
    wait "$wineserver_pid" 2>/dev/null
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  return 0
}
trap cleanup EXIT

start_xvfb() {
  local n=91
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 100); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "Xvfb did not start on $DISPLAY" >&2
  return 1
}

# A fresh prefix for this run, then one persistent server so that each test program starts fast.
# Wine's own services (services.exe, winedevice.exe ...) then live as long as the server; they are
# started here, away from CTest, because a service started by a test would inherit its output
# pipe and keep CTest waiting for the test to end.
start_wine() {
  source scripts/wine-env.sh
  rm -f "$WINEPREFIX/.quillon-ready"
  quillon_wine_prefix || return 1
  "$QUILLON_WINESERVER" -f -p >/dev/null 2>&1 &
  wineserver_pid=$!
  quillon_wine cmd.exe /c exit </dev/null >/dev/null 2>&1
}

windows_tiers() {  # windows_tiers PRESET BITS
  local preset=$1 bits=$2
  stage "tier 2: unit tests under Wine ($bits-bit)" tier "$preset" unit
  stage "tier 3: Wine integration tests ($bits-bit)" tier "$preset" wine
  stage "tier 4: end-to-end tests under Xvfb ($bits-bit)" tier "$preset" e2e --no-tests=ignore
}

stage "layer check (src/layers.txt)" bash scripts/check-layers.sh
stage "native build" build native &&
  stage "tier 1: native unit tests" tier native unit -j "$jobs"
stage "sanitizer build (ASan+UBSan)" build sanitize &&
  stage "tier 1: unit tests under ASan+UBSan" tier sanitize unit -j "$jobs"
if [ -f tests/fuzz/CMakeLists.txt ]; then
  stage "fuzz build (clang, libFuzzer)" build fuzz fuzz_all -DQUILLON_FUZZ_SECONDS="$QUILLON_FUZZ_SECONDS" &&
    stage "fuzz targets, $QUILLON_FUZZ_SECONDS s each" tier fuzz fuzz
fi

stage "Xvfb and a fresh Wine prefix" eval 'start_xvfb && start_wine'
if [ "${QUILLON_WINE_32BIT:-0}" = 1 ]; then
  wine_note="Wine tiers ran for both the 32-bit product and the 64-bit build."
else
  wine_note="This machine cannot start 32-bit programs: the 32-bit product is only built, not run;
the Wine tiers ran the 64-bit build."
fi
echo "$wine_note"

if stage "win32 build (the product)" build win32 && [ "${QUILLON_WINE_32BIT:-0}" = 1 ]; then
  windows_tiers win32 32
fi
stage "win64 build" build win64 && windows_tiers win64 64

echo
echo "=== Summary"
printf '%s\n' "${report[@]}"
echo "$wine_note"
if [ $failed -ne 0 ]; then
  echo "Some stages FAILED."
  exit 1
fi
echo "All stages passed."
