#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Quillon need, when missing.
# Usage: scripts/deps.sh run|test
# wine32:i386 lets Wine run the 32-bit product; a kernel without 32-bit support still builds it.
# fonts-liberation gives Wine a font with Arial's measurements, which the windows are laid out for;
# without it Wine falls back to a wider one and cuts texts short.
set -euo pipefail

mode=${1:-test}
run_packages=(cmake make g++ g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine wine64 wine32:i386 fonts-liberation xvfb x11-utils fp-utils zip)
test_packages=("${run_packages[@]}" googletest libbenchmark-dev clang libclang-rt-14-dev
  imagemagick xdotool nsis)
if [ "$mode" = run ]; then packages=("${run_packages[@]}"); else packages=("${test_packages[@]}"); fi

# sudo only when not root; with no terminal (CI) it must not ask for a password.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null; then
    if [ -t 0 ]; then sudo "$@"; else sudo -n "$@"; fi
  else
    echo "deps.sh: run as root or install sudo to install: ${missing[*]}" >&2
    return 1
  fi
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
fi
as_root apt-get update -qq
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
