#include "kernel/model/drive_table.h"

#include <gtest/gtest.h>

#include <string>

#include "kernel/automation/vel_drive_seg.h"
#include "kernel/model/drive_core.h"
#include "kernel/model/segment_registry.h"
#include "kernel/model/segment_types.h"

namespace {

const std::string kHeader =
    "<table border>\n"
    "  <tr>\n"
    "    <th>segment</th>\n    <th>type</th>\n    <th>z0</th>\n    <th>z1</th>\n"
    "    <th>f0</th>\n    <th>f1</th>\n    <th>f0'</th>\n    <th>f1'</th>\n"
    "    <th>f0''</th>\n    <th>f1''</th>\n    <th>lambda</th>\n    <th>Cv</th>\n"
    "    <th>Ca</th>\n    <th>Ca*</th>\n    <th>Cj</th>\n    <th>Cj*</th>\n"
    "    <th>Cm</th>\n    <th>Cm*</th>\n    <th>c</th>\n"
    "  </tr>\n";

// A drive core that keeps its segments alive by their automation references.
class RefDrive : public VelDriveImp {
 public:
  void onInsert(IVelDriveSegImp* seg) override { VelDriveSeg::fromCore(seg)->AddRef(); }
  void onRemove(IVelDriveSegImp* seg) override { VelDriveSeg::fromCore(seg)->Release(); }
  ~RefDrive() override { clear(); }
};

VelDriveSeg* add(RefDrive& d, const char* type, double z0, double f0) {
  VelDriveSeg* s = createSegment(type);
  s->setValue(vtZ0, vsExplicit, z0);
  s->setValue(vtF0, vsExplicit, f0);
  d.insert(s);
  return s;
}

std::string cell(const std::string& content, bool blue = false) {
  return std::string("  <td align='center'") + (blue ? " style=\"color:'blue'\">" : ">") + content +
         "</td>\n";
}

TEST(DriveTable, LinearThenEndSegmentRowsByteForByte) {
  RefDrive d;
  EXPECT_EQ(driveHtmlTable(d), kHeader + "</table>\n");
  add(d, "Linear", 0, 0);
  add(d, "Linear", 3, 1);
  // Linear has z0..fdd1 only; its slope is the chord 1/3, its curvature 0.
  std::string row0 = "<tr>\n" + cell("0") +
                     "  <td align='center' style=\"color:'red'\">Linear</td>\n" + cell("0", true) +
                     cell("3") + cell("0", true) + cell("1") + cell("0.333333") + cell("0.333333") +
                     cell("0") + cell("0");
  std::string row1 = "<tr>\n" + cell("1") +
                     "  <td align='center' style=\"color:'red'\">Linear</td>\n" + cell("3", true) +
                     cell("3") + cell("1", true) + cell("1") + cell("0") + cell("0") + cell("0") +
                     cell("0");
  for (int i = 0; i < 9; ++i) {
    row0 += cell("-");
    row1 += cell("-");
  }
  row0 += "  </tr>\n";
  row1 += "  </tr>\n";
  EXPECT_EQ(driveHtmlTable(d), kHeader + row0 + row1 + "</table>\n");
}

}  // namespace
