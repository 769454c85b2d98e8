#!/usr/bin/env bash
# The programs on a desktop: no display, the command line, an install into a temporary
# prefix (entry and metainfo validated, the installed program run from an unrelated folder,
# and without OpenGL 3.3), the Debian package, and under Xvfb at 1920 x 1080 without a window
# manager: the title and icon read through X, the full-screen picture at 4:3 with bars, a
# resized window, Alt+Enter and F11, and no frames while another window has the focus.
# usage: desktop.sh BUILD_DIR MAKE_TEST_ASSETS
set -euo pipefail
build=$(cd "$1" && pwd)
make_assets=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "desktop: $*" >&2; exit 1; }
for tool in desktop-file-validate appstreamcli dpkg-deb xvfb-run xdotool xprop xclock convert; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps test)"
done
game_windowed=$build/src/shell/TarnwickWindowed
game_full=$build/src/shell/Tarnwick

# --- no display: one line, exit 1, at once ---------------------------------------------
start=$(date +%s%N)
code=0
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$game_windowed" >"$work/out.txt" 2>&1 || code=$?
took=$(( ($(date +%s%N) - start) / 1000000 ))
[ "$code" -eq 1 ] || fail "no display: exit $code"
[ "$(cat "$work/out.txt")" = "Tarnwick: cannot start: no display (DISPLAY and WAYLAND_DISPLAY are unset)" ] ||
  fail "no display said: $(cat "$work/out.txt")"
[ "$took" -lt 1000 ] || fail "no display took $took ms"
echo "no display: exit 1 after $took ms: $(cat "$work/out.txt")"

# --- command line --------------------------------------------------------------------------
"$game_full" --help >"$work/help.txt" || fail "--help exit $?"
for word in Esc F11 Alt+Enter SDL_VIDEODRIVER share/tarnwick share/doc/tarnwick/; do
  grep -q -- "$word" "$work/help.txt" || fail "--help does not name $word"
done
[ "$("$game_full" --version)" = "Tarnwick 0.1" ] || fail "--version: $("$game_full" --version)"
code=0
"$game_full" --fullscreen 2>"$work/err.txt" >/dev/null || code=$?
[ "$code" -eq 2 ] && [ "$(wc -l <"$work/err.txt")" -eq 1 ] || fail "unknown option: exit $code, $(cat "$work/err.txt")"
echo "command line: --help, --version, unknown option exit 2: ok"

# --- install, entry and metainfo -----------------------------------------------------------
DESTDIR=$work/root cmake --install "$build" --prefix /usr >/dev/null
share=$work/root/usr/share
entry=$(ls "$share"/applications/*.desktop)
id=$(basename "$entry" .desktop)
desktop-file-validate "$entry" || fail "the desktop entry does not validate"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" >"$work/as.txt" ||
  fail "the metainfo does not validate: $(cat "$work/as.txt")"
grep -q "^Icon=$id\$" "$entry" || fail "the entry's icon is not $id"
for size in 256 64; do
  [ "$(identify -format '%wx%h' "$share/icons/hicolor/${size}x$size/apps/$id.png")" = "${size}x$size" ] ||
    fail "no ${size}px icon"
done
for program in $(sed -n 's/^Exec=//p' "$entry"); do
  [ -x "$work/root/usr/bin/$program" ] || fail "the entry starts $program, which is not installed"
done
[ -f "$share/tarnwick/data/myshader.fx" ] && [ -f "$share/tarnwick/data/map8.tga" ] || fail "no data installed"
# --help sends the player to the installed README for the keys file's format.
grep -q 'README.md' "$work/help.txt" && grep -q 'left-foot-up = T' "$share/doc/tarnwick/README.md" ||
  fail "no README in share/doc/tarnwick/ telling the keys file's format"
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' "$share/doc/tarnwick/copyright" &&
  ! grep -q '@[A-Z_]*@' "$share/doc/tarnwick/copyright" || fail "copyright: $(cat "$share/doc/tarnwick/copyright")"
echo "install: entry, metainfo, icons, programs, data, README and copyright: ok"

# --- no OpenGL 3.3 (Mesa told to offer 3.1): one line, exit 1 -----------------------------
code=0
(cd "$work" && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy MESA_GL_VERSION_OVERRIDE=3.1 \
  timeout 20 "$work/root/usr/bin/TarnwickWindowed") >"$work/out.txt" 2>&1 || code=$?
[ "$code" -eq 1 ] && [ "$(wc -l <"$work/out.txt")" -eq 1 ] &&
  grep -q '^Tarnwick: cannot start: .*OpenGL 3.3' "$work/out.txt" ||
  fail "without OpenGL 3.3: exit $code and: $(cat "$work/out.txt")"
echo "no OpenGL 3.3: exit 1, $(cat "$work/out.txt")"

# --- the Debian package ---------------------------------------------------------------------
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" >/dev/null
deb=$(ls "$work"/pkg/*.deb)
dpkg-deb --contents "$deb" >"$work/contents.txt"
for path in ./usr/bin/Tarnwick ./usr/bin/TarnwickWindowed ./usr/share/tarnwick/data/map1.tga \
  "./usr/share/applications/$id.desktop" "./usr/share/icons/hicolor/256x256/apps/$id.png" \
  ./usr/share/doc/tarnwick/copyright ./usr/share/doc/tarnwick/README.md; do
  grep -q " $path\$" "$work/contents.txt" || fail "the package lacks $path"
done
depends=$(dpkg-deb -f "$deb" Depends)
case "$depends" in *libsdl2*) ;; *) fail "Depends names no SDL: $depends" ;; esac
if echo "$depends" | grep -q -- '-dev'; then fail "Depends names a -dev package: $depends"; fi
echo "package: $(basename "$deb"), Depends: $depends"

# --- test data beside copies of the programs, for the flat-colour measurements -------------
"$make_assets" "$work/flat"
mkdir "$work/flat/bin" "$work/elsewhere"
cp "$game_windowed" "$game_full" "$work/flat/bin/"

here=$(cd "$(dirname "$0")" && pwd)
export LSAN_OPTIONS="suppressions=$here/x11_leaks.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
cat >"$work/inner.sh" <<INNER
#!/usr/bin/env bash
set -euo pipefail
fail() { echo "desktop: \$*" >&2; exit 1; }
export SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER
# The box (WxH+X+Y) of the pixels within 1% of a colour.
box() {  # a black border, so a colour that fills the picture still has edges
  convert "\$1" -alpha off -fuzz 1% -fill black +opaque "\$2" -bordercolor black -border 1 -format '%@' info: |
    awk -F'[x+]' '{ printf "%dx%d+%d+%d", \$1, \$2, \$3 - 1, \$4 - 1 }'
}
# The largest patch of a colour: scaling blends edges of other pictures into stray pixels.
patch() {
  convert "\$1" -alpha off -fuzz 1% -fill black +opaque "\$2" -fill white -fuzz 0 -opaque "\$2" \\
    -define connected-components:verbose=true -connected-components 8 null: |
    awk '\$NF == "srgb(255,255,255)" && \$4 > best { best = \$4; box = \$2 } END { print box }'
}
cpu() { awk '{ print \$14 + \$15 }' /proc/\$1/stat; }
window() { timeout 20 xdotool search --sync --onlyvisible --name '^Tarnwick\$' | head -n 1; }
title='#808088'   # the flat title picture (see test_assets.cpp)
head='#48586C'    # the flat head picture

# The installed windowed program from an unrelated folder, with the real data.
cd "$work/elsewhere"
"$work/root/usr/bin/TarnwickWindowed" & pid=\$!
wid=\$(window) || fail "the installed program shows no window"
[ "\$(xdotool getwindowname "\$wid")" = Tarnwick ] || fail "title \$(xdotool getwindowname "\$wid")"
xprop -id "\$wid" _NET_WM_NAME | grep -q '"Tarnwick"' || fail "_NET_WM_NAME: \$(xprop -id "\$wid" _NET_WM_NAME)"
# The icon may reach the X server a little after the window shows (slow under ASan). grep
# reads all of xprop's long output: with -q it could stop early and pipefail see xprop's SIGPIPE.
for i in \$(seq 50); do xprop -id "\$wid" _NET_WM_ICON | grep -c 'Icon (64 x 64)' >/dev/null && break; sleep 0.1; done
xprop -id "\$wid" _NET_WM_ICON | grep -c 'Icon (64 x 64)' >/dev/null ||
  fail "no 64 x 64 icon on window \$wid (windows: \$(xdotool search --name '^Tarnwick\$' | tr '\\n' ' '); \$(xprop -id "\$wid" _NET_WM_ICON | head -c 200))"
sleep 1.5
import -window "\$wid" installed.png
dark=\$(convert installed.png -alpha off -colorspace gray -threshold 4% -negate -format '%[fx:mean]' info:)
awk "BEGIN { exit !(\$dark < 0.05) }" || fail "the title screen is \$dark black"
# Into the first level, then away: another window takes the focus.
xdotool windowfocus --sync "\$wid"
xdotool mousemove --window "\$wid" 320 240 mousedown 1; sleep 0.3; xdotool mouseup 1
sleep 0.3
xclock -geometry 120x120+0+0 & clock=\$!
other=\$(timeout 10 xdotool search --sync --onlyvisible --class xclock | head -n 1)
xdotool windowfocus --sync "\$other"
sleep 0.5
import -window "\$wid" away1.png
before=\$(cpu \$pid)
sleep 2
used=\$(( \$(cpu \$pid) - before ))
import -window "\$wid" away2.png
ticks=\$(getconf CLK_TCK)
awk "BEGIN { exit !(\$used / \$ticks / 2 < 0.05) }" || fail "away, it used \$used ticks of \$ticks a second in 2 s"
[ "\$(compare -metric AE away1.png away2.png null: 2>&1)" = 0 ] || fail "the picture changed while away"
xdotool windowfocus --sync "\$wid"
sleep 1
import -window "\$wid" back.png
[ "\$(compare -metric AE away2.png back.png null: 2>&1)" != 0 ] || fail "the game did not go on after the focus came back"
kill \$clock
xdotool key --window "\$wid" Escape
code=0; wait \$pid || code=\$?
[ "\$code" -eq 0 ] || fail "installed program: exit \$code after Esc"
echo "installed: title, icon, picture from an unrelated folder; away: \$used ticks in 2 s, picture still; Esc 0: ok"

# The windowed program: resized, then Alt+Enter and F11.
cd "$work/flat"
bin/TarnwickWindowed & pid=\$!
wid=\$(window) || fail "no window"
sleep 1
import -window "\$wid" w640.png
[ "\$(box w640.png \$title)" = 640x480+0+0 ] || fail "640 x 480: title at \$(box w640.png \$title)"
xdotool windowsize --sync "\$wid" 1280 600
sleep 1
import -window "\$wid" wide.png
[ "\$(box wide.png \$title)" = 800x600+240+0 ] || fail "resized to 1280 x 600: title at \$(box wide.png \$title)"
xdotool windowfocus --sync "\$wid"
xdotool key alt+Return
sleep 1
import -window root full.png
[ "\$(box full.png \$title)" = 1440x1080+240+0 ] || fail "after Alt+Enter: title at \$(box full.png \$title)"
xdotool key F11
sleep 1
[ "\$(xdotool getwindowgeometry "\$wid" | sed -n 's/.*Geometry: //p')" = 1280x600 ] ||
  fail "F11 left \$(xdotool getwindowgeometry "\$wid")"
xdotool key --window "\$wid" Escape
code=0; wait \$pid || code=\$?
[ "\$code" -eq 0 ] || fail "windowed: exit \$code"
echo "windowed: 640x480, resized 1280x600 shows 800x600+240+0, Alt+Enter 1440x1080+240+0, F11 back: ok"

# The full-screen program: the 4:3 picture centred, the head square in proportion.
bin/Tarnwick & pid=\$!
wid=\$(window) || fail "no full-screen window"
sleep 1
import -window root fs_title.png
[ "\$(box fs_title.png \$title)" = 1440x1080+240+0 ] || fail "full screen: title at \$(box fs_title.png \$title)"
xdotool mousemove 960 540 mousedown 1; sleep 0.3; xdotool mouseup 1
sleep 1.5
import -window root fs_play.png
h=\$(patch fs_play.png \$head)
ratio=\$(echo "\$h" | awk -Fx '{ split(\$2, r, "+"); print \$1 / r[1] }')
awk "BEGIN { exit !(\$ratio > 1.28 && \$ratio < 1.39) }" || fail "the head quad is \$h (\$ratio), not 4:3"
xdotool key --window "\$wid" Escape
code=0; wait \$pid || code=\$?
[ "\$code" -eq 0 ] || fail "full screen: exit \$code"
echo "full screen: title 1440x1080+240+0, head quad \$h (width/height \$ratio, 4:3 as in the window): ok"
INNER
cd "$work"
xvfb-run -a -s "-screen 0 1920x1080x24" bash inner.sh
