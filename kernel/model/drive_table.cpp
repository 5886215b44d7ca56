#include "kernel/model/drive_table.h"

#include <cstdio>

#include "kernel/model/drive_core.h"

namespace {

struct Column {
  const char* header;
  ValueType code;  // vtNone for the two leading columns
};

constexpr Column kColumns[] = {
    {"segment", vtNone}, {"type", vtNone},     {"z0", vtZ0},         {"z1", vtZ1},
    {"f0", vtF0},        {"f1", vtF1},         {"f0'", vtFd0},       {"f1'", vtFd1},
    {"f0''", vtFdd0},    {"f1''", vtFdd1},     {"lambda", vtLambda}, {"Cv", vtCv},
    {"Ca", vtCa},        {"Ca*", vtCaStar},    {"Cj", vtCj},         {"Cj*", vtCjStar},
    {"Cm", vtCmdyn},     {"Cm*", vtCmdynStar}, {"c", vtC},
};
constexpr int kLeadingColumns = 2;

void appendNumber(std::string& text, const char* format, double v) {
  char number[64];
  std::snprintf(number, sizeof number, format, v);
  text += number;
}

void appendRow(std::string& text, IVelDriveSegImp& seg, long n) {
  text += "<tr>\n";
  char number[32];
  std::snprintf(number, sizeof number, "%ld", n);
  text += "  <td align='center'>";
  text += number;
  text += "</td>\n";
  text += "  <td align='center' style=\"color:'red'\">";
  text += seg.typeName();
  text += "</td>\n";
  for (int i = kLeadingColumns; i < static_cast<int>(std::size(kColumns)); ++i) {
    const ValueType code = kColumns[i].code;
    text += "  <td align='center'";
    text += seg.isVarValue(code, vsExplicit) ? " style=\"color:'blue'\">" : ">";
    if (seg.hasValue(code))
      appendNumber(text, "%lg", seg.value(code));
    else
      text += "-";
    text += "</td>\n";
  }
  text += "  </tr>\n";
}

}  // namespace

std::string driveHtmlTable(IVelDriveImp& drive) {
  std::string text;
  text.reserve(512);
  text += "<table border>\n";
  text += "  <tr>\n";
  for (const Column& c : kColumns) {
    text += "    <th>";
    text += c.header;
    text += "</th>\n";
  }
  text += "  </tr>\n";
  long n = 0;
  for (IVelDriveSegImp* s = drive.head(); s; s = s->next()) appendRow(text, *s, n++);
  text += "</table>\n";
  return text;
}
