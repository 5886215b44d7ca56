#include "kernel/model/segment_registry.h"

// Interim: no segment types are registered yet.
int segmentTypeCount() { return 0; }
const char* segmentTypeName(int) { return nullptr; }
VelDriveSeg* createSegment(const char*) { return nullptr; }
