#!/usr/bin/env bash
# Regenerates every generated asset in Data/ from its readable source, with our own tools:
# the music (tools/music/), the images and sky (tools/kelvorandum-images, -sky) and the
# sync tracks (tools/choreography/kelvorandum.tracks). Same sources, same files.
# Usage: scripts/make-assets.sh BUILD_DIR
set -euo pipefail

if [[ $# -ne 1 || "$1" == -* ]]; then
  echo "usage: scripts/make-assets.sh BUILD_DIR" >&2
  exit 2
fi
build_dir=$1
cd "$(dirname "$0")/.."

scripts/make-music.sh "$build_dir"
scripts/make-images.sh "$build_dir"
cmake --build "$build_dir" --target kelvorandum-tracks >/dev/null
"$build_dir/kelvorandum-tracks" --out Data tools/choreography/kelvorandum.tracks
echo "Data/ is up to date with its sources."
