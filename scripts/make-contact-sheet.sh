#!/usr/bin/env bash
# Captures one frame every 5 seconds of the production (2.5 s, 7.5 s, ... 62.5 s) with
# kelvorandum-capture and tiles them into docs/contact-sheet.jpg for the README.
# Usage: scripts/make-contact-sheet.sh BUILD_DIR
set -euo pipefail

if [[ $# -ne 1 || "$1" == -* ]]; then
  echo "usage: scripts/make-contact-sheet.sh BUILD_DIR" >&2
  exit 2
fi
build_dir=$1
cd "$(dirname "$0")/.."

cmake --build "$build_dir" --target kelvorandum-capture >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

moments=()
for t in $(seq 2.5 5 62.5); do moments+=(--at "$t"); done
"$build_dir/kelvorandum-capture" "${moments[@]}" --out "$work/frames"

mkdir -p docs
# 13 frames on a 4 x 4 grid, each 426 x 240, labelled with its moment.
ffmpeg -loglevel error -y -i "$work/frames/%06d.png" \
  -vf "scale=426:240,drawtext=fontfile=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf:text='%{eif\:2+5*n\:d}.5 s':x=8:y=8:fontsize=18:fontcolor=white:box=1:boxcolor=black@0.5,tile=4x4:padding=4:color=black" \
  -frames:v 1 -q:v 3 "$work/sheet.jpg"
mv "$work/sheet.jpg" docs/contact-sheet.jpg
echo "Wrote docs/contact-sheet.jpg"
