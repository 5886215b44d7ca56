#pragma once
// The members of the simulation's object model the program calls, with their bindings:
// by identifier, or by name at call time ("Count", "Item", "Name", "ID", "InputValue" of the
// collections and inputs).

#include <cstdint>

struct SimMember {
  std::int32_t id;
  const char* name;  // for binding by name, and for error texts
  bool byName;
};

namespace simmember {

// application
inline constexpr SimMember kActiveDocument{6, "ActiveDocument", false};
inline constexpr SimMember kApplication9{9, "(member 9)", false};
inline constexpr SimMember kVersionText{11, "VersionText", false};
inline constexpr SimMember kApplication14{14, "(member 14)", false};
// document
inline constexpr SimMember kDocumentName{1, "DocumentName", false};
inline constexpr SimMember kInputs{5, "Inputs", false};
inline constexpr SimMember kBodies{6, "Bodies", false};
inline constexpr SimMember kNumFrames{7, "NumFrames", false};
inline constexpr SimMember kCurrentTime{12, "CurrentTime", false};
inline constexpr SimMember kCurrentFrame{13, "CurrentFrame", false};
inline constexpr SimMember kRunToFrame{22, "RunToFrame", false};
inline constexpr SimMember kEndRun{23, "EndRun", false};
inline constexpr SimMember kDocument27{27, "(member 27)", false};
inline constexpr SimMember kJumpToFrame{28, "JumpToFrame", false};
// collections and inputs, by name
inline constexpr SimMember kCount{0, "Count", true};
inline constexpr SimMember kItem{0, "Item", true};
inline constexpr SimMember kInputName{0, "Name", true};
inline constexpr SimMember kInputId{0, "ID", true};
inline constexpr SimMember kInputValue{0, "InputValue", true};
// bodies
inline constexpr SimMember kBodyId{0x20001, "ID", false};
inline constexpr SimMember kBodyName{0x20002, "Name", false};
inline constexpr SimMember kGetPosition{20, "GetPosition", false};

}  // namespace simmember
