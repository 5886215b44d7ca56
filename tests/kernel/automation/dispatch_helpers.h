#pragma once
// Small owners for the automation types the automation tests pass around.

#include <string>
#include <string_view>

#include "platform/com/interfaces.h"

// One interface reference, released at scope end.
template <class I>
struct Ref {
  Ref() = default;
  ~Ref() {
    if (p) p->Release();
  }
  Ref(Ref&& other) noexcept : p(other.p) { other.p = nullptr; }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  I* operator->() const { return p; }
  void** out() { return reinterpret_cast<void**>(&p); }
  I* p = nullptr;
};

// The reference count of p as AddRef/Release report it.
template <class T>
ULONG refCount(T* p) {
  p->AddRef();
  return p->Release();
}

// An automation string freed at scope end.
struct TestBstr {
  TestBstr() = default;
  explicit TestBstr(std::string_view text) : s(SysAllocStringUtf8(text)) {}
  ~TestBstr() { SysFreeString(s); }
  TestBstr(const TestBstr&) = delete;
  TestBstr& operator=(const TestBstr&) = delete;
  std::string text() const { return utf8FromBstr(s); }
  BSTR s = nullptr;
};

// A variant cleared at scope end.
struct TestVariant {
  TestVariant() { VariantInit(&v); }
  ~TestVariant() { VariantClear(&v); }
  TestVariant(const TestVariant&) = delete;
  TestVariant& operator=(const TestVariant&) = delete;
  static void r8(VARIANT* v, double d) { VariantInit(v), v->vt = VT_R8, v->dblVal = d; }
  static void i4(VARIANT* v, LONG n) { VariantInit(v), v->vt = VT_I4, v->lVal = n; }
  VARIANT v;
};

// A text from an automation string, which it frees.
inline std::string takeText(BSTR s) {
  std::string t = utf8FromBstr(s);
  SysFreeString(s);
  return t;
}

// Late-bound property get / put / method call through IDispatch::Invoke.
inline HRESULT dispGet(IDispatch* d, DISPID id, VARIANT* result) {
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  return d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, result, nullptr,
                   nullptr);
}
inline HRESULT dispPut(IDispatch* d, DISPID id, VARIANT value) {
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&value, &named, 1, 1};
  return d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr,
                   nullptr, nullptr);
}
inline DISPID dispIdOf(IDispatchEx* d, std::string_view name, DWORD grfdex = 0) {
  TestBstr n(name);
  DISPID id = DISPID_UNKNOWN;
  return SUCCEEDED(d->GetDispID(n.s, grfdex, &id)) ? id : DISPID_UNKNOWN;
}
