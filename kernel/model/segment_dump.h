#pragma once
// The dump text of a segment: its type and compile state, then one line per value it has.

#include <string>

class IVelDriveSegImp;

// "<type> [compiled]\n" or "<type> [not compiled]\n", then for every named value the
// segment has, in table order, "  <name> = <value %lg> [<w><s>r]\n": w when the client may
// set it, s when the kernel may. A null segment gives the empty text.
std::string segmentDump(IVelDriveSegImp* seg);
