#!/usr/bin/env bash
# Starts the real windowed program under Xvfb with generated data: the title shows, a click
# starts a level, Esc quits with exit code 0; then with one picture missing it must print the
# one-line start-up error and exit 1.
# usage: end_to_end.sh GAME MAKE_TEST_ASSETS [SHOT_FOLDER]
set -euo pipefail
game=$1
make_assets=$2
shots=${3:-}

source "$(dirname "$0")/game_in_scratch.sh"

# Generated picture colours (see test_assets.cpp): the title and the sky.
title_colour='#808088'
sky_colour='#1E3A57'

cat > inner.sh <<INNER
#!/usr/bin/env bash
set -euo pipefail
fail() { echo "end_to_end: \$*" >&2; exit 1; }
share() { # fraction of the picture's pixels within 4% of a colour
  convert "\$1" -alpha off -fuzz 4% -fill white -opaque "\$2" -fill black +opaque white -colorspace gray -format '%[fx:mean]' info:
}
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$game" &
pid=\$!
wid=\$(timeout 20 xdotool search --sync --onlyvisible --name '^Tarnwick\$' | head -n 1) || fail "no game window"
sleep 1.5
import -window "\$wid" title.png
t=\$(share title.png "$title_colour")
awk "BEGIN { exit !(\$t > 0.9) }" || fail "title picture covers only \$t of the window"
# Held for a while: the loop drains every waiting message before it runs a frame, so a down
# and up that arrive together never reach the screens.
xdotool mousemove --window "\$wid" 320 240 mousedown 1
sleep 0.3
xdotool mouseup 1
sleep 1.5
import -window "\$wid" level.png
s=\$(share level.png "$sky_colour")
t=\$(share level.png "$title_colour")
awk "BEGIN { exit !(\$s > 0.3 && \$t < 0.1) }" || fail "no level on screen (sky \$s, title \$t)"
xdotool key --window "\$wid" Escape
code=0
wait \$pid || code=\$?
[ "\$code" -eq 0 ] || fail "exit code \$code after Esc"
echo "title \$(share title.png "$title_colour"), level sky \$s: ok"
INNER
xvfb-run -a -s "-screen 0 1024x768x24" bash inner.sh
if [ -n "$shots" ]; then
  cp title.png level.png "$shots"/
fi

rm data/sky.tga
code=0
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$game" 2> err.txt || code=$?
expected='Tarnwick: cannot start: data/sky.tga not found (0x80040903)'
# The test data has no music: the game says so in a line of its own and plays on.
if [ "$code" -ne 1 ] || [ "$(grep -v '^Tarnwick: music ' err.txt)" != "$expected" ]; then
  echo "end_to_end: missing picture gave exit $code and: $(cat err.txt)" >&2
  exit 1
fi
echo "missing picture: exit 1, $(cat err.txt)"
