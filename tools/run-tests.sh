#!/usr/bin/env bash
# Builds everything from nothing and runs every test suite: once as built
# for release, once under AddressSanitizer and UndefinedBehaviorSanitizer,
# and a one-minute run of the fuzzer (fuzz/run-fuzzer.sh runs it longer).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh desktop gui fuzz scripts
build=build/tests
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure

# The unit and command-line tests again, with every memory error, leak and
# undefined behaviour made fatal.
asan=build/asan
cmake -S . -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELMORO_BUILD_APP=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake --build "$asan"
# The GoogleTest cases (named Suite.Case) and the command-line tool against
# the reference model; the packaging checks build no code of their own.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$asan" --output-on-failure -R '[.]|^cli_matches_reference_model$'

fuzz/run-fuzzer.sh 60 >build/fuzz-ci.log 2>&1 || { tail -n 60 build/fuzz-ci.log; exit 1; }
grep -E '^(Done|stat::number_of_executed_units)' build/fuzz-ci.log
