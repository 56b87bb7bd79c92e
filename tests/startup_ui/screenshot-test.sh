#!/usr/bin/env bash
# Starts the real Velquin.exe in an empty folder, saves the screen once its main window shows the library path,
# then ends it.
set -u
exe=$1 out=$2
top=$(cd "$(dirname "$0")/../.." && pwd)
source "$top/tools/wine-env"
wine_env_prefix
trap wine_env_stop EXIT
wine_env_display
work=$(mktemp -d)
cp "$exe" "$(dirname "$exe")/Brovana.dll" "$work/"
printf '[Velquin]\r\nWord ID=Word.Document.8\r\nExcel ID=Excel.Sheet.8\r\nPowerPoint ID=PowerPoint.Show.8\r\n' \
    >"$work/Velquin.INI"
mkdir -p "$(dirname "$out")"
rm -f "$out"
(cd "$work" && VELQUIN_VERSION_URL=http://127.0.0.1:9/ wine Velquin.exe >/dev/null 2>&1) &
pid=$!
for i in $(seq 100); do
    xwininfo -root -tree 2>/dev/null | grep -q '"Velquin - ' && break
    sleep 0.1
done
sleep 1
"$top/tools/screenshot" "$out"
xwininfo -root -tree | grep -q '"Velquin - ' || { echo "the main window did not show"; kill $pid; exit 1; }
kill $pid 2>/dev/null
wait $pid 2>/dev/null
rm -rf "$work"
[ -s "$out" ] || { echo "no screenshot"; exit 1; }
echo "screenshot $out"
