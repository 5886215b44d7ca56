#pragma once
// An in-memory property bag: an ordered list of named values that clients and tests hand
// to IPersistPropertyBag2::Load, and that Save would write into. Names compare exactly.

#include <string>
#include <string_view>
#include <vector>

#include "platform/com/interfaces.h"
#include "platform/com/ref_counted.h"

class MemoryPropertyBag final : public RefCounted<Answers<IPropertyBag2, IID_IPropertyBag2>> {
 public:
  // A new, empty bag with one reference.
  static MemoryPropertyBag* create();

  // Sets name's value to a copy of value: replaces an existing property in its place, else
  // appends one.
  HRESULT set(std::u16string_view name, const VARIANT& value);
  HRESULT setUtf8(std::string_view name, const VARIANT& value);
  std::size_t size() const { return items_.size(); }
  const std::u16string& nameAt(std::size_t i) const { return items_[i].name; }
  const VARIANT& valueAt(std::size_t i) const { return items_[i].value; }

  // ---- IPropertyBag2
  // Each PROPBAG2 names a property; its value goes to pvarValue[i], converted to the asked
  // vt unless that is VT_EMPTY, with phrError[i] S_OK, or E_INVALIDARG for an unknown name
  // (DISP_E_TYPEMISMATCH for one that does not convert). E_FAIL when any property failed.
  HRESULT Read(ULONG count, PROPBAG2* props, IErrorLog* log, VARIANT* values,
               HRESULT* errors) override;
  HRESULT Write(ULONG count, PROPBAG2* props, VARIANT* values) override;
  HRESULT CountProperties(ULONG* count) override;
  // Descriptions of the properties from index on (at most count): PROPBAG2_TYPE_DATA, the
  // value's vt and the name in a CoTaskMemAlloc string that the caller frees.
  HRESULT GetPropertyInfo(ULONG index, ULONG count, PROPBAG2* props, ULONG* got) override;
  HRESULT LoadObject(LPCOLESTR name, DWORD hint, IUnknown* object, IErrorLog* log) override;

 private:
  struct Item {
    std::u16string name;
    VARIANT value;
  };
  MemoryPropertyBag() = default;
  ~MemoryPropertyBag() override;
  Item* find(std::u16string_view name);

  std::vector<Item> items_;
};
