#!/usr/bin/env bash
# Builds kelmoro-cli.exe and its tests for Windows (tools/build-windows.sh)
# and kelmoro-cli for Linux to compare with, then runs the Windows tests
# under Wine, in a Wine prefix made for this run and removed after it: the
# GoogleTest programs that need no fork, and kelmoro-cli.exe against the
# Linux build (tests/windows/check_windows_cli.py).
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh windows
linux=build/windows-compare
cmake -S . -B "$linux" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELMORO_BUILD_APP=OFF \
  -DKELMORO_BUILD_TESTS=OFF >/dev/null
cmake --build "$linux" --target kelmoro-cli
bash tools/build-windows.sh --tests -DKELMORO_LINUX_CLI="$PWD/$linux/cli/kelmoro-cli"

# Wine takes its ANSI code page from the locale: 932 from a Japanese one.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/kelmoro-wine.XXXXXX")
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
# One server for the whole run, so that each test program starts at once.
wineserver -p >/dev/null 2>&1
wineboot -i >/dev/null 2>&1
ctest --test-dir build/windows --output-on-failure
