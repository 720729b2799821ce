#!/usr/bin/env bash
# Builds everything and runs every test tier: native unit tests (also under ASan/UBSan), the fuzz
# targets briefly, the unit tests as Windows programs under Wine, the Wine integration tests and
# the end-to-end tests of Quillon.exe under Xvfb. Installs missing Debian packages first.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/deps.sh test
jobs=$(nproc)
summary=()
stage() {  # stage NAME COMMAND...: runs one timed stage and records its duration
  local name=$1 start end
  shift
  echo "=== $name"
  start=$(date +%s)
  "$@"
  end=$(date +%s)
  summary+=("$name: $((end - start)) s")
}

build() {  # build PRESET
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j "$jobs"
}
run_ctest() {  # run_ctest PRESET [ctest arguments]
  local preset=$1
  shift
  ctest --test-dir "build/$preset" --output-on-failure "$@"
}

# Xvfb of our own on a free display, and the Wine prefix under build/, both stopped at the end.
xvfb_pid=
cleanup() {
  (source scripts/wine-env.sh && wineserver -k) >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
start_xvfb() {
  local n=91
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "Xvfb did not start" >&2
  return 1
}
wine_prefix() {
  source scripts/wine-env.sh
  rm -f "$WINEPREFIX/.quillon-ready"
  quillon_wine_prefix
  wineserver -p  # one persistent server for the whole run
}

stage "native build" build native
stage "tier 1: native unit tests" run_ctest native -L unit
stage "sanitizers build" build sanitize
stage "tier 1: unit tests under ASan+UBSan" run_ctest sanitize -L unit
if [ -f tests/fuzz/CMakeLists.txt ]; then
  stage "fuzz build" build fuzz
  stage "fuzz targets, 10 s each" run_ctest fuzz -L fuzz
fi
stage "Xvfb and Wine prefix" bash -c true
start_xvfb
wine_prefix
stage "win32 build" build win32
stage "tier 2: unit tests under Wine (32-bit)" run_ctest win32 -L unit
stage "tier 3: Wine integration tests (32-bit)" run_ctest win32 -L wine
stage "tier 4: end-to-end tests of Quillon.exe" run_ctest win32 -L e2e --no-tests=ignore
stage "win64 build" build win64
stage "tier 2: unit tests under Wine (64-bit)" run_ctest win64 -L unit
stage "tier 3: Wine integration tests (64-bit)" run_ctest win64 -L wine

echo "=== Timings"
printf '%s\n' "${summary[@]}"
