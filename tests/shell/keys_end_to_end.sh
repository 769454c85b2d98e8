#!/usr/bin/env bash
# The real windowed program under Xvfb, played on the keyboard alone: a tap of Space leaves
# the title, held steering keys move the creature (its head measured against the floor's
# left end, since the camera follows it), Esc quits with exit code 0.
# usage: keys_end_to_end.sh GAME MAKE_TEST_ASSETS [SHOT_FOLDER]
set -euo pipefail
game=$1
make_assets=$2
shots=${3:-}

source "$(dirname "$0")/game_in_scratch.sh"
# No bindings file of the developer's may change the keys.
export XDG_CONFIG_HOME="$work/config"

# Generated picture colours (see test_assets.cpp): the title, the sky, the creature's head;
# the lit top of the floor as the test effect draws it.
title_colour='#808088'
sky_colour='#1E3A57'
head_colour='#48586C'
floor_colour='rgb(197,181,176)'

cat > inner.sh <<INNER
#!/usr/bin/env bash
set -euo pipefail
fail() { echo "keys_end_to_end: \$*" >&2; exit 1; }
share() { # fraction of the picture's pixels within 4% of a colour
  convert "\$1" -alpha off -fuzz 4% -fill white -opaque "\$2" -fill black +opaque white -colorspace gray -format '%[fx:mean]' info:
}
left_edge() { # leftmost column of the pixels within 6% of a colour, or "none"
  local box
  box=\$(convert "\$1" -alpha off -fuzz 6% -fill white -opaque "\$2" -fill black +opaque white -format '%@' info: 2>/dev/null)
  case "\$box" in 0x0*|"") echo none ;; *) echo "\$box" | sed 's/^[0-9]*x[0-9]*+\([0-9]*\)+.*/\1/' ;; esac
}
# The head's place on the floor: head's left edge minus the floor's.
place() {
  local head floor
  head=\$(left_edge "\$1" "$head_colour")
  floor=\$(left_edge "\$1" "$floor_colour")
  [ "\$head" != none ] && [ "\$floor" != none ] || fail "\$1: no creature (\$head) or floor (\$floor) on screen"
  echo \$((head - floor))
}
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$game" > out.txt &
pid=\$!
wid=\$(timeout 20 xdotool search --sync --onlyvisible --name '^Tarnwick\$' | head -n 1) || fail "no game window"
sleep 1.5
import -window "\$wid" title.png
t=\$(share title.png "$title_colour")
awk "BEGIN { exit !(\$t > 0.9) }" || fail "title picture covers only \$t of the window"
# A tap: the press and the release may well reach the game between two frames.
xdotool key --window "\$wid" space
sleep 1.5
import -window "\$wid" level.png
s=\$(share level.png "$sky_colour")
awk "BEGIN { exit !(\$s > 0.3) }" || fail "Space did not start a level (sky \$s)"
before=\$(place level.png)
# Both feet up and to the right, held. A creature left alone drifts under 4 pixels; on a
# loaded machine fewer frames run in the hold, so the bar is low.
xdotool keydown --window "\$wid" t h Up Right
sleep 3
import -window "\$wid" moved.png
xdotool keyup --window "\$wid" t h Up Right
after=\$(place moved.png)
moved=\$((after - before))
[ "\${moved#-}" -ge 12 ] || fail "the held keys moved the creature \$moved pixels along the floor"
xdotool key --window "\$wid" Escape
code=0
wait \$pid || code=\$?
[ "\$code" -eq 0 ] || fail "exit code \$code after Esc"
grep -q "no controller found; the keyboard steers: left foot T F G H, grip Space; right foot Up Left Down Right, grip Right Ctrl/Right Shift" out.txt ||
  fail "start-up said: \$(cat out.txt)"
echo "title \$t, level sky \$s, creature moved \$moved pixels along the floor: ok"
INNER
xvfb-run -a -s "-screen 0 1024x768x24" bash inner.sh
if [ -n "$shots" ]; then
  cp title.png level.png moved.png "$shots"/
fi
