#include "kernel/automation/vel_persist.h"

#include "kernel/automation/vel_base.h"
#include "kernel/support/auxcom.h"
#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"

HRESULT VelPersistImp::GetClassID(CLSID* out) {
  if (!out) return E_POINTER;
  IVelBase* base = dynamic_cast<IVelBase*>(this);
  *out = base && base->classId() ? *base->classId() : CLSID_NULL;
  return S_OK;
}

HRESULT VelPersistImp::InitNew() { return S_OK; }

namespace {

// Sets one property through the object's own dispatch, as a put with the single named
// argument DISPID_PROPERTYPUT; the name is looked up case-sensitively and never added.
HRESULT putProperty(IUnknown* self, LPOLESTR name, VARIANT* value) {
  DISPID namedPut = DISPID_PROPERTYPUT;
  DISPPARAMS params{value, &namedPut, 1, 1};
  DISPID id = DISPID_UNKNOWN;
  ComPtr<IDispatchEx> ex;
  if (SUCCEEDED(self->QueryInterface(IID_IDispatchEx, ex.putVoid())) && ex) {
    const Bstr bname(std::u16string_view(name ? name : u""));
    HRESULT hr =
        bname.isNull() ? E_OUTOFMEMORY : ex->GetDispID(bname.get(), fdexNameCaseSensitive, &id);
    if (SUCCEEDED(hr))
      hr = ex->InvokeEx(id, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                        nullptr);
    return hr;
  }
  ComPtr<IDispatch> disp;
  if (FAILED(self->QueryInterface(IID_IDispatch, disp.putVoid())) || !disp) return E_NOINTERFACE;
  HRESULT hr = disp->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
  if (SUCCEEDED(hr))
    hr = disp->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr,
                      nullptr, nullptr);
  return hr;
}

}  // namespace

// Sets the bag's properties in bag order through the object's dispatch; the first failing
// call ends the loading and its result is returned.
HRESULT VelPersistImp::Load(IPropertyBag2* bag, IErrorLog* errorLog) {
  if (!bag) return S_OK;
  ULONG count = 0;
  HRESULT hr = bag->CountProperties(&count);
  for (ULONG i = 0; i < count && SUCCEEDED(hr); ++i) {
    PROPBAG2 info{};
    ULONG got = 0;
    VARIANT value;
    VariantInit(&value);
    HRESULT readResult = S_OK;
    hr = bag->GetPropertyInfo(i, 1, &info, &got);
    if (SUCCEEDED(hr) && got != 1) hr = E_FAIL;
    if (SUCCEEDED(hr)) hr = bag->Read(1, &info, errorLog, &value, &readResult);
    // A property that could not be read is not put: an empty value would overwrite the
    // object's own with zero.
    if (SUCCEEDED(hr) && SUCCEEDED(readResult)) hr = putProperty(this, info.pstrName, &value);
    if (FAILED(readResult))
      reportError("reading property %s failed.", utf8FromOleStr(info.pstrName).c_str());
    VariantClear(&value);
    CoTaskMemFree(info.pstrName);
  }
  return hr;
}

HRESULT VelPersistImp::Save(IPropertyBag2*, BOOL, BOOL) { return S_OK; }

HRESULT VelPersistImp::IsDirty() { return S_FALSE; }
