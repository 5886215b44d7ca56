#include "kernel/model/segment_dump.h"

#include <cstdio>

#include "kernel/model/segment_core.h"
#include "kernel/model/value_names.h"

std::string segmentDump(IVelDriveSegImp* seg) {
  std::string text;
  if (!seg) return text;
  text += seg->typeName();
  text += seg->isCompiled() ? " [compiled]\n" : " [not compiled]\n";
  for (int code = vtZ0; code <= vtCaEqCaStar; code <<= 1) {
    const ValueType t = static_cast<ValueType>(code);
    if (!seg->hasValue(t)) continue;
    char number[64];
    std::snprintf(number, sizeof number, "%lg", seg->value(t));
    text += "  ";
    text += valueTypeName(code);
    text += " = ";
    text += number;
    text += " [";
    if (seg->isVarValue(t, vsExplicit)) text += 'w';
    if (seg->isVarValue(t, vsDerived)) text += 's';
    text += "r]\n";
  }
  return text;
}
