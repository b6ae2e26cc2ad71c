#!/usr/bin/env python3
"""Writes small seed files for the open fuzzer: a current file with every
table, a legacy 2.20 file with every legacy record type, and a header-only file."""
import os
import struct
import sys

out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "seeds")
os.makedirs(out, exist_ok=True)


def header(version, items=100, strings=100):
    h = bytearray(1024)
    struct.pack_into("<Ii10s", h, 0, 1024, version, b"Omrin DBE\0")
    struct.pack_into("<IIdd", h, 256, items, strings, 39203.0, 39233.0)
    return h


def record(state, rtype, rid, data, size=None):
    return struct.pack("<BBHII", state, rtype, 0, rid, len(data) if size is None else size) + data


def string(sid, text, state=0):
    k = next(k for k in range(1, 8) if len(text) < 4 ** (k + 1))
    slot = text + b"\0" * (4 ** (k + 1) - len(text))
    return record(state, k, sid, slot)


def transaction(date, frm, to, amount, desc=0):
    return struct.pack("<dIIqqfIIIII", date, frm, to, amount, amount, 1.0, 0, 0, 0, desc, 0)


current = header(230, 120, 110)
current += string(101, b"$") + record(0, 100, 101, struct.pack("<III", 101, 0, 0))
current += string(102, b"Cash") + record(0, 103, 102, struct.pack("<IIIIIB3xddq", 102, 0, 101, 0, 0, 1, 39203, 39233, 50000))
current += string(103, b"Food") + record(0, 102, 103, struct.pack("<IIIB3x", 103, 0, 2, 1))
current += record(0, 104, 104, struct.pack("<IId", 101, 105, 1.3), size=0)
current += string(104, b"Bread") + record(0, 204, 106, transaction(39205.5, 102, 0, 12500, 104))
current += record(1, 204, 107, transaction(39206, 0, 102, 99))
current += record(0, 0, 0, b"xx") + record(0, 250, 9, b"abc")
current += record(0, 205, 108, struct.pack("<B7xddH7B7x", 3, 39200, 0, 0, 1, 0, 1, 0, 0, 0, 0) + transaction(39200, 102, 0, 10000))
current += string(105, b"deleted text that is long", state=1)

legacy = header(220, 120, 101)
legacy += string(101, b"Old")
legacy += record(0, 101, 110, struct.pack("<IIII", 101, 0, 100, 0))
leg = struct.pack("<dIfqIIIIII", 39000.0, 110, 1.0, 10000, 0, 0, 0, 101, 0, 0)
legacy += record(0, 200, 111, leg) + record(0, 201, 112, leg) + record(0, 202, 113, leg)
legacy += record(0, 203, 114, leg + struct.pack("<IIq", 115, 0, 20000)) + record(1, 201, 116, leg)

for name, data in (("current.vlt", current), ("legacy220.vlt", legacy), ("empty.vlt", header(230))):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)
