#pragma once
// What a client needs to know about one member to call it by name: its dispatch id, whether
// reading the attribute is a property get or yields something to call or index, and the
// roles of the parameters of the function a call reaches (so [out] parameters can be passed
// by reference and handed back). Taken from the object's type description when it has one;
// without one the kind is found out on first use.

#include <vector>

#include "platform/com/interfaces.h"

namespace veldrive {

enum class MemberKind {
  Unknown,   // no type description: probe with a property get on first use
  Property,  // a property get without arguments (or a put-only property)
  Callable,  // a method, or a property get that takes arguments
};

enum class ParamRole { In, InOut, Out, Retval };

struct MemberInfo {
  DISPID id = DISPID_UNKNOWN;
  MemberKind kind = MemberKind::Unknown;
  // Parameters of the function a call reaches, in declaration order; empty when unknown.
  std::vector<ParamRole> callParams;
};

// Fills kind and callParams of info (whose id is set) from typeInfo; a null typeInfo or a
// member it does not list leaves the kind Unknown.
void describeMember(ITypeInfo* typeInfo, MemberInfo* info);

}  // namespace veldrive
