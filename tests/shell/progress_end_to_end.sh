#!/usr/bin/env bash
# The real windowed program under Xvfb, twice, with every goal beside its start: the first run
# completes levels 1 and 2 and quits; the progress file then opens level 3, and in the second
# run a press of 8 (not reached) leaves the title alone while a press of 3 starts level 3.
# usage: progress_end_to_end.sh GAME MAKE_TEST_ASSETS
set -euo pipefail
game=$1
make_assets=$2

source "$(dirname "$0")/game_in_scratch.sh"
"$make_assets" "$work" 0
export XDG_CONFIG_HOME="$work/config"
export XDG_STATE_HOME="$work/state"
unset TARNWICK_STATE_DIR

# Generated picture colours (see test_assets.cpp): the title, and the level-up pictures
# before levels 2, 3 and 4 (each with its tip).
title_colour='#808088'
before2_colour='#FEDAC7'
before3_colour='#0CE4CE'
before4_colour='#1AEED5'

cat > inner.sh <<INNER
#!/usr/bin/env bash
set -euo pipefail
fail() { echo "progress_end_to_end: \$*" >&2; exit 1; }
share() { # fraction of the picture's pixels within 4% of a colour
  convert "\$1" -alpha off -fuzz 4% -fill white -opaque "\$2" -fill black +opaque white -colorspace gray -format '%[fx:mean]' info:
}
shows() { import -window "\$wid" "\$1"; awk "BEGIN { exit !(\$(share "\$1" "\$2") > 0.9) }"; }
start() {
  SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$game" > "\$1" 2>&1 &
  pid=\$!
  wid=\$(timeout 20 xdotool search --sync --onlyvisible --name '^Tarnwick\$' | head -n 1) || fail "no game window"
  sleep 1.5
}
quit() {
  xdotool key --window "\$wid" Escape
  code=0
  wait \$pid || code=\$?
  [ "\$code" -eq 0 ] || fail "exit code \$code after Esc"
}
file="$work/state/tarnwick/progress.txt"

start first.txt
grep -q "no progress kept yet" first.txt || fail "the first start said: \$(cat first.txt)"
xdotool key --window "\$wid" space
sleep 1
shows level1_done.png "$before2_colour" || fail "level 1 did not end"
xdotool key --window "\$wid" space
sleep 1
shows level2_done.png "$before3_colour" || fail "level 2 did not end"
quit
grep -qx "reached 3" "\$file" || fail "the file holds: \$(cat "\$file")"
grep -q "^best 2 " "\$file" || fail "no best time for level 2: \$(cat "\$file")"
! grep -q "^best 3 " "\$file" || fail "level 3 already has a time"

start second.txt
xdotool key --window "\$wid" 8
sleep 1
shows still_title.png "$title_colour" || fail "8 (a level not reached) left the title"
xdotool key --window "\$wid" 3
sleep 1
shows level3_done.png "$before4_colour" || fail "3 did not start a level"
quit
grep -q "^best 3 " "\$file" || fail "3 did not play level 3: \$(cat "\$file")"
grep -qx "reached 4" "\$file" || fail "the file holds: \$(cat "\$file")"
ls "$work/state/tarnwick" | grep -v '^progress.txt\$' && fail "a temporary file was left" || true
echo "level 3 opened by the progress file and started by its number key: ok"
INNER
xvfb-run -a -s "-screen 0 1024x768x24" bash inner.sh
