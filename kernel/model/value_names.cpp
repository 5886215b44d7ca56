#include "kernel/model/value_names.h"

#include <cstring>

namespace {

struct NamedValue {
  const char* name;
  ValueType code;
};

constexpr NamedValue kValueNames[] = {
    {"z0", vtZ0},
    {"z1", vtZ1},
    {"f0", vtF0},
    {"f1", vtF1},
    {"fd0", vtFd0},
    {"fd1", vtFd1},
    {"fdd0", vtFdd0},
    {"fdd1", vtFdd1},
    {"lambda", vtLambda},
    {"c", vtC},
    {"Ca", vtCa},
    {"Ca*", vtCaStar},
    {"Cv", vtCv},
    {"Cj", vtCj},
    {"Cj*", vtCjStar},
    {"Cmdyn", vtCmdyn},
    {"Cmdyn*", vtCmdynStar},
    {"Ca=Ca*", vtCaEqCaStar},
};

}  // namespace

ValueType valueTypeFromName(const char* name) {
  if (!name) return vtNone;
  for (const NamedValue& v : kValueNames)
    if (std::strcmp(v.name, name) == 0) return v.code;
  return vtNone;
}

const char* valueTypeName(int code) {
  for (const NamedValue& v : kValueNames)
    if (v.code == code) return v.name;
  return "";
}
