#pragma once
// The fixed registry of segment types: their names by index, and creation by exact name.

class VelDriveSeg;

// Number of segment types (9).
int segmentTypeCount();
// The type name at index, or null outside 0..count-1.
const char* segmentTypeName(int index);
// A new segment of the named type (exact, case-sensitive name), made with the type's empty
// constructor and holding no reference yet; null for an unknown or null name.
VelDriveSeg* createSegment(const char* typeName);
