# Sourced by the scripts that run Windows programs: a throwaway Wine prefix under the build folder.
# The caller may set QUILLON_WINE_ROOT to use another folder; the user's own prefix is never used.
root_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export QUILLON_WINE_ROOT=${QUILLON_WINE_ROOT:-$root_dir/build/wine}
export WINEPREFIX=$QUILLON_WINE_ROOT/prefix
export HOME=$QUILLON_WINE_ROOT/home
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

# Creates the prefix once; later calls find it ready.
quillon_wine_prefix() {
  mkdir -p "$HOME"
  if [ ! -f "$WINEPREFIX/.quillon-ready" ]; then
    rm -rf "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.quillon-ready"
  fi
}
