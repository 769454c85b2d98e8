#!/usr/bin/env bash
# The real windowed program under Xvfb ends within a second of SIGTERM, SIGINT or SIGHUP at
# any moment: on the title screen, during play, and during start-up from the moment it catches
# signals (with good data: exit 0;
# with a FIFO where a picture should be: the one start-up line and exit 1, never a hang).
# usage: signals_under_xvfb.sh GAME MAKE_TEST_ASSETS
set -euo pipefail
game=$1
make_assets=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$make_assets" "$work"
here=$(cd "$(dirname "$0")" && pwd)
mkdir "$work/bin"
cp "$game" "$work/bin/"
game="$work/bin/$(basename "$game")"
cd "$work"
export LSAN_OPTIONS="suppressions=$here/x11_leaks.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

cat > inner.sh <<INNER
#!/usr/bin/env bash
set -uo pipefail
fail() { echo "signals: \$*" >&2; exit 1; }
now() { date +%s%N; }
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
  while kill -0 \$pid 2>/dev/null && [ \$waited -lt 50 ]; do sleep 0.05; waited=\$((waited + 1)); done
  local took=\$(( (\$(now) - sent) / 1000000 ))
  if kill -0 \$pid 2>/dev/null; then kill -9 \$pid; fail "SIG\$signal (\$moment): still running after 2.5 s"; fi
  local code=0
  wait \$pid || code=\$?
  [ \$took -le 1000 ] || fail "SIG\$signal (\$moment): took \$took ms"
  [ "\$code" -eq "\$expected" ] || fail "SIG\$signal (\$moment): exit code \$code, not \$expected: \$(cat err.txt)"
  if grep -v '^Tarnwick: music ' err.txt | grep -q .; then
    if [ "\$expected" -eq 0 ] || [ "\$(grep -vc '^Tarnwick: music ' err.txt)" -ne 1 ]; then
      fail "SIG\$signal (\$moment): stderr: \$(cat err.txt)"
    fi
  fi
  echo "SIG\$signal (\$moment): exit \$code after \$took ms"
}
window='wid=\$(timeout 20 xdotool search --sync --onlyvisible --name "^Zubo Proto\\\$" | head -n 1) || fail "no window"; sleep 0.5'
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
