#!/usr/bin/env bash
# Prints 100 rows of the list through the file printer of the test prefix, renders the PostScript with
# Ghostscript, checks the pages and the rows drawn on them, and keeps the first page as a picture.
#   printed.sh PICTURE PROGRAM
set -u
picture=$1 exe=$2
top=$(cd "$(dirname "$0")/../.." && pwd)
source "$top/tools/wine-env"
wine_env_prefix
trap 'wine_env_stop; rm -rf "$tmp"' EXIT
wine_env_display
tmp=$(mktemp -d)
ps=$tmp/printed.ps
(cd "$(dirname "$exe")" && VELQUIN_PRINT_OUT="Z:${ps//\//\\}" wine "$exe" --gtest_brief=1 --gtest_filter=Printed.*) ||
    { echo "the printing test failed"; exit 1; }
[ -s "$ps" ] || { echo "nothing was printed to $ps"; exit 1; }
gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pgmraw -r50 -sOutputFile="$tmp/page-%d.pgm" "$ps" || exit 1
pages=$(ls "$tmp"/page-*.pgm | wc -l)
[ "$pages" -eq 3 ] || { echo "Ghostscript rendered $pages pages, not 3"; exit 1; }
# Lines across the page (the row underlines, the header line and the heading box's two edges) are long dark runs.
/usr/bin/python3 - "$tmp" <<'PY' || exit 1
import sys
def lines(path):
    data = open(path, "rb").read()
    fields, at = [], 0
    while len(fields) < 4:  # P5, width, height, maximum; '#' starts a comment
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b"#":
            at = data.index(b"\n", at) + 1
            continue
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    w, h = int(fields[1]), int(fields[2])
    pix = data[at + 1:]
    found, previous = 0, False
    for y in range(h):
        row = pix[y * w:(y + 1) * w]
        long_line = sum(1 for p in row if p < 128) > 300  # 7.4 in at 50 dpi is 371 pixels
        if long_line and not previous:
            found += 1
        previous = long_line
    return found
got = [lines(f"{sys.argv[1]}/page-{n}.pgm") for n in (1, 2, 3)]
want = [45 + 3, 45 + 3, 10 + 3]
print("lines across pages 1-3:", got)
sys.exit(0 if got == want else 1)
PY
mkdir -p "$(dirname "$picture")"
gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r100 -dFirstPage=1 -dLastPage=1 -sOutputFile="$picture" "$ps"
[ -s "$picture" ] || { echo "no picture of the printed page"; exit 1; }
echo "printed page: $picture"
