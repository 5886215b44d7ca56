#include "platform/com/property_bag.h"

#include <cstring>
#include <new>

MemoryPropertyBag* MemoryPropertyBag::create() {
  auto* bag = new (std::nothrow) MemoryPropertyBag;
  if (bag) bag->AddRef();
  return bag;
}

MemoryPropertyBag::~MemoryPropertyBag() {
  for (Item& i : items_) VariantClear(&i.value);
}

MemoryPropertyBag::Item* MemoryPropertyBag::find(std::u16string_view name) {
  for (Item& i : items_)
    if (i.name == name) return &i;
  return nullptr;
}

HRESULT MemoryPropertyBag::set(std::u16string_view name, const VARIANT& value) {
  VARIANT copy;
  VariantInit(&copy);
  const HRESULT hr = VariantCopyInd(&copy, &value);
  if (FAILED(hr)) return hr;
  if (Item* i = find(name)) {
    VariantClear(&i->value);
    i->value = copy;
    return S_OK;
  }
  try {
    items_.push_back({std::u16string(name), copy});
  } catch (const std::bad_alloc&) {
    VariantClear(&copy);
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT MemoryPropertyBag::setUtf8(std::string_view name, const VARIANT& value) {
  return set(utf16FromUtf8(name), value);
}

HRESULT MemoryPropertyBag::Read(ULONG count, PROPBAG2* props, IErrorLog*, VARIANT* values,
                                HRESULT* errors) {
  if (count && (!props || !values)) return E_INVALIDARG;
  HRESULT all = S_OK;
  for (ULONG k = 0; k < count; ++k) {
    VariantInit(&values[k]);
    const Item* item =
        find(props[k].pstrName ? std::u16string_view(props[k].pstrName) : std::u16string_view());
    HRESULT hr = E_INVALIDARG;
    if (item) {
      hr = props[k].vt == VT_EMPTY ? VariantCopy(&values[k], &item->value)
                                   : VariantChangeType(&values[k], &item->value, 0, props[k].vt);
      if (FAILED(hr) && hr != E_OUTOFMEMORY) hr = DISP_E_TYPEMISMATCH;
    }
    if (errors) errors[k] = hr;
    if (FAILED(hr)) all = E_FAIL;
  }
  return all;
}

HRESULT MemoryPropertyBag::Write(ULONG count, PROPBAG2* props, VARIANT* values) {
  if (count && (!props || !values)) return E_INVALIDARG;
  for (ULONG k = 0; k < count; ++k) {
    if (!props[k].pstrName) return E_INVALIDARG;
    const HRESULT hr = set(props[k].pstrName, values[k]);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT MemoryPropertyBag::CountProperties(ULONG* count) {
  if (!count) return E_INVALIDARG;
  *count = static_cast<ULONG>(items_.size());
  return S_OK;
}

HRESULT MemoryPropertyBag::GetPropertyInfo(ULONG index, ULONG count, PROPBAG2* props, ULONG* got) {
  if (!props || !got) return E_INVALIDARG;
  *got = 0;
  if (index >= items_.size()) return E_INVALIDARG;
  for (ULONG k = 0; k < count && index + k < items_.size(); ++k) {
    const Item& item = items_[index + k];
    PROPBAG2& p = props[k];
    std::memset(&p, 0, sizeof p);
    p.dwType = PROPBAG2_TYPE_DATA;
    p.vt = item.value.vt;
    const std::size_t bytes = (item.name.size() + 1) * sizeof(OLECHAR);
    p.pstrName = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (!p.pstrName) {
      for (ULONG j = 0; j < k; ++j) CoTaskMemFree(props[j].pstrName), props[j].pstrName = nullptr;
      return E_OUTOFMEMORY;
    }
    std::memcpy(p.pstrName, item.name.c_str(), bytes);
    ++*got;
  }
  return S_OK;
}

HRESULT MemoryPropertyBag::LoadObject(LPCOLESTR, DWORD, IUnknown*, IErrorLog*) { return E_NOTIMPL; }
