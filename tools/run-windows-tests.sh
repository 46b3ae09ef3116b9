#!/usr/bin/env bash
# Builds Kelmoro and its tests for Windows (tools/build-windows.sh) and
# kelmoro-cli and kelmoro for Linux to compare with, then runs the Windows
# tests under Wine, in a Wine prefix made for this run and removed after it:
# the GoogleTest programs that need no fork, kelmoro-cli.exe against the
# Linux build (tests/windows/check_windows_cli.py), and kelmoro.exe and the
# installer in an X session of their own (tests/windows/test_windows_desktop.py).
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh gui windows
linux=build/windows-compare
cmake -S . -B "$linux" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELMORO_BUILD_TESTS=OFF >/dev/null
cmake --build "$linux" --target kelmoro-cli kelmoro
bash tools/build-windows.sh --tests -DKELMORO_LINUX_CLI="$PWD/$linux/cli/kelmoro-cli" \
  -DKELMORO_LINUX_DESKTOP="$PWD/$linux/app/kelmoro"

# Wine takes its ANSI code page from the locale: 932 from a Japanese one.
# Every Wine program of the run is started in it, as on a Japanese Windows:
# Wine rewrites its font links whenever the code page changes, and would
# drop the ones made below.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/kelmoro-wine.XXXXXX")
# No Mono, no Gecko; and no menu entries of the host's made for the
# installer's shortcuts.
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
# One server for the whole run, so that each test program starts at once.
wineserver -p >/dev/null 2>&1
wineboot -i >/dev/null 2>&1
# Wine's own fonts have no Japanese: the dialog fonts borrow it from
# Debian's IPA P Gothic, as Windows links its fonts to a Japanese one.
for face in Tahoma "MS Shell Dlg" "MS Shell Dlg 2"; do
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
    /v "$face" /t REG_MULTI_SZ /d "ipagp.ttf,IPAPGothic" /f >/dev/null
done
ctest --test-dir build/windows --output-on-failure
