#!/usr/bin/env python3
"""Builds a cam drive with the kernel's automation server from Python and prints it.

The drive over one turn (z in degrees): a modified-sine rise of 50 from 0 to 120 degrees,
a dwell to 180, a modified-sine return to 300 and a dwell to 360, periodic. It is compiled,
tabulated (z, f, f', f'', f''') and printed as the kernel's HTML table.

Needs the veldrive module on PYTHONPATH, libVelDrive.so on LD_LIBRARY_PATH and the
library registered (kinetra-regsvr libVelDrive.so); see README.md.
"""

import sys

import veldrive

# (z0, f0, segment type) of each segment; the last one only marks the drive's end point.
SEGMENTS = [
    (0, 0, "ModSine"),
    (120, 50, "Linear"),
    (180, 50, "ModSine"),
    (300, 0, "Linear"),
    (360, 0, "Linear"),
]


def build_drive(server):
    drv = server.newDrive("demo")
    for z0, f0, law in SEGMENTS:
        seg = server.segment(law)
        seg.z0 = z0
        seg.f0 = f0
        drv.add(seg)  # the drive keeps the segment; our reference goes with `seg`
    # The same segment could be written as a format string:
    #   drv.segment = '"ModSine", 0, 0'
    # and a segment value set by name, e.g. a rise that does not end at rest:
    #   seg.value["fd1"] = 0.5
    drv.periodic = 1
    return drv


def print_table(drv, step=15):
    print("%8s %12s %12s %12s %12s" % ("z", "f", "fd", "fdd", "fddd"))
    z = drv.z0
    while z <= drv.z1 + 1e-9:
        print("%8.1f %12.6f %12.6f %12.6f %12.6f" % (z, drv.f(z), drv.fd(z), drv.fdd(z), drv.fddd(z)))
        z += step


def main():
    server = veldrive.Dispatch("VelDriveServer.1")
    print(server.version)
    drv = build_drive(server)
    try:
        drv.compile()
    except veldrive.ComError as error:
        print("the drive does not compile: %s" % error.message, file=sys.stderr)
        return 1

    seg = drv.head
    while seg is not None:
        print("%-8s z0=%6.1f f0=%6.1f" % (seg.typeName, seg.z0, seg.f0))
        seg = seg.next
    print("f' from %g to %g, f'' from %g to %g" % (drv.fdmin, drv.fdmax, drv.fddmin, drv.fddmax))
    print()
    print_table(drv)
    print()
    print(drv.htmlTable())
    return 0


if __name__ == "__main__":
    sys.exit(main())
