#!/usr/bin/env bash
# The real windowed program under Xvfb ends within a second of SIGTERM, SIGINT or SIGHUP at
# any moment: on the title screen, during play, and during start-up from the moment it catches
# signals (with good data: exit 0;
# with a FIFO where a picture should be: the one start-up line and exit 1, never a hang).
# usage: signals_under_xvfb.sh GAME MAKE_TEST_ASSETS [LIMIT_MS]
# LIMIT_MS (default 1000) is for the sanitizer build, whose exit runs the leak check.
set -euo pipefail
game=$1
make_assets=$2
limit=${3:-1000}

source "$(dirname "$0")/game_in_scratch.sh"

cat > inner.sh <<INNER
#!/usr/bin/env bash
set -uo pipefail
fail() { echo "signals: \$*" >&2; exit 1; }
now() { date +%s%N; }
# stderr without the music's line (the test data has none) and the leak checker's list of
# the suppressions it used; a sanitizer report stays.
lines() {
  grep -v -E '^Tarnwick: music |^-+\$|^Suppressions used:|^ +count +bytes +template|^ +[0-9]+ +[0-9]+ [^ ]+\$|^\$' err.txt
}
# Waits until process \$1 catches SIGTERM: the program's first step. Before it the process is
# still being loaded, and no program can act on a signal then.
caught() {
  local mask i
  for i in \$(seq 1000); do
    mask=\$(awk '/^SigCgt/ { print \$2 }' /proc/\$1/status 2>/dev/null)
    if [ -n "\$mask" ] && [ \$(( 0x\$mask & 0x4000 )) -ne 0 ]; then return 0; fi
    sleep 0.002
  done
  fail "process \$1 never caught SIGTERM"
}
# Starts the game, runs the set-up steps in "\$3", sends signal \$2, and checks the exit.
# \$1 names the moment; \$4 is the exit code expected.
one() {
  local moment=\$1 signal=\$2 steps=\$3 expected=\$4
  SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$game" 2> err.txt &
  local pid=\$!
  eval "\$steps"
  local sent=\$(now)
  kill -s "\$signal" \$pid
  local waited=0
  while kill -0 \$pid 2>/dev/null && [ \$waited -lt \$(( $limit / 20 )) ]; do sleep 0.05; waited=\$((waited + 1)); done
  local took=\$(( (\$(now) - sent) / 1000000 ))
  if kill -0 \$pid 2>/dev/null; then kill -9 \$pid; fail "SIG\$signal (\$moment): still running after \$(( $limit * 5 / 2 )) ms"; fi
  local code=0
  wait \$pid || code=\$?
  [ \$took -le $limit ] || fail "SIG\$signal (\$moment): took \$took ms"
  [ "\$code" -eq "\$expected" ] || fail "SIG\$signal (\$moment): exit code \$code, not \$expected: \$(cat err.txt)"
  if lines | grep -q .; then
    if [ "\$expected" -eq 0 ] || [ "\$(lines | wc -l)" -ne 1 ]; then
      fail "SIG\$signal (\$moment): stderr: \$(cat -A err.txt | head -c 3000)"
    fi
  fi
  echo "SIG\$signal (\$moment): exit \$code after \$took ms"
}
window='wid=\$(timeout 20 xdotool search --sync --onlyvisible --name "^Tarnwick\\\$" | head -n 1) || fail "no window"; sleep 0.5'
play="\$window; xdotool mousemove --window \\\$wid 320 240 mousedown 1; sleep 0.3; xdotool mouseup 1; sleep 1"
one "title screen" TERM "\$window" 0
one play TERM "\$play" 0
one play INT "\$play" 0
one play HUP "\$play" 0
one start-up TERM 'caught \$pid' 0
mv data/sky.tga sky.tga && mkfifo data/sky.tga
one "start-up, FIFO for a picture" TERM 'caught \$pid' 1
INNER
xvfb-run -a -s "-screen 0 1024x768x24" bash inner.sh
