#!/usr/bin/env bash
# Builds everything from nothing and runs every test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh desktop gui
build=build/tests
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure
