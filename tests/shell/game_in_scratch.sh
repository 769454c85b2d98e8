# Sourced by the Xvfb tests: generated data in a scratch folder that is removed on exit, and a
# copy of the program there, outside the source tree (the asset search also looks around the
# program's folder, and must find only the generated data). Expects $game and $make_assets;
# leaves $work, $here and $game (the copy) set, and the shell in $work.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$make_assets" "$work"
here=$(cd "$(dirname "${BASH_SOURCE[1]}")" && pwd)
mkdir "$work/bin"
cp "$game" "$work/bin/"
game="$work/bin/$(basename "$game")"
cd "$work"
# Only matters in the sanitizer build: a desktop session's D-Bus library keeps a buffer.
export LSAN_OPTIONS="suppressions=$here/x11_leaks.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
# The progress file goes to the scratch folder, never the developer's own.
export XDG_STATE_HOME="$work/state"
