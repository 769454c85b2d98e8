#!/usr/bin/env bash
# The X server goes away under the real program at each moment: during start-up, on the
# title, in play, paused with the focus elsewhere, and in the full-screen program. Every time
# it must be gone within LIMIT_MS with the one line "Tarnwick: the display went away" and exit
# code 1 (Xlib's own handler would print its message instead; a spin would outlast the limit).
# usage: display_loss_under_xvfb.sh WINDOWED_GAME FULL_SCREEN_GAME MAKE_TEST_ASSETS [ROUNDS] [LIMIT_MS]
set -euo pipefail
game=$1
full_game=$2
make_assets=$3
rounds=${4:-3}
limit=${5:-2000}

source "$(dirname "$0")/game_in_scratch.sh"
cp "$full_game" "$work/bin/"
full_game="$work/bin/$(basename "$full_game")"

fail() { echo "display_loss: $*" >&2; exit 1; }
now() { date +%s%N; }
# stderr without the music's line (the test data has none) and the leak checker's list of
# the suppressions it used; a sanitizer report stays.
lines() {
  grep -v -E '^Tarnwick: music |^-+$|^Suppressions used:|^ +count +bytes +template|^ +[0-9]+ +[0-9]+ [^ ]+$|^$' err.txt || true
}
# Until process $1 catches SIGTERM: by then the program has opened the display.
caught() {
  local mask i
  for i in $(seq 2000); do
    mask=$(awk '/^SigCgt/ { print $2 }' /proc/$1/status 2>/dev/null)
    if [ -n "$mask" ] && [ $(( 0x$mask & 0x4000 )) -ne 0 ]; then return 0; fi
    sleep 0.002
  done
  fail "process $1 never caught SIGTERM"
}
window() { timeout 20 xdotool search --sync --onlyvisible --name '^Tarnwick$' | head -n 1; }
title() { wid=$(window) || fail "no window"; sleep 0.5; }
play() {
  title
  xdotool mousemove --window "$wid" 320 240 mousedown 1; sleep 0.3; xdotool mouseup 1; sleep 1
}
away() {
  play
  xclock -geometry 120x120+0+0 &
  local other
  other=$(timeout 10 xdotool search --sync --onlyvisible --class xclock | head -n 1) || fail "no other window"
  xdotool windowfocus --sync "$other"
  sleep 1
}

# $1 names the moment, $2 the program, $3 the steps taken before the server is killed.
one() {
  local moment=$1 program=$2 steps=$3
  rm -f display.txt
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>display.txt 2>/dev/null &
  local server=$!
  for i in $(seq 100); do [ -s display.txt ] && break; sleep 0.05; done
  [ -s display.txt ] || fail "no Xvfb"
  export DISPLAY=:$(cat display.txt)
  SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$program" 2>err.txt >/dev/null &
  local pid=$!
  eval "$steps"
  local sent
  sent=$(now)
  kill -9 "$server"
  local waited=0
  while kill -0 "$pid" 2>/dev/null && [ $waited -lt $(( limit * 2 / 50 )) ]; do sleep 0.05; waited=$((waited + 1)); done
  local took=$(( ($(now) - sent) / 1000000 ))
  wait "$server" 2>/dev/null || true
  if kill -0 "$pid" 2>/dev/null; then
    kill -9 "$pid"
    fail "$moment: still running $took ms after the server went: $(head -c 2000 err.txt)"
  fi
  local code=0
  wait "$pid" || code=$?
  jobs -p | xargs -r kill 2>/dev/null || true # the other window's program
  [ $took -le "$limit" ] || fail "$moment: took $took ms"
  [ "$code" -eq 1 ] || fail "$moment: exit code $code: $(head -c 2000 err.txt)"
  [ "$(lines)" = "Tarnwick: the display went away" ] || fail "$moment: stderr: $(cat -A err.txt | head -c 2000)"
  echo "$moment: exit 1 after $took ms"
}

for round in $(seq "$rounds"); do
  one "start-up" "$game" 'caught $pid'
  one "title screen" "$game" title
  one "play" "$game" play
  one "paused, the focus elsewhere" "$game" away
  one "full screen" "$full_game" title
done
