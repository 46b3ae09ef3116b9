#!/usr/bin/env bash
# Draws what the band-limited rate change does: a 44.1 kHz sweep from 0 to
# 22050 Hz over 8 s at -6 dBFS, converted by kelmoro-cli as it is (exact) and
# with --filter, each AU file drawn with sox's spectrogram effect into
# docs/sweep-exact.png and docs/sweep-filter.png.
#
# Usage: bench/draw_sweep_pictures.sh KELMORO_CLI [exact|filter|both]
#   (default both; "exact" draws only the first picture)
set -euo pipefail

cli=${1:?usage: draw_sweep_pictures.sh KELMORO_CLI [exact|filter|both]}
which=${2:-both}
case "$which" in exact | filter | both) ;; *)
  echo "draw_sweep_pictures.sh: unknown choice '$which'" >&2
  exit 2
  ;;
esac
[[ -x $cli ]] || { echo "draw_sweep_pictures.sh: $cli is not an executable" >&2; exit 2; }

docs=$(cd "$(dirname "$0")/../docs" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A linear sweep at -6 dBFS, 16-bit mono.
sox -n -r 44100 -b 16 -c 1 "$work/sweep.wav" synth 8 sine 0:22050 gain -6

# draw AU PICTURE TITLE: 8012 Hz spectrogram, the same scale for both.
draw() {
  sox "$1" -n spectrogram -x 800 -y 257 -z 120 -t "$3" \
    -c "44.1 kHz sweep 0-22050 Hz at -6 dBFS, converted to 8012 Hz mu-law" -o "$2"
}

if [[ $which != filter ]]; then
  mkdir "$work/exact"
  cp "$work/sweep.wav" "$work/exact/sweep.wav"
  "$cli" -q "$work/exact/sweep.wav"
  draw "$work/exact/sweep.au" "$docs/sweep-exact.png" "kelmoro-cli (exact: samples kept or dropped)"
  echo "wrote $docs/sweep-exact.png"
fi
if [[ $which != exact ]]; then
  mkdir "$work/filter"
  cp "$work/sweep.wav" "$work/filter/sweep.wav"
  "$cli" -q --filter "$work/filter/sweep.wav"
  draw "$work/filter/sweep.au" "$docs/sweep-filter.png" "kelmoro-cli --filter (libsoxr, high quality)"
  echo "wrote $docs/sweep-filter.png"
fi
