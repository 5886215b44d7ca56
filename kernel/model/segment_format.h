#pragma once
// The segment format string: a quoted type name, z0 and f0, then any number of items made
// of a separator, a quoted value name and a number:
//   "ModSine", 0, 0, "fd1", 0.5
// Read with the support library's scanner, whose messages go to reportError.

#include <vector>

#include "kernel/support/scanner.h"

struct SegmentFormat {
  struct Pair {
    char name[kScanTextSize] = "";
    double value = 0.0;
  };
  // True when the type, z0 and f0 were read; nothing else is filled otherwise.
  bool complete = false;
  char type[kScanTextSize] = "";
  double z0 = 0.0;
  double f0 = 0.0;
  // The value pairs in text order, up to the end of the text or the first pair that could
  // not be read.
  std::vector<Pair> pairs;
};

// Reads text (null reads as the empty text). The separator before each pair may be any
// single character that is not white space.
SegmentFormat parseSegmentFormat(const char* text);
