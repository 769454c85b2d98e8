#!/usr/bin/env bash
# Makes the README's screenshots with the headless runner:
#   tools/asset_gen/screenshots.sh BUILD_DIR
# The game runs from a scratch folder holding data/; where data/ has no level maps yet, every
# level is the sample level drawn in screenshot_level.txt.
set -euo pipefail
build=${1:-build/default}
root=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/data"
find "$root/data" -maxdepth 1 -type f -exec cp {} "$scratch/data/" \;
if [ ! -f "$scratch/data/map1.tga" ]; then
  "$build/tools/level_map/level_map" make "$root/tools/asset_gen/screenshot_level.txt" "$scratch/data/map1.tga" >/dev/null
  for i in 2 3 4 5 6 7 8; do cp "$scratch/data/map1.tga" "$scratch/data/map$i.tga"; done
fi
runner=$(cd "$build/tools/tarnwick_run" && pwd)/tarnwick_run
(cd "$scratch" && SDL_VIDEODRIVER=offscreen "$runner" --shot 30:title.png --shot 230:play.png \
  "$root/tools/asset_gen/screenshot_run.txt")
cp "$scratch/title.png" "$root/docs/screenshot_title.png"
cp "$scratch/play.png" "$root/docs/screenshot_play.png"
echo "wrote docs/screenshot_title.png and docs/screenshot_play.png"
