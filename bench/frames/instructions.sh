#!/usr/bin/env bash
# Instructions a frame of the game in play (the level-8 replay) and of frame_floor, counted by
# callgrind with llvmpipe drawing on the calling thread. Counts barely move between runs where
# CPU times on a shared machine move by a fifth, so they compare two builds well; they are not
# times (the floor's frame is mostly memory copies). Needs valgrind and a display that presents:
#   xvfb-run -a -s "-screen 0 1920x1080x24" bench/frames/instructions.sh [BUILD_DIR] [--full-screen]
# Run from the project root, or from any folder with data/ and tests/levels/level8.replay.
set -euo pipefail
build=${1:-build/default}
size=${2:---window}
command -v valgrind >/dev/null || { echo "instructions.sh: valgrind is not installed" >&2; exit 2; }
runner=$(cd "$build/tools/tarnwick_run" && pwd)/tarnwick_run
floor=$(cd "$build/bench/frames" && pwd)/frame_floor
floorSize=""
[ "$size" = "--full-screen" ] && floorSize="--full-screen"

# Instructions of one run of "$@". Without address randomisation the shader compiler's work,
# and so the count, is the same run after run.
count() {
    LP_NUM_THREADS=0 setarch -R valgrind --tool=callgrind --callgrind-out-file=/dev/null --smc-check=all-non-file "$@" 2>&1 |
        sed -n 's/^==[0-9]*== Collected : \([0-9]*\)$/\1/p' | sort -n | tail -1
}

# The start-up cancels out between a short and a long run.
perFrame() {
    local short=20 long=80
    local a b
    a=$(count "$@" --frames $short)
    b=$(count "$@" --frames $long)
    echo "$(( (b - a) / (long - short) ))"
}

game=$(perFrame "$runner" "$size" --unpaced --start-level 7 tests/levels/level8.replay)
base=$(perFrame "$floor" $floorSize)
awk -v g="$game" -v f="$base" -v s="$size" 'BEGIN {
    printf "%s: game %.2f M instructions a frame, floor %.2f M, ratio %.2f\n", s, g / 1e6, f / 1e6, g / f }'
