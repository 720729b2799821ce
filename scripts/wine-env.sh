# Sourced by the scripts that run Windows programs: a throwaway Wine prefix under the build folder.
# The caller may set QUILLON_WINE_ROOT to use another folder; the user's own prefix is never used.
root_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export QUILLON_WINE_ROOT=${QUILLON_WINE_ROOT:-$root_dir/build/wine}
export WINEPREFIX=$QUILLON_WINE_ROOT/prefix
export HOME=$QUILLON_WINE_ROOT/home
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

# Debian's "wine" wrapper prefers the 32-bit loader, which a kernel without 32-bit support cannot
# start; such a machine runs 64-bit Windows programs only, through the 64-bit loader.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  export QUILLON_WINE_32BIT=1
  export WINELOADER=/usr/lib/wine/wine
else
  export QUILLON_WINE_32BIT=0
  export WINELOADER=/usr/lib/wine/wine64
fi
# The server built with the loader; either serves a WoW64 prefix.
if [ -x /usr/lib/wine/wineserver64 ]; then
  export QUILLON_WINESERVER=/usr/lib/wine/wineserver64
elif [ -x /usr/lib/wine/wineserver32 ]; then
  export QUILLON_WINESERVER=/usr/lib/wine/wineserver32
else
  export QUILLON_WINESERVER=wineserver
fi
quillon_wine() { "$WINELOADER" "$@"; }
quillon_wineserver() { "$QUILLON_WINESERVER" "$@"; }

# Creates the prefix once; later calls find it ready. A lock keeps parallel test programs from
# creating it twice.
quillon_wine_prefix() {
  mkdir -p "$HOME" "$QUILLON_WINE_ROOT"
  [ -f "$WINEPREFIX/.quillon-ready" ] && return 0
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.quillon-ready" ]; then
      rm -rf "$WINEPREFIX"
      quillon_wine wineboot.exe -i >/dev/null 2>&1
      quillon_wineserver -w
      [ -f "$WINEPREFIX/system.reg" ] || { echo "wineboot did not create $WINEPREFIX" >&2; exit 1; }
      touch "$WINEPREFIX/.quillon-ready"
    fi
  ) 9>"$QUILLON_WINE_ROOT/.prefix-lock"
}
