#!/usr/bin/env bash
# Runs a Windows program in the Wine environment, saves the X screen as PNG once a window with the given title
# shows, and checks that the picture is not blank.
#   screenshot-while.sh OUT TITLE [--end] PROGRAM ARGS...
# The program runs in its own folder and may hold its window open with VELQUIN_HOLD_MS (the test programs do);
# it must end by itself with exit code 0, or with --end it is ended after the screenshot.
set -u
out=$1 title=$2
shift 2
end=0
[ "${1:-}" = --end ] && { end=1; shift; }
exe=$1
shift
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/tools/wine-env"
wine_env_prefix
trap wine_env_stop EXIT
wine_env_display
mkdir -p "$(dirname "$out")"
rm -f "$out"
(cd "$(dirname "$exe")" && VELQUIN_HOLD_MS=4000 wine "$exe" "$@" >/dev/null 2>&1) &
pid=$!
# A loaded machine may take many seconds to start a Wine program.
shown=0
for i in $(seq 600); do
    xwininfo -root -tree 2>/dev/null | grep -qF "\"$title" && { shown=1; break; }
    sleep 0.1
done
[ $shown = 1 ] || { echo "no window titled $title showed"; kill $pid 2>/dev/null; exit 1; }
sleep 0.7
# The window's client area on the screen (a black or empty area is one colour). On a loaded machine the window may
# still be drawing: the screen is read again while the window shows and its area is one colour.
id=$(xwininfo -root -tree 2>/dev/null | grep -F "\"$title" | awk '{print $1}' | head -1)
for attempt in $(seq 20); do
    "$top/tools/screenshot" "$out"
    area=$(xwininfo -id "$id" 2>/dev/null | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /Width:/ {w=$NF} /Height:/ {h=$NF} END {if (w && h) printf "%dx%d+%d+%d", w, h, x, y}')
    [ -s "$out" ] && [ -n "$area" ] || break
    [ "$(/usr/bin/convert "$out" -crop "$area" +repage -format '%k' info:)" -gt 1 ] && break
done
if [ $end = 1 ]; then
    kill $pid 2>/dev/null
    wait $pid 2>/dev/null
    # Under a persistent wineserver the Windows process outlives its launcher: end it too, or it would keep
    # holding what it holds (the program's single-instance mark) for the tests after it.
    pkill -f -- "^$exe" 2>/dev/null
    for i in $(seq 50); do pgrep -f -- "^$exe" >/dev/null || break; sleep 0.1; done
else
    wait $pid
    rc=$?
    [ $rc -eq 0 ] || { echo "the program failed ($rc)"; exit 1; }
fi
[ -s "$out" ] || { echo "no screenshot at $out"; exit 1; }
colours=$(/usr/bin/convert "$out" -format '%k' info:)
echo "screenshot $out: $colours colours"
[ "$colours" -gt 2 ] || { echo "the screenshot is blank"; exit 1; }
[ -n "$area" ] || { echo "the window titled $title was gone before its area was read"; exit 1; }
inside=$(/usr/bin/convert "$out" -crop "$area" +repage -format '%k' info:)
echo "client area $area: $inside colours"
[ "$inside" -gt 1 ] || { echo "the client area of $title is one colour: nothing was drawn"; exit 1; }
