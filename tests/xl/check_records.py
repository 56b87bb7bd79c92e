"""Reads the sample .xls workbooks record by record and checks the records that strict readers expect, laid out as
BIFF8 lays them out: five FONT records at least, EXTSST pointing at the shared texts, and per sheet an INDEX right
after BOF that points at DEFCOLWIDTH and at one DBCELL per block of 32 rows, each DBCELL pointing back at its ROW
records and at each row's first cell, and an 18-byte WINDOW2."""
import struct
import sys
from pathlib import Path

import xlrd.compdoc

folder = Path(sys.argv[1])
failures = []

BOF, EOF, FONT, SST, CONTINUE, EXTSST = 0x0809, 0x000A, 0x0031, 0x00FC, 0x003C, 0x00FF
INDEX, DEFCOLWIDTH, ROW, DBCELL, WINDOW2, BOUNDSHEET = 0x020B, 0x0055, 0x0208, 0x00D7, 0x023E, 0x0085
CELLS = {0x00FD, 0x027E, 0x0203, 0x0201, 0x0006, 0x0205, 0x00BD, 0x00BE}  # records that carry a cell


def check(got, want, what):
    if got != want:
        failures.append(f"{what}: got {got!r}, want {want!r}")
        return False
    return True


def records(stream):
    """(position, type, body) of each record in the stream."""
    out, at = [], 0
    while at + 4 <= len(stream):
        kind, size = struct.unpack_from("<HH", stream, at)
        out.append((at, kind, stream[at + 4:at + 4 + size]))
        at += 4 + size
    check(at, len(stream), "records end with the stream")
    return out


def sst_starts(recs, first):
    """Where each shared text starts: (stream position, offset in its record with the header), in text order."""
    starts = []
    i = first
    pos, body = recs[i][0], recs[i][2]
    unique = struct.unpack_from("<I", body, 4)[0]
    off = 8
    for _ in range(unique):
        if off >= len(body):  # a text never starts in the middle of nothing: the next record holds it
            i += 1
            check(recs[i][1], CONTINUE, "SST goes on in CONTINUE")
            pos, body, off = recs[i][0], recs[i][2], 0
        starts.append((pos + 4 + off, 4 + off))
        chars, flags = struct.unpack_from("<HB", body, off)
        off += 3
        size = 2 if flags & 1 else 1
        while chars:
            n = min(chars, (len(body) - off) // size)
            off += n * size
            chars -= n
            if chars:
                i += 1
                check(recs[i][1], CONTINUE, "a split text goes on in CONTINUE")
                pos, body = recs[i][0], recs[i][2]
                size = 2 if body[0] & 1 else 1
                off = 1
    return unique, starts, i


def check_globals(name, recs):
    kinds = [k for _, k, _ in recs]
    check(kinds[0], BOF, f"{name}: globals start with BOF")
    fonts = [b for _, k, b in recs[:kinds.index(EOF)] if k == FONT]
    if len(fonts) < 5:
        failures.append(f"{name}: {len(fonts)} FONT records, the table needs 5")
    for n, b in enumerate(fonts):
        length = b[14]
        check(len(b), 16 + length * (2 if b[15] & 1 else 1), f"{name}: FONT {n} length")
    if not check(SST in kinds, True, f"{name}: SST"):
        return
    first = kinds.index(SST)
    unique, starts, last = sst_starts(recs, first)
    ext = last + 1
    if not check(kinds[ext], EXTSST, f"{name}: EXTSST right after the SST"):
        return
    body = recs[ext][2]
    dsst = struct.unpack_from("<H", body)[0]
    if dsst < 8:
        failures.append(f"{name}: EXTSST holds {dsst} texts a bucket, at least 8")
    buckets = (unique + dsst - 1) // dsst
    check(len(body), 2 + 8 * buckets, f"{name}: EXTSST size for {unique} texts of {dsst} a bucket")
    if buckets > 128:
        failures.append(f"{name}: {buckets} EXTSST buckets, at most 128")
    for n in range(min(buckets, (len(body) - 2) // 8)):
        ib, cb, reserved = struct.unpack_from("<IHH", body, 2 + 8 * n)
        check((ib, cb, reserved), starts[n * dsst] + (0,), f"{name}: EXTSST bucket {n}")
    check(kinds[ext + 1], EOF, f"{name}: EOF after EXTSST")


def check_sheet(name, stream, start):
    recs = records(stream[start:])
    recs = [(at + start, k, b) for at, k, b in recs[:[k for _, k, _ in recs].index(EOF) + 1]]
    by_pos = {at: (k, b) for at, k, b in recs}
    kinds = [k for _, k, _ in recs]
    windows = [b for _, k, b in recs if k == WINDOW2]
    check([len(b) for b in windows], [18], f"{name}: one WINDOW2 of 18 bytes")
    if not check(kinds[:3], [BOF, INDEX, DEFCOLWIDTH], f"{name}: BOF, INDEX, DEFCOLWIDTH"):
        return
    body = recs[1][2]
    _, rw_mic, rw_mac, ib_xf = struct.unpack_from("<IIII", body)
    dbcells = list(struct.unpack_from(f"<{(len(body) - 16) // 4}I", body, 16))
    check(by_pos.get(ib_xf, (None,))[0], DEFCOLWIDTH, f"{name}: INDEX points at DEFCOLWIDTH")
    cell_rows = sorted({struct.unpack_from("<H", b)[0] for _, k, b in recs if k in CELLS})
    check((rw_mic, rw_mac), (cell_rows[0], cell_rows[-1] + 1) if cell_rows else (0, 0), f"{name}: INDEX rows")
    row_recs = [(at, struct.unpack_from("<H", b)[0]) for at, k, b in recs if k == ROW]
    all_rows = sorted({r for _, r in row_recs} | set(cell_rows))
    blocks = all_rows[-1] // 32 - all_rows[0] // 32 + 1 if all_rows else 0
    check(len(dbcells), blocks, f"{name}: one DBCELL a block of 32 rows")
    check(set(cell_rows) <= {r for _, r in row_recs}, True, f"{name}: every row with cells has a ROW record")
    check(len(dbcells), kinds.count(DBCELL), f"{name}: INDEX lists every DBCELL")
    for n, at in enumerate(dbcells):
        kind, b = by_pos.get(at, (None, b""))
        if not check(kind, DBCELL, f"{name}: INDEX entry {n} points at a DBCELL"):
            break
        back = struct.unpack_from("<I", b)[0]
        block = [(p, r) for p, r in row_recs if r // 32 == all_rows[0] // 32 + n]
        offsets = struct.unpack_from(f"<{(len(b) - 4) // 2}H", b, 4)
        check(len(offsets), len(block), f"{name}: DBCELL {n} has an offset a row")
        if not block:
            check(back, 0, f"{name}: DBCELL {n} of an empty block")
            continue
        if not check(at - back, block[0][0], f"{name}: DBCELL {n} points back at its first ROW"):
            continue
        cell = block[0][0] + 4 + 16  # the end of the first ROW record
        for (_, row), off in zip(block, offsets):
            cell += off
            kind, b = by_pos.get(cell, (None, b"\0\0"))
            if kind in CELLS:
                check(struct.unpack_from("<H", b)[0], row, f"{name}: DBCELL {n} first cell of row {row}")
            elif row in cell_rows:
                failures.append(f"{name}: DBCELL {n} does not point at row {row}'s first cell")
                break


def check_book(name):
    stream = xlrd.compdoc.CompDoc((folder / name).read_bytes()).get_named_stream("Workbook")
    recs = records(stream)
    globals_end = [k for _, k, _ in recs].index(EOF) + 1
    check_globals(name, recs[:globals_end + 1])
    for _, k, b in recs[:globals_end]:
        if k == BOUNDSHEET:
            check_sheet(f"{name} sheet at {struct.unpack_from('<I', b)[0]}", stream, struct.unpack_from("<I", b)[0])


check_book("small.xls")
check_book("big.xls")
for f in failures[:40]:
    print(f)
sys.exit(1 if failures else 0)
