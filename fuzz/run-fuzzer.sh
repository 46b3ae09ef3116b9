#!/usr/bin/env bash
# Builds the libFuzzer target with clang (fuzzer, address and undefined
# behaviour sanitizers) and runs it on one core for a chosen time.
#
#   fuzz/run-fuzzer.sh [SECONDS] [libFuzzer options...]
#
# SECONDS defaults to 60. The corpus grows in build/fuzz/corpus and is kept
# between runs; the seeds are regenerated each time. A crash or a broken
# check leaves its input in build/fuzz/artifacts/ and makes the script fail;
# reproduce it with: build/fuzz/fuzz/kelmoro_convert_fuzzer FILE
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
tools/install-deps.sh fuzz
build=build/fuzz
sanitizers=-fsanitize=fuzzer-no-link,address,undefined
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="$sanitizers -fno-sanitize-recover=all -fno-omit-frame-pointer" \
  -DKELMORO_BUILD_TESTS=OFF -DKELMORO_BUILD_APP=OFF -DKELMORO_BUILD_FUZZ=ON >/dev/null
cmake --build "$build" --target kelmoro_convert_fuzzer -- -j2
mkdir -p "$build/corpus" "$build/seeds" "$build/artifacts"
python3 fuzz/make_seed_corpus.py "$build/seeds"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
# One process on one core; 64 KiB inputs are enough to reach every code path
# while keeping each run short; 2 GB of memory at most, 10 s per input.
exec "$build/fuzz/kelmoro_convert_fuzzer" \
  -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
  -dict=fuzz/wav.dict -artifact_prefix="$build/artifacts/" -print_final_stats=1 \
  "$@" "$build/corpus" "$build/seeds"
