#!/usr/bin/python3
"""Checks Brovana.dll's export table from outside, as objdump reads it: exactly the expected names at their
ordinals, and each function removing its own arguments (__stdcall: ret with the argument bytes).

usage: check_exports.py [--names-only] OBJDUMP Brovana.dll
  --names-only  names and ordinals alone, for a 64-bit DLL (one calling convention, the caller cleans up)
"""
import re
import subprocess
import sys

# name -> (ordinal, bytes of arguments the function removes on return)
EXPECTED = {
    "ViewIEWindow": (1, 8),
    "CloseIEWindow": (2, 0),
    "GoUrl": (3, 4),
    "SetIEWinSize": (4, 8),
    "GetIEWinSize": (5, 16),
    "GetDesktopSize": (6, 16),
    "GoIEHome": (7, 0),
    "GoIEForward": (8, 0),
    "GoIEBack": (9, 0),
    "GoIEStop": (10, 0),
    "GetIEForward": (11, 0),
    "GetIEBack": (12, 0),
    "ShowIEAddressBar": (13, 4),
    "ShowIEMenuBar": (14, 4),
    "ShowIEToolBar": (15, 4),
    "ShowIEStatusBar": (16, 4),
    "IsIEWindow": (17, 0),
    "ShowNewWindow": (18, 4),
    "SetIETopWindow": (19, 4),
    "GetIEBusy": (20, 0),
    "GetIEComplete": (21, 0),
    "GetIEMousePos": (22, 16),
    "IEMouseClick": (23, 8),
    "IEInputString": (24, 4),
    "IEInputChar": (25, 4),
    "IEMouseInputString": (26, 12),
    "FindProgram": (27, 4),
    "FindControl": (28, 12),
    "CtrlEditString": (29, 8),
    "ButtonClick": (30, 4),
    "WindowClose": (31, 4),
    "IEMouseMove": (32, 8),
    "IEGetCursorType": (33, 0),
    "SetTopWindow": (34, 8),
    "SetActWindow": (35, 4),
    "SetHideWindow": (36, 4),
    "SetWindowSize": (37, 20),
    "IsFindWindow": (38, 4),
    "IEMouseDrag": (39, 16),
    "IEScrollPage": (40, 8),
    "IEPageScroll": (41, 12),
    "GetIEWinTitle": (42, 4),
    "GetHtmlLength": (43, 8),
    "GetHtmlSource": (44, 0),
    "ClearHtmlSource": (45, 0),
    "WinVersion": (46, 0),
    "ShowMouseCursor": (47, 4),
    "IEMouseMove2": (48, 8),
    "IEMouseClick2": (49, 8),
    "IESetForegroundWin": (50, 0),
    "IEClickInterval": (51, 12),
    "IEClickMiddleBtn": (52, 20),
    "IEMouseInputNumber": (53, 12),
    "Check_HangeulCode": (54, 8),
    "MouseMove": (55, 8),
    "MouseClick": (56, 8),
    "GetTickCounts": (57, 0),
    "MevMailSend": (58, 48),
    "IsUserAdmin": (59, 0),
    "IEVersion": (60, 0),
    "IEMouseInputString2": (61, 12),
    "IEInputString2": (62, 4),
}


def exports(objdump, dll):
    """{name: ordinal} from the export table."""
    text = subprocess.run([objdump, "-p", dll], check=True, capture_output=True, text=True).stdout
    base = re.search(r"Ordinal Base (\d+)", text)
    if not base:
        sys.exit("no export table in " + dll)
    base = int(base.group(1))
    table = text.split("[Ordinal/Name Pointer] Table", 1)[1].split("\n\n", 1)[0]
    found = {}
    for line in table.strip().splitlines():
        # "[   0] Name" (index from the ordinal base) or, in newer binutils, "[   0] +base[  43] 0000 Name".
        m = re.match(r"\s*\[\s*(\d+)\]\s+(?:\+base\[\s*(\d+)\]\s+[0-9a-f]+\s+)?(\S+)", line)
        if not m:
            sys.exit("cannot read the export line: " + line)
        ordinal = int(m.group(2)) if m.group(2) else base + int(m.group(1))
        found[m.group(3)] = ordinal
    return found


def returns(objdump, dll, name, args):
    """The ret instructions of the function's code (empty when the symbol is not in the file)."""
    return symbol_returns(objdump, dll, "_%s@%d" % (name, args), args, 2)


def symbol_returns(objdump, dll, symbol, args, depth):
    """The ret instructions of the symbol's code and of the functions it tail-calls, depth calls deep."""
    text = subprocess.run([objdump, "-d", "--disassemble=" + symbol, dll], check=True, capture_output=True,
                          text=True).stdout
    # Only the function's own block: objdump goes on to the next symbol, which may be another function's.
    start = text.find("<%s>:" % symbol)
    if start < 0:
        return []
    body = re.split(r"\n[0-9a-f]+ <[^>]+>:", text[start:], maxsplit=2)[0]
    rets = re.findall(r"\tret[ \t]*(\S*)", body)
    if not rets and re.search(r"\tjmp\s+\*", body):
        # A tail call into an import: the compiler makes one only when that function removes the same argument
        # bytes, so the caller's frame is handed on unchanged.
        return ["$0x%x" % args if args else ""]
    # A tail call into a function of the library (a jump to the start of another symbol) returns from that
    # function, so its rets are this function's as well.
    if depth > 0:
        for target in sorted(set(re.findall(r"\tjmp\s+[0-9a-f]+ <([^>+]+)>", body)) - {symbol}):
            rets += symbol_returns(objdump, dll, target, args, depth - 1)
    return rets


def main():
    args = sys.argv[1:]
    names_only = args[:1] == ["--names-only"]
    if names_only:
        args = args[1:]
    objdump, dll = args
    found = exports(objdump, dll)
    expected = {name: ordinal for name, (ordinal, _) in EXPECTED.items()}
    failed = False
    if found != expected:
        print("export table: got", sorted(found.items(), key=lambda x: x[1]))
        print("      expected", sorted(expected.items(), key=lambda x: x[1]))
        failed = True
    for name, (_, args) in ({} if names_only else EXPECTED).items():
        rets = returns(objdump, dll, name, args)
        want = "$0x%x" % args if args else ""
        if not rets:
            print("%s: no code found for _%s@%d" % (name, name, args))
            failed = True
        elif any(r != want for r in rets):
            print("%s: returns with %s, expected ret %s" % (name, rets, want or "(no operand)"))
            failed = True
    if failed:
        sys.exit(1)
    print("exports:", ", ".join("%s @%d" % (n, o) for n, o in sorted(found.items(), key=lambda x: x[1])))


main()
