#!/usr/bin/env bash
# Builds kelmoro-cli, makes a sample WAV file of its own (a two-second
# 16-bit stereo 44100 Hz chord) and converts it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELMORO_BUILD_TESTS=OFF \
  -DKELMORO_BUILD_APP=OFF >/dev/null
cmake --build "$build" --target kelmoro-cli >/dev/null
mkdir -p out
python3 tools/make_wav.py --seconds 2 --rate 44100 --channels 2 --bits 16 out/Sample.WAV
"$build/cli/kelmoro-cli" out/Sample.WAV
echo "AU file written to: $(pwd)/out/sample.au"
