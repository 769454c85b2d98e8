#!/usr/bin/env bash
# The Windows zip: cpack makes tarnwick-VERSION-windows-x64.zip; its listing is the two
# programs, the readme, every shipped data file and the licences, and nothing else; the
# programs are GUI programs that load only Windows' own DLLs and carry the icon and version
# resources; unzipped into a folder with a space in its name, the windowed game started from
# another folder runs under Wine on the real data, music too, and Esc ends it with status 0.
# usage: windows_zip.sh BUILD_DIR SOURCE_DIR VERSION WINE_RUN
set -euo pipefail
build=$1
source_dir=$2
version=$3
wine_run=$4
fail() { echo "windows_zip: $*" >&2; exit 1; }
name=tarnwick-$version-windows-x64

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G ZIP -B "$work/out" >"$work/cpack.log" 2>&1) || fail "cpack: $(tail -5 "$work/cpack.log")"
zip=$work/out/$name.zip
[ -f "$zip" ] || fail "no $name.zip: $(ls "$work/out")"

unzip -Z1 "$zip" | grep -v '/$' | sort >"$work/listing"
{
  printf '%s\n' "$name/Tarnwick.exe" "$name/TarnwickWindowed.exe" "$name/README.txt"
  for l in SDL2 mingw-w64-runtime gcc-runtime stb glad; do echo "$name/licences/$l.txt"; done
  (cd "$source_dir" && find data -path data/maps -prune -o -type f -print | sed "s|^|$name/|")
} | sort >"$work/expected"
diff "$work/expected" "$work/listing" >"$work/diff" || fail "the zip's listing differs (< missing, > extra): $(cat "$work/diff")"

unzip -q "$zip" -d "$work/My Games"
folder="$work/My Games/$name"
for exe in Tarnwick TarnwickWindowed; do
  x86_64-w64-mingw32-objdump -p "$folder/$exe.exe" >"$work/$exe.headers"
  grep -q 'Subsystem.*(Windows GUI)' "$work/$exe.headers" || fail "$exe.exe is not a GUI program"
  dlls=$(sed -n 's/.*DLL Name: //p' "$work/$exe.headers" | tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')
  for dll in $dlls; do
    case $dll in
      kernel32.dll | user32.dll | gdi32.dll | winmm.dll | imm32.dll | ole32.dll | oleaut32.dll | version.dll | \
        advapi32.dll | setupapi.dll | shell32.dll | opengl32.dll | msvcrt.dll | api-ms-win-*) ;;
      *) fail "$exe.exe needs $dll, which Windows does not have" ;;
    esac
  done
  # The version block (UTF-16) and the icon's 256-pixel PNG are in the resources.
  grep -qaP 'V\x00S\x00_\x00V\x00E\x00R\x00S\x00I\x00O\x00N\x00_\x00I\x00N\x00F\x00O' "$folder/$exe.exe" ||
    fail "$exe.exe has no version information"
  grep -qaP "P\x00r\x00o\x00d\x00u\x00c\x00t\x00V\x00e\x00r\x00s\x00i\x00o\x00n\x00\x00\x00$(echo "$version" | sed 's/./&\\x00/g')" \
    "$folder/$exe.exe" || fail "$exe.exe's version information does not say $version"
done
echo "listing: $(wc -l <"$work/listing") files as expected; both programs GUI, system DLLs only: $dlls"

[ -n "${DISPLAY:-}" ] || { echo "windows_zip: no DISPLAY to start the game on (scripts/test gives one)"; exit 77; }
cd "$work"
SDL_AUDIODRIVER=dummy TARNWICK_NO_MESSAGE_BOX=1 "$wine_run" "$folder/TarnwickWindowed.exe" >out.txt 2>err.txt &
pid=$!
wid=
for _ in $(seq 120); do
  # A search can fail outright while some other window goes away: ask again.
  wid=$(xdotool search --onlyvisible --name '^Tarnwick$' 2>/dev/null | head -n 1) || true
  [ -n "$wid" ] && break
  sleep 0.5
done
[ -n "$wid" ] || fail "no window: $(cat err.txt)"
sleep 2
xdotool key --window "$wid" Escape
code=0
wait $pid || code=$?
[ "$code" -eq 0 ] || fail "the unzipped game ended with $code: $(cat err.txt)"
# Started from another folder, as a shortcut may: the music beside the program is still found.
if grep -q 'music' err.txt; then fail "started from elsewhere: $(cat err.txt)"; fi
echo "unzipped into \"My Games\": started on the shipped data, Esc gave 0: ok"
