#!/usr/bin/env bash
# Regenerates the demo's images in Data/ with our own tools: the 17 overlay PNGs and the cube-map sky.
# Usage: scripts/make-images.sh BUILD_DIR   (builds the two tools there first if needed)
# Stops at the first error; each tool replaces a file only once it is completely written.
set -euo pipefail

if [[ $# -ne 1 || "$1" == -* ]]; then
  echo "usage: scripts/make-images.sh BUILD_DIR" >&2
  exit 2
fi
build_dir=$1
cd "$(dirname "$0")/.."

cmake --build "$build_dir" --target kelvorandum-images kelvorandum-sky >/dev/null
mkdir -p Data
"$build_dir/kelvorandum-images" --out Data
"$build_dir/kelvorandum-sky" --out Data/skyboxlol.jpg
echo "Wrote Data/: 17 overlay PNGs and skyboxlol.jpg"
