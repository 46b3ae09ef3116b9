#!/usr/bin/env bash
# The comparison benchmark in one command: builds kelmoro-cli for release,
# makes WAV files of our own (ten minutes each of 16-bit stereo 44100 Hz,
# 8-bit mono 44100 Hz and 16-bit mono 8012 Hz, and one hour of 16-bit
# stereo 44100 Hz) and times kelmoro-cli, exact and --filter, against sox,
# ffmpeg and cat on each, with the peak memory of every command, printing
# Markdown tables; then a batch of 200 three-second clips (16-bit stereo
# 44100 Hz, the same samples as the first file) with -j 1 and -j 0 against
# sox and ffmpeg in a shell loop.
#
#   bench/run-benchmark.sh [ROUNDS] [BASELINE_CLI]
#
# ROUNDS defaults to 7 (medians are shown). BASELINE_CLI, another
# kelmoro-cli build (an earlier version), is measured in the same run.
# The files go to build/bench-files (about 780 MB), kept for later runs.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds="${1:-7}"
baseline=()
[[ -n "${2:-}" ]] && baseline=(--baseline "$2")
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
hour=stereo16_44100_hour.wav
make stereo16_44100.wav --rate 44100 --channels 2 --bits 16
make mono8_44100.wav --rate 44100 --channels 1 --bits 8
make mono16_8012.wav --rate 8012 --channels 1 --bits 16
mkdir -p "$files/clips"
# The hour: the first ten-minute file six times over.
[[ -s "$files/$hour" ]] || sox "$files/stereo16_44100.wav" "$files/stereo16_44100.wav" \
  "$files/stereo16_44100.wav" "$files/stereo16_44100.wav" "$files/stereo16_44100.wav" \
  "$files/stereo16_44100.wav" "$files/$hour"
if [[ ! -s "$files/clips/clip199.wav" ]]; then
  python3 tools/make_wav.py --seconds 3 --rate 44100 --channels 2 --bits 16 "$files/clips/clip000.wav"
  for i in $(seq -f %03g 1 199); do cp "$files/clips/clip000.wav" "$files/clips/clip$i.wav"; done
fi
python3 bench/compare.py --cli "$build/cli/kelmoro-cli" --rounds "$rounds" --batch "$files/clips" \
  "${baseline[@]}" "$files/stereo16_44100.wav" "$files/mono8_44100.wav" \
  "$files/mono16_8012.wav" "$files/$hour"
