#pragma once
// Small helpers for the automation tests: a variant owner and late-bound calls.

#include <string_view>

#include "platform/com/bstr.h"
#include "platform/com/interfaces.h"

// The reference count of p as AddRef/Release report it.
template <class T>
ULONG refCount(T* p) {
  p->AddRef();
  return p->Release();
}

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

// Late-bound property get / put through IDispatch::Invoke, and a name's id.
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
  DISPID id = DISPID_UNKNOWN;
  return SUCCEEDED(d->GetDispID(Bstr(name).get(), grfdex, &id)) ? id : DISPID_UNKNOWN;
}
