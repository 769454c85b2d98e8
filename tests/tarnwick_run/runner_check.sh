#!/usr/bin/env bash
# The runner on both backends gives the same frames; a bad script names its line.
# usage: runner_check.sh TARNWICK_RUN MAKE_TEST_ASSETS
set -euo pipefail
run=$1
make_assets=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$make_assets" "$work"
cd "$work"
cat > play.txt <<'SCRIPT'
0 pad 0 0 0 0 0 0 0 0
3 mouse 320 240
5 click                       # title -> level 1
12 pad -400 -1000 300 -1000 0 0 1 1
40 pad 1000 0 -1000 0 0 0 0 0
60 key a                      # types a character: no effect
62 key w                      # back to the title
64 keydown right              # an arrow never moves a screen on
66 keyup right
70 pad 0 0 0 0 1 0 0 0        # button A pressed on the title starts again
90 end
SCRIPT
"$run" --backend recording --csv rec.csv --events rec.txt play.txt
"$run" --backend gl --csv gl.csv --events gl.txt --shot 30:shot.png play.txt
cmp rec.csv gl.csv
cmp rec.txt gl.txt
expected=$'frame,state,level\n5,2,0\n62,0,0\n70,2,0'
[ "$(cat rec.txt)" = "$expected" ] || { echo "events: $(cat rec.txt)" >&2; exit 1; }
[ "$(wc -l < rec.csv)" -eq 91 ]
[ -s shot.png ]

# Arriving at level 2: the first armed click leaves the level-up screen for map index 2.
printf '0 pad 0 0 0 0 0 0 0 0\n3 click\n6 end\n' > arrive.txt
"$run" --backend recording --start-level 2 --events arrive.txt.events --csv arrive.csv arrive.txt
[ "$(tail -n 1 arrive.txt.events)" = "3,2,2" ] || { cat arrive.txt.events >&2; exit 1; }
[ "$(sed -n 2p arrive.csv | cut -d, -f2,3)" = "1,2" ]

# A recording of the scripted run replays to the same frames once the click is added back.
cat > pads.txt <<'SCRIPT'
0 pad 0 0 0 0 0 0 0 0
5 click
20 pad -300 -1000 800 -900 0 0 1 0
60 pad 1000 17 -3 -1000 0 1 0 1
100 pad 0 0 0 0 0 0 0 0
120 end
SCRIPT
"$run" --backend recording --csv first.csv --record recorded.txt pads.txt
[ "$(grep -c ' pad ' recorded.txt)" -eq 4 ]
{ grep -v '^#' recorded.txt; echo '5 click'; } | sort -n -s -k1,1 > replay.txt
"$run" --backend recording --csv replayed.csv replay.txt
cmp first.csv replayed.csv

# The benchmark's timing line counts the frames after the skipped ones; a bad skip is refused.
"$run" --unpaced --timing --timed-from 4 --frames 9 arrive.txt 2> timing.txt
grep -Eq '^timing first_present_ns=[0-9]+ frames=5 wall_ms=[0-9.]+ cpu_ms=[0-9.]+$' timing.txt || { cat timing.txt >&2; exit 1; }
code=0
"$run" --timed-from 0 --frames 9 arrive.txt 2> err.txt || code=$?
[ "$code" -eq 2 ] || { cat err.txt >&2; exit 1; }

printf '0 pad 0 0 0 0 0 0 0 0\n\n7 pad 0 0 0 0 0 0 0 3\n9 end\n' > bad.txt
code=0
"$run" --backend recording bad.txt 2> err.txt || code=$?
[ "$code" -eq 2 ] && grep -q 'bad.txt: line 3: B5 must be' err.txt || { cat err.txt >&2; exit 1; }
echo "runner: backends agree, a recording replays, events $(tr '\n' ' ' < rec.txt), bad line reported"
