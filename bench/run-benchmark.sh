#!/usr/bin/env bash
# The comparison benchmark in one command: builds kelmoro-cli for release,
# makes three ten-minute WAV files of our own (16-bit stereo 44100 Hz, 8-bit
# mono 44100 Hz, 16-bit mono 8012 Hz) and times kelmoro-cli against sox,
# ffmpeg and cat on each, printing Markdown tables; then a batch of 200
# three-second clips (16-bit stereo 44100 Hz, the same samples as the first
# file) with -j 1 and -j 0 against sox and ffmpeg in a shell loop.
#
#   bench/run-benchmark.sh [ROUNDS]     (default 7 rounds; medians are shown)
#
# The files go to build/bench-files (about 140 MB), kept for later runs.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds="${1:-7}"
tools/install-deps.sh bench
build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELMORO_BUILD_TESTS=OFF \
  -DKELMORO_BUILD_APP=OFF >/dev/null
cmake --build "$build" --target kelmoro-cli >/dev/null
files=build/bench-files
mkdir -p "$files"
make() {
  local name="$1"; shift
  [[ -s "$files/$name" ]] || python3 tools/make_wav.py --seconds 600 "$@" "$files/$name"
}
make stereo16_44100.wav --rate 44100 --channels 2 --bits 16
make mono8_44100.wav --rate 44100 --channels 1 --bits 8
make mono16_8012.wav --rate 8012 --channels 1 --bits 16
mkdir -p "$files/clips"
if [[ ! -s "$files/clips/clip199.wav" ]]; then
  python3 tools/make_wav.py --seconds 3 --rate 44100 --channels 2 --bits 16 "$files/clips/clip000.wav"
  for i in $(seq -f %03g 1 199); do cp "$files/clips/clip000.wav" "$files/clips/clip$i.wav"; done
fi
python3 bench/compare.py --cli "$build/cli/kelmoro-cli" --rounds "$rounds" --batch "$files/clips" \
  "$files/stereo16_44100.wav" "$files/mono8_44100.wav" "$files/mono16_8012.wav"
