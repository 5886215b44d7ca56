#include "kernel/model/segment_format.h"

SegmentFormat parseSegmentFormat(const char* text) {
  SegmentFormat result;
  const char* stream = text ? text : "";
  if (scan(&stream, "%s, %f, %f", result.type, &result.z0, &result.f0) != 3) return result;
  result.complete = true;
  for (;;) {
    // Any single character separates the items; the end of the text ends the list.
    char separator = 0;
    scan(&stream, "%c", &separator);
    if (separator == static_cast<char>(-1)) break;
    SegmentFormat::Pair pair;
    if (scan(&stream, "%s, %f", pair.name, &pair.value) != 2) break;
    result.pairs.push_back(pair);
  }
  return result;
}
