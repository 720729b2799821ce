#!/usr/bin/env bash
# The per-user installer under Wine: a silent install puts the files, the Start menu entry and the
# uninstall entry in place; the silent uninstall removes them with the program's registry entries
# and leaves the user's undo folder and other programs' startup entries alone.
# Usage: installer-test.sh INSTALLER
set -euo pipefail
installer=$1
source "$(dirname "$0")/../../../scripts/wine-env.sh"
quillon_wine_prefix

fail() { echo "FAIL: $*" >&2; exit 1; }
reg_has() { quillon_wine reg query "$1" /v "$2" >/dev/null 2>&1; }
key_has() { quillon_wine reg query "$1" >/dev/null 2>&1; }

run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
layers_key='HKCU\Software\Microsoft\Windows NT\CurrentVersion\AppCompatFlags\Layers'
settings_key='HKCU\Software\Kestrelworks\Quillon'
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon'
win_dir='C:\QuillonInstallTest'
unix_dir=$WINEPREFIX/drive_c/QuillonInstallTest
appdata=$(quillon_wine cmd /c echo %APPDATA% | tr -d '\r')
undo_unix=$(quillon_wine winepath -u "$appdata\\Quillon" | tr -d '\r')
shortcut() { find "$WINEPREFIX/drive_c/users" -path '*Start Menu/Programs/Quillon.lnk' 2>/dev/null; }

rm -rf "$unix_dir"
quillon_wine "$installer" /S "/D=$win_dir"
for f in Quillon.exe Quillon.chm Uninstall.exe; do
  [ -f "$unix_dir/$f" ] || fail "$f not installed"
done
[ -n "$(shortcut)" ] || fail "no Start menu entry"
reg_has "$uninstall_key" DisplayName || fail "no uninstall entry"

# What a user's run leaves: the startup entry, the elevation entry, an undo file (and the
# settings, written by the start below).
quillon_wine reg add "$run_key" /v Quillon /d "$win_dir\\Quillon.exe" /f >/dev/null
quillon_wine reg add "$run_key" /v OtherProgram /d 'C:\other.exe' /f >/dev/null
quillon_wine reg add "$layers_key" /v "$win_dir\\Quillon.exe" /d 'RUNASADMIN ELEVATECREATEPROCESS' /f >/dev/null
mkdir -p "$undo_unix"
echo "undo" >"$undo_unix/Quillon_Undo_1.reg"

# A running Quillon holds its executable open; the uninstaller asks it to close first. Its
# settings key appears once it has started.
quillon_wine reg delete "$settings_key" /f >/dev/null 2>&1 || true
quillon_wine "$unix_dir/Quillon.exe" &
quillon_pid=$!
trap 'kill $quillon_pid 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  key_has "$settings_key" && break
  sleep 0.2
done
key_has "$settings_key" || fail "the installed Quillon.exe did not start"

# The uninstaller copies itself away and runs from there: wait for the folder to go.
quillon_wine "$unix_dir/Uninstall.exe" /S
for _ in $(seq 100); do
  [ -d "$unix_dir" ] || break
  sleep 0.2
done
[ ! -d "$unix_dir" ] || fail "install folder left: $(ls "$unix_dir")"
wait "$quillon_pid" || true
[ -z "$(shortcut)" ] || fail "Start menu entry left"
key_has "$uninstall_key" && fail "uninstall entry left"
reg_has "$run_key" Quillon && fail "startup entry left"
reg_has "$run_key" OtherProgram || fail "another program's startup entry removed"
reg_has "$layers_key" "$win_dir\\Quillon.exe" && fail "elevation entry left"
key_has "$settings_key" && fail "settings left"
[ -f "$undo_unix/Quillon_Undo_1.reg" ] || fail "the undo folder was touched"

quillon_wine reg delete "$run_key" /v OtherProgram /f >/dev/null
rm -rf "$undo_unix"
echo "installer test passed"
