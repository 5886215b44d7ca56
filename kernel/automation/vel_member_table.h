#pragma once
// The member table of one automation class: the members of its type description and the
// dynamic members scripts add at run time, shared by every object of the class. Members
// are never removed, only marked deleted.

#include <string>
#include <string_view>
#include <vector>

#include "platform/com/dispid_index.h"
#include "platform/com/interfaces.h"

struct VelMember {
  DISPID id;
  std::u16string name;
  VARIANT value;               // a dynamic member's value; empty for type members
  unsigned char fromTypeInfo;  // 1 for members taken from the type description
  unsigned char deleted;       // set by the delete operations
};

struct VelMemberTable {
  VelMemberTable();
  ~VelMemberTable();  // frees the values (strings, object references) the members hold
  VelMemberTable(const VelMemberTable&) = delete;
  VelMemberTable& operator=(const VelMemberTable&) = delete;

  // Adds a type member unless a member with that id exists (a get and a put share one).
  void addTypeMember(DISPID id, std::u16string_view name);
  // Adds a dynamic member with an empty value and returns its id: the next free one,
  // skipping ids that type members already use.
  DISPID addDynamic(std::u16string_view name);

  // By id; deleted members are found too. Null when there is none.
  VelMember* findById(DISPID id) {
    const std::size_t at = byId_.find(id);
    return at == DispIdIndex::kNone ? nullptr : &members[at];
  }
  // The name lookup of GetDispID: a name that reads as a decimal 32-bit integer n selects
  // the member "_array" (when there is one), whose value becomes n; otherwise the first
  // member with exactly this name (case-sensitive; deleted members too). Null when none.
  VelMember* lookup(std::u16string_view name);

  // Table order.
  std::vector<VelMember> members;
  DISPID nextId = 1;

 private:
  VelMember* findByName(std::u16string_view name);
  DispIdIndex byId_;
};

// Whether text is a decimal 32-bit integer (optional sign, digits only); its value in *n.
bool velNameIsInteger(std::u16string_view text, LONG* n);
