#include "kernel/automation/vel_member_table.h"

#include <cstdint>

namespace {

constexpr std::size_t kInitialMembers = 16;  // the table doubles from here when full
constexpr char16_t kArrayName[] = u"_array";

}  // namespace

bool velNameIsInteger(std::u16string_view text, LONG* n) {
  std::size_t i = 0;
  bool negative = false;
  if (!text.empty() && (text[0] == u'-' || text[0] == u'+')) {
    negative = text[0] == u'-';
    i = 1;
  }
  if (i == text.size()) return false;
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < u'0' || text[i] > u'9') return false;
    value = value * 10 + (text[i] - u'0');
    if (value > std::int64_t{INT32_MAX} + 1) return false;  // beyond 32 bits: no integer
  }
  if (negative) value = -value;
  if (value > INT32_MAX || value < INT32_MIN) return false;
  *n = static_cast<LONG>(value);
  return true;
}

VelMemberTable::VelMemberTable() { members.reserve(kInitialMembers); }

VelMemberTable::~VelMemberTable() {
  for (VelMember& m : members) VariantClear(&m.value);
}

void VelMemberTable::addTypeMember(DISPID id, std::u16string_view name) {
  if (findById(id)) return;
  VelMember m{id, std::u16string(name), {}, 1, 0};
  VariantInit(&m.value);
  byId_.add(id, members.size());
  members.push_back(std::move(m));
}

DISPID VelMemberTable::addDynamic(std::u16string_view name) {
  // A counter that ran into an id of the type description would make the new member
  // unreachable by id (the type member answers first); such ids are skipped.
  while (findById(nextId)) ++nextId;
  VelMember m{nextId++, std::u16string(name), {}, 0, 0};
  VariantInit(&m.value);
  byId_.add(m.id, members.size());
  members.push_back(std::move(m));
  return members.back().id;
}

VelMember* VelMemberTable::findByName(std::u16string_view name) {
  for (VelMember& m : members)
    if (m.name == name) return &m;
  return nullptr;
}

VelMember* VelMemberTable::lookup(std::u16string_view name) {
  LONG n = 0;
  if (velNameIsInteger(name, &n)) {
    if (VelMember* array = findByName(kArrayName)) {
      VariantClear(&array->value);
      array->value.vt = VT_I4;
      array->value.lVal = n;
      return array;
    }
    // Without "_array" an integer name is an ordinary name, so a member added under it
    // is found again (not added anew on every fdexNameEnsure).
  }
  return findByName(name);
}
