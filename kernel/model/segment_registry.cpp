#include "kernel/model/segment_registry.h"

#include <cstring>

#include "kernel/model/segment_types.h"

namespace {

// A segment of type T made with its empty constructor (the one clone uses).
template <class T>
VelDriveSeg* make() {
  return new T;
}

struct SegmentType {
  const char* name;
  VelDriveSeg* (*create)();
};

// The fixed registry. "Linear" 0, "QuadParab" 1 and "Sine" 4 are fixed places; the sine laws
// follow the parabola, the polynomial, trapezoid and harmonic combination close the list.
constexpr SegmentType kTypes[] = {
    {"Linear", make<VelDriveSegLinear>},     {"QuadParab", make<VelDriveSegQuadParab>},
    {"InclSine", make<VelDriveSegInclSine>}, {"ModSine", make<VelDriveSegModSine>},
    {"Sine", make<VelDriveSegSine>},         {"SineLinear", make<VelDriveSegSineLinear>},
    {"Poly5", make<VelDriveSegPoly5>},       {"ModTrapez", make<VelDriveSegModTrapez>},
    {"HarmComb", make<VelDriveSegHarmComb>},
};
constexpr int kTypeCount = static_cast<int>(sizeof kTypes / sizeof kTypes[0]);
static_assert(kTypeCount == 9);

}  // namespace

int segmentTypeCount() { return kTypeCount; }

const char* segmentTypeName(int index) {
  if (index < 0 || index >= kTypeCount) return nullptr;
  return kTypes[index].name;
}

VelDriveSeg* createSegment(const char* typeName) {
  if (!typeName) return nullptr;
  for (const SegmentType& t : kTypes)
    if (std::strcmp(t.name, typeName) == 0) return t.create();
  return nullptr;
}
