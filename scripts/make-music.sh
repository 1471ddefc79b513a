#!/usr/bin/env bash
# Renders the demo's music from its score with kelvorandum-synth and encodes it to
# Data/pell00r-wirlow.mp3 (44.1 kHz stereo, CBR 192 kbit/s). Same score, same bytes.
# Usage: scripts/make-music.sh BUILD_DIR   (builds the synthesiser there first)
# Fails, leaving the old MP3 in place, if a step fails or the decoded peak is above -1 dBFS.
set -euo pipefail

if [[ $# -ne 1 ]]; then
  echo "Usage: $0 BUILD_DIR" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
score="$root/tools/music/pell00r-wirlow.score"
target="$root/Data/pell00r-wirlow.mp3"

[[ -f "$build/CMakeCache.txt" ]] || cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" --target kelvorandum-synth >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/kelvorandum-synth" "$score" "$work/music.wav"

# -q 0: lame's most careful (and still deterministic) search; joint stereo spends the bits
# where the channels differ. No ReplayGain: the level is set by the synthesiser's master.
lame --quiet --cbr -b 192 -q 0 -m j --resample 44.1 --noreplaygain \
  --tt "pell00r-wirlow" --ta "Morvane" --tl "Kelvorandum" \
  "$work/music.wav" "$work/music.mp3"

# Encoding moves peaks; check the decoded file, not the WAV.
lame --quiet --decode "$work/music.mp3" "$work/decoded.wav"
peak=$(sox "$work/decoded.wav" -n stats 2>&1 | awk '/^Pk lev dB/ { print $4 }')
if awk -v p="$peak" 'BEGIN { exit !(p > -1.0) }'; then
  echo "make-music: decoded peak $peak dBFS is above -1 dBFS; lower 'master peak' in the score" >&2
  exit 1
fi

mkdir -p "$root/Data"
mv "$work/music.mp3" "$target"
echo "make-music: wrote Data/pell00r-wirlow.mp3 ($(stat -c %s "$target") bytes, decoded peak $peak dBFS)"
