#!/usr/bin/env bash
# Shows the UI tests' Korean window, saves the X screen as PNG and checks the picture is not blank.
set -u
exe=$1 out=$2
top=$(cd "$(dirname "$0")/../.." && pwd)
source "$top/tools/wine-env"
wine_env_prefix
trap wine_env_stop EXIT
wine_env_display
mkdir -p "$(dirname "$out")"
rm -f "$out"
VELQUIN_HOLD_MS=4000 wine "$exe" --gtest_filter='UiWindow.ShowsKoreanWindow' >/dev/null &
pid=$!
for i in $(seq 100); do
    xwininfo -root -tree 2>/dev/null | grep -q '"벨퀸 화면 시험"' && break
    sleep 0.1
done
sleep 0.7
"$top/tools/screenshot" "$out"
wait $pid
rc=$?
[ $rc -eq 0 ] || { echo "the window test failed ($rc)"; exit 1; }
[ -s "$out" ] || { echo "no screenshot at $out"; exit 1; }
colours=$(/usr/bin/convert "$out" -format '%k' info:)
echo "screenshot $out: $colours colours"
[ "$colours" -gt 2 ] || { echo "the screenshot is blank"; exit 1; }
