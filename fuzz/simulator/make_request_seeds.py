#!/usr/bin/env python3
"""Writes seed inputs for motionsim_request_fuzz into seeds/request/: request frames in
motionsim's wire format (4-byte little-endian length, then handle u32, invoke kind u8,
member form u8 with an i32 id or u16-length name, u8 argument count, each argument a flag
byte and a tagged value). Run from this folder: python3 make_request_seeds.py"""
import os
import struct

APP, DOC, INPUTS, INPUT, BODIES, BODY = (k << 24 for k in (1, 2, 3, 4, 5, 6))
METHOD, GET, PUT = 1, 2, 4


def value(v):
    if v is None:
        return b"\x00"
    if isinstance(v, tuple) and v[0] == "i2":
        return b"\x01" + struct.pack("<h", v[1])
    if isinstance(v, int):
        return b"\x02" + struct.pack("<i", v)
    if isinstance(v, float):
        return b"\x03" + struct.pack("<d", v)
    if isinstance(v, str):
        b = v.encode()
        return b"\x04" + struct.pack("<H", len(b)) + b
    raise TypeError(v)


def request(handle, kind, member, args=()):
    body = struct.pack("<IB", handle, kind)
    if isinstance(member, str):
        body += b"\x01" + struct.pack("<H", len(member)) + member.encode()
    else:
        body += b"\x00" + struct.pack("<i", member)
    body += bytes([len(args)])
    for arg, by_ref in args:
        body += bytes([1 if by_ref else 0]) + value(arg)
    return struct.pack("<I", len(body)) + body


SEEDS = {
    "attach": request(APP, GET, 6) + request(DOC, GET, 5),
    "version": request(APP, GET, 11) + request(DOC, GET, 1),
    "probe": request(DOC, METHOD, 28, [(0, False)]) + request(DOC, METHOD, 28, [(1, False)])
    + request(DOC, GET, 12),
    "transfer": request(APP, METHOD, 9) + request(APP, METHOD, 14) + request(DOC, METHOD, 27)
    + request(DOC, PUT, 13, [(("i2", 0), False)])
    + request(INPUTS, GET, "Item", [("Hub", False)]) + request(INPUT, PUT, "InputValue", [(12.5, False)])
    + request(DOC, METHOD, 22, [(3, False)]) + request(DOC, METHOD, 23),
    "inputs": request(INPUTS, GET, "Count") + request(INPUTS, GET, "Item", [(("i2", 2), False)])
    + request(INPUT + 1, GET, "Name") + request(INPUT + 1, GET, "ID"),
    "bodies": request(DOC, GET, 6) + request(BODIES, GET, "Count")
    + request(DOC, GET, 6, [(3, True)]) + request(BODY + 2, GET, 0x20001) + request(BODY + 2, GET, 0x20002)
    + request(BODY + 2, METHOD, 20, [(0.0, True)] * 6),
    "frames": request(DOC, GET, 7) + request(DOC, GET, 13) + request(DOC, METHOD, 22, [(999, False)]),
}

os.makedirs("seeds/request", exist_ok=True)
for name, data in SEEDS.items():
    with open(os.path.join("seeds/request", name), "wb") as f:
        f.write(data)
