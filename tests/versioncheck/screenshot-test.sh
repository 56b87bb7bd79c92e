#!/usr/bin/env bash
# Shows the version window of the check test (a newer version announced), saves the X screen as PNG while it
# waits, and checks that the picture is not blank.
set -u
exe=$1 out=$2
top=$(cd "$(dirname "$0")/../.." && pwd)
source "$top/tools/wine-env"
wine_env_prefix
trap wine_env_stop EXIT
wine_env_display
mkdir -p "$(dirname "$out")"
rm -f "$out"
(cd "$(dirname "$exe")" && VELQUIN_HOLD_MS=4000 wine "$exe" \
    --gtest_filter='VersionCheck.NewerVersionShowsWindowAndOkStartsTheDownload' >/dev/null) &
pid=$!
for i in $(seq 100); do
    xwininfo -root -tree 2>/dev/null | grep -q '"\[버전 확인\]"' && break
    sleep 0.1
done
sleep 0.7
"$top/tools/screenshot" "$out"
wait $pid
rc=$?
[ $rc -eq 0 ] || { echo "the version window test failed ($rc)"; exit 1; }
[ -s "$out" ] || { echo "no screenshot at $out"; exit 1; }
colours=$(/usr/bin/convert "$out" -format '%k' info:)
echo "screenshot $out: $colours colours"
[ "$colours" -gt 2 ] || { echo "the screenshot is blank"; exit 1; }
