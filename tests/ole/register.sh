#!/usr/bin/env bash
# Registers the stand-in OLE servers in the test Wine prefix, or with -u removes them.
# Arguments: the in-process server DLL and the local server .exe.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
undo=
if [ "${1:-}" = -u ]; then
    undo=1
    shift
fi
dll=$1 exe=$2
# Wine's drive Z: is the root of the file system.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
if [ -n "$undo" ]; then
    "$top/tools/wine-run" regsvr32 /s /u "$(windows_path "$dll")"
    "$top/tools/wine-run" "$exe" /UnregServer
else
    "$top/tools/wine-run" regsvr32 /s "$(windows_path "$dll")"
    "$top/tools/wine-run" "$exe" /RegServer
fi
