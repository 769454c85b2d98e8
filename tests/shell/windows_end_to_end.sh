#!/usr/bin/env bash
# The Windows programs under Wine on the X display the run provides (scripts/test gives the
# Windows tests an Xvfb at 1920 x 1080), started from a folder whose name has a space and
# non-ASCII letters, with the generated data beside them and the working folder elsewhere:
# --help names the Windows places of the keys and progress files; the window is titled "Tarnwick", a tap of Space leaves the title, held keys move the
# creature, Esc quits with 0; the full-screen program shows the 4:3 picture between bars;
# without data/ the one-line refusal comes on stderr with exit status 1, shown in a message box
# that waits for Enter unless TARNWICK_NO_MESSAGE_BOX is set.
# usage: windows_end_to_end.sh WINE_RUN TarnwickWindowed.exe Tarnwick.exe make_test_assets.exe
set -euo pipefail
wine_run=$1
windowed=$2
full=$3
make_assets=$4
fail() { echo "windows_end_to_end: $*" >&2; exit 1; }
[ -n "${DISPLAY:-}" ] || { echo "windows_end_to_end: no DISPLAY (scripts/test runs this under Xvfb)"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Arguments reach a Windows program in its code page, so the assets go to a plain name first.
"$wine_run" "$make_assets" "$work/plain" >/dev/null
game_folder="$work/Spiele Ordner – Tarnwick é"
mv "$work/plain" "$game_folder"
cp "$windowed" "$full" "$game_folder/"
mkdir "$work/elsewhere" "$work/appdata"
cd "$work/elsewhere"
export SDL_AUDIODRIVER=dummy TARNWICK_NO_MESSAGE_BOX=1
unset SDL_VIDEODRIVER

# Generated picture colours (see test_assets.cpp).
title='#808088' sky='#1E3A57' head='#48586C' floor='rgb(197,181,176)'
share() { # fraction of the picture's pixels within 4% of a colour
  convert "$1" -alpha off -fuzz 4% -fill white -opaque "$2" -fill black +opaque white -colorspace gray \
    -format '%[fx:mean]' info:
}
box() { # the box (WxH+X+Y) of the pixels within 1% of a colour
  convert "$1" -alpha off -fuzz 1% -fill black +opaque "$2" -bordercolor black -border 1 -format '%@' info: |
    awk -F'[x+]' '{ printf "%dx%d+%d+%d", $1, $2, $3 - 1, $4 - 1 }'
}
left_edge() { # leftmost column of the pixels within 6% of a colour, or "none"
  local b
  b=$(convert "$1" -alpha off -fuzz 6% -fill white -opaque "$2" -fill black +opaque white -format '%@' info: 2>/dev/null)
  case "$b" in 0x0* | "") echo none ;; *) echo "$b" | sed 's/^[0-9]*x[0-9]*+\([0-9]*\)+.*/\1/' ;; esac
}
place() { # the head's left edge against the floor's, since the camera follows the creature
  local h f
  h=$(left_edge "$1" "$head")
  f=$(left_edge "$1" "$floor")
  [ "$h" != none ] && [ "$f" != none ] || fail "$1: no creature ($h) or floor ($f) on screen"
  echo $((h - f))
}
window() { # the id of the visible window titled Tarnwick, within a minute
  local id
  for _ in $(seq 120); do
    # A search can fail outright while some other window goes away: ask again.
    id=$(xdotool search --onlyvisible --name '^Tarnwick$' 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.5
  done
  return 1
}

# --help and --version answer on the output they were given, naming the Windows places.
"$wine_run" "$game_folder/Tarnwick.exe" --help >help.txt 2>err.txt || fail "--help: $(cat err.txt)"
for want in 'Usage: Tarnwick ' '%APPDATA%\Tarnwick\keys.txt' '%APPDATA%\Tarnwick\progress.txt'; do
  grep -qF "$want" help.txt || fail "--help does not say $want: $(head -c 300 help.txt)"
done
"$wine_run" "$game_folder/TarnwickWindowed.exe" --version >version.txt 2>err.txt || fail "--version: $(cat err.txt)"
grep -q '^TarnwickWindowed [0-9]' version.txt || fail "--version said: $(cat version.txt)"
echo "--help and --version: ok"

# The windowed program, on the keyboard.
"$wine_run" "$game_folder/TarnwickWindowed.exe" >out.txt 2>err.txt &
pid=$!
wid=$(window) || fail "no window titled Tarnwick: $(cat err.txt)"
sleep 2
import -window "$wid" title.png
t=$(share title.png "$title")
awk "BEGIN { exit !($t > 0.9) }" || fail "title picture covers only $t of the window"
xdotool key --window "$wid" space
sleep 2
import -window "$wid" level.png
s=$(share level.png "$sky")
awk "BEGIN { exit !($s > 0.3) }" || fail "Space did not start a level (sky $s)"
cmp -s title.png level.png && fail "the picture did not change after Space"
before=$(place level.png)
xdotool keydown --window "$wid" t h Up Right
sleep 3
import -window "$wid" moved.png
xdotool keyup --window "$wid" t h Up Right
after=$(place moved.png)
moved=$((after - before))
[ "${moved#-}" -ge 12 ] || fail "the held keys moved the creature $moved pixels along the floor"
xdotool key --window "$wid" Escape
code=0
wait $pid || code=$?
[ "$code" -eq 0 ] || fail "exit status $code after Esc: $(cat err.txt)"
echo "windowed: title $t, level sky $s, creature moved $moved pixels: ok"

# The full-screen program on the 1920 x 1080 screen: 1440 x 1080 in the middle.
"$wine_run" "$game_folder/Tarnwick.exe" >out.txt 2>err.txt &
pid=$!
wid=$(window) || fail "no full-screen window: $(cat err.txt)"
# The window may appear at its first size before the switch to the whole screen lands.
for _ in $(seq 20); do
  sleep 1
  import -window root full.png
  b=$(box full.png "$title")
  [ "$b" = 1440x1080+240+0 ] && break
done
[ "$b" = 1440x1080+240+0 ] || fail "full screen: the title is at $b, not 1440x1080+240+0"
xdotool key --window "$wid" Escape
code=0
wait $pid || code=$?
[ "$code" -eq 0 ] || fail "full screen: exit status $code"
echo "full screen: title $b: ok"

# Without data/: the line, exit status 1, and no window waiting for anyone.
mv "$game_folder/data" "$game_folder/data.away"
code=0
timeout 60 "$wine_run" "$game_folder/TarnwickWindowed.exe" >out.txt 2>err.txt || code=$?
[ "$code" -eq 1 ] || fail "without data/: exit status $code: $(cat err.txt)"
grep -q '^Tarnwick: cannot start: ' err.txt || fail "without data/ it said: $(cat err.txt)"
echo "without data/: exit 1, $(grep '^Tarnwick: cannot start: ' err.txt): ok"

# The same for someone who started it from Explorer: the line in a box titled "Tarnwick", the
# program waiting until it is closed.
code=0
env -u TARNWICK_NO_MESSAGE_BOX "$wine_run" "$game_folder/TarnwickWindowed.exe" >out.txt 2>err.txt &
pid=$!
box_id=$(window) || fail "no message box: $(cat err.txt)"
sleep 2
kill -0 $pid 2>/dev/null || fail "the program ended with its message box still up"
xdotool key --window "$box_id" Return
for _ in $(seq 30); do kill -0 $pid 2>/dev/null || break; sleep 1; done
kill -0 $pid 2>/dev/null && fail "Enter did not close the message box"
wait $pid || code=$?
[ "$code" -eq 1 ] || fail "after the message box: exit status $code: $(cat err.txt)"
grep -q '^Tarnwick: cannot start: ' err.txt || fail "with the message box it said: $(cat err.txt)"
echo "without data/, from Explorer: a message box until Enter, then exit 1: ok"
