#!/usr/bin/env bash
# The real windowed program under Xvfb, played on the keyboard: with the right arrow held
# from the title on, a tap of Space starts level 1, whose goal is beside its start; the
# level-up picture then stays on screen, arrow still held, until a fresh tap of Space.
# usage: level_end_end_to_end.sh GAME MAKE_TEST_ASSETS [SHOT_FOLDER]
set -euo pipefail
game=$1
make_assets=$2
shots=${3:-}

source "$(dirname "$0")/game_in_scratch.sh"
# Level 1 (map1) ends in its first frame; level 2 (map3) keeps its usual distance.
cp data/map3.tga level2.tga
"$make_assets" "$work" 0
mv level2.tga data/map3.tga
export XDG_CONFIG_HOME="$work/config"

# Generated picture colours (see test_assets.cpp): the title, the level-up picture before
# level 2 (the one with the tip for stepping up), the sky.
title_colour='#808088'
level_up_colour='#FEDAC7'
sky_colour='#1E3A57'

cat > inner.sh <<INNER
#!/usr/bin/env bash
set -euo pipefail
fail() { echo "level_end_end_to_end: \$*" >&2; exit 1; }
share() { # fraction of the picture's pixels within 4% of a colour
  convert "\$1" -alpha off -fuzz 4% -fill white -opaque "\$2" -fill black +opaque white -colorspace gray -format '%[fx:mean]' info:
}
at_least() { awk "BEGIN { exit !(\$1 > \$2) }"; }
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$game" > out.txt &
pid=\$!
wid=\$(timeout 20 xdotool search --sync --onlyvisible --name '^Tarnwick\$' | head -n 1) || fail "no game window"
sleep 1.5
import -window "\$wid" title.png
at_least "\$(share title.png "$title_colour")" 0.9 || fail "no title picture"
xdotool keydown --window "\$wid" Right
sleep 0.5
import -window "\$wid" still_title.png
at_least "\$(share still_title.png "$title_colour")" 0.9 || fail "the held arrow left the title"
xdotool key --window "\$wid" space
sleep 1.5
import -window "\$wid" level_up.png
at_least "\$(share level_up.png "$level_up_colour")" 0.9 || fail "no level-up picture with the arrow held"
# Held on: the server repeats the key, and nothing may skip the screen.
sleep 1.5
import -window "\$wid" level_up_held.png
u=\$(share level_up_held.png "$level_up_colour")
at_least "\$u" 0.9 || fail "the held arrow left the level-up picture (\$u)"
xdotool key --window "\$wid" space
sleep 1.5
import -window "\$wid" level2.png
s=\$(share level2.png "$sky_colour")
at_least "\$s" 0.3 || fail "Space did not start level 2 (sky \$s)"
xdotool keyup --window "\$wid" Right
xdotool key --window "\$wid" Escape
code=0
wait \$pid || code=\$?
[ "\$code" -eq 0 ] || fail "exit code \$code after Esc"
echo "level-up picture \$u with the arrow held, then level 2 (sky \$s) after Space: ok"
INNER
xvfb-run -a -s "-screen 0 1024x768x24" bash inner.sh
if [ -n "$shots" ]; then
  cp title.png level_up.png level_up_held.png level2.png "$shots"/
fi
