"""Reads a sample library with the sqlite3 shell alone and compares records and key orders with what the
driver read (sample-driver.txt beside it). Text columns are UTF-8 text or, where the bytes are not CP949, the
bytes themselves; keys follow the index columns with nothing registered in the shell."""
import subprocess
import sys
from pathlib import Path

folder = Path(sys.argv[1])
db = folder / "sample.VL1"
driver = (folder / "sample-driver.txt").read_text().split("\n")


def shell(sql):
    out = subprocess.run(["/usr/bin/sqlite3", "-batch", "-separator", " ", str(db), sql],
                         check=True, capture_output=True).stdout.decode("ascii")
    return [line for line in out.split("\n") if line]


def text(column):
    """SQL giving a text column as its kind and hex bytes."""
    return f"typeof({column})||':'||hex({column})"


def cp949(cell):
    """The CP949 bytes of a text column given as kind:hex."""
    kind, _, data = cell.partition(":")
    raw = bytes.fromhex(data)
    if kind == "text":
        return raw.decode("utf-8").encode("cp949")
    if kind != "blob":
        raise SystemExit(f"unexpected column kind {kind}")
    return raw


def slot(cell, n, width):
    """Slot n of an array column: a line of its text, or a piece of its bytes."""
    kind = cell.partition(":")[0]
    raw = cp949(cell)
    if kind == "text":
        lines = raw.split(b"\n")
        return lines[n] if n < len(lines) else b""
    return raw[n * width:(n + 1) * width].rstrip(b" ")


numbers = ["tree", "sort", "level", "dno", "node", "user", "date", "time", "cdate", "size"]
texts = ['"index"', "ext", "subj", "tag", "afile", "aremark"]
rows = shell("SELECT pos, " + ", ".join(numbers) + ", " + ", ".join(text(t) for t in texts) +
             ", hex(coalesce((SELECT data FROM office_note n WHERE n.pos=o.pos), x'')) FROM office o ORDER BY pos")
failures = []
seen = []
for row in rows:
    cells = row.split(" ")
    afile, aremark = cells[15], cells[16]
    texts_got = [cp949(c) for c in cells[11:15]] + [slot(afile, 0, 64), slot(afile, 9, 64), slot(aremark, 0, 60)]
    got = cells[:11] + [t.hex().upper() for t in texts_got] + [cells[17]]
    seen.append("record " + " ".join(got))
want = [line for line in driver if line.startswith("record ")]
for a, b in zip(seen, want):
    if a.rstrip() != b.rstrip():
        failures.append(f"shell:  {a}\ndriver: {b}")
if len(seen) != len(want):
    failures.append(f"shell lists {len(seen)} records, the driver {len(want)}")

orders = {
    "TREE_KEY": 'WHERE tree<>0 ORDER BY tree, pos',
    "NODE_KEY": 'WHERE node<>0 OR date<>0 ORDER BY node, date DESC, pos',
    "DNO_KEY": 'WHERE dno<>0 ORDER BY dno, pos',
    "DATE_KEY": 'WHERE date<>0 OR time<>0 ORDER BY date DESC, time DESC, pos',
    "INDEX_KEY": "WHERE index_upper<>x'20202020202020202020' ORDER BY index_upper, pos",
}
for line in driver:
    if not line.startswith("key "):
        continue
    name, *positions = line.split(" ")[1:]
    listed = shell(f"SELECT pos FROM office {orders[name]}")
    if listed != positions:
        failures.append(f"{name}: shell {listed}, driver {positions}")

if failures:
    print("\n".join(failures))
    sys.exit(1)
print(f"the shell agrees on {len(seen)} records and {len(orders)} key orders")
