#!/usr/bin/env bash
# Starts the real Velquin.exe in an empty folder (Office identifiers set; the version page's placeholder host does
# not resolve, so the check fails at once) and saves the screen once its main window shows the library path.
set -u
exe=$1 out=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$exe" "$(dirname "$exe")/Brovana.dll" "$work/"
printf '[Velquin]\r\nWord ID=Word.Document.8\r\nExcel ID=Excel.Sheet.8\r\nPowerPoint ID=PowerPoint.Show.8\r\n' \
    >"$work/Velquin.INI"
bash "$(dirname "$0")/../screenshot-while.sh" "$out" "Velquin - " --end \
    "$work/Velquin.exe"
