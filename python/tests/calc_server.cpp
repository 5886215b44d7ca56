// An in-process automation server for the Python client's tests, with two classes:
// - "Calc" (ProgID "VeldriveTest.Calc.1"), reached only through IDispatch and without type
//   information, so the client has to find out on its own which names are properties and
//   which are methods. It checks the calling convention strictly (kinds, argument counts,
//   the named argument of puts).
// - "Typed" (ProgID "VeldriveTest.Typed.1"), a dual interface described by a type library
//   and dispatched through ITypeInfo::Invoke, as the kernel's objects are: [out] parameters,
//   [out, retval] values and a method whose mere mention must not call it.
// Both count their live objects for DllCanUnloadNow.

#include <dlfcn.h>

#include <atomic>
#include <cstring>
#include <map>
#include <new>
#include <string>

#include "platform/com/com.h"
#include "platform/com/ref_counted.h"
#include "platform/com/typelib.h"
#include "platform/com/typelib_invoker.h"
#include "platform/msgbox/message_box.h"

namespace {

DEFINE_GUID(CLSID_Calc, 0x6A0D3E51, 0x2C4B, 0x4F18, 0x8B, 0x5E, 0x17, 0x26, 0x35, 0x44, 0x53, 0x62);
DEFINE_GUID(CLSID_Typed, 0x6A0D3E52, 0x2C4B, 0x4F18, 0x8B, 0x5E, 0x17, 0x26, 0x35, 0x44, 0x53,
            0x62);
DEFINE_GUID(IID_ITyped, 0x6A0D3E53, 0x2C4B, 0x4F18, 0x8B, 0x5E, 0x17, 0x26, 0x35, 0x44, 0x53, 0x62);
DEFINE_GUID(LIBID_Typed, 0x6A0D3E54, 0x2C4B, 0x4F18, 0x8B, 0x5E, 0x17, 0x26, 0x35, 0x44, 0x53,
            0x62);

std::atomic<LONG> gObjects{0};
std::atomic<LONG> gLocks{0};

enum Member : DISPID {
  kCount = 1,
  kScale,
  kLabel,
  kEnabled,
  kValue,
  kAdd,
  kChild,
  kNothing,
  kFail,
  kFailWithInfo,
  kRaise,
  kHolder,
  kEcho,
  kTypeOf,
  kMinus,
};
struct Name {
  const char* text;
  DISPID id;
};
constexpr Name kNames[] = {
    {"count", kCount}, {"scale", kScale},
    {"label", kLabel}, {"enabled", kEnabled},
    {"value", kValue}, {"add", kAdd},
    {"child", kChild}, {"nothing", kNothing},
    {"fail", kFail},   {"failWithInfo", kFailWithInfo},
    {"raise", kRaise}, {"holder", kHolder},
    {"echo", kEcho},   {"typeOf", kTypeOf},
    {"minus", kMinus},
};

// Positional argument i in call order (rgvarg holds them last to first, named ones first).
const VARIANT* positional(const DISPPARAMS* p, UINT i) {
  const UINT count = p->cArgs - p->cNamedArgs;
  return i < count ? &p->rgvarg[p->cArgs - 1 - i] : nullptr;
}
UINT positionalCount(const DISPPARAMS* p) { return p->cArgs - p->cNamedArgs; }

HRESULT toDouble(const VARIANT* v, double* out) {
  VARIANT r;
  VariantInit(&r);
  const HRESULT hr = VariantChangeType(&r, v, 0, VT_R8);
  if (FAILED(hr)) return DISP_E_TYPEMISMATCH;
  *out = r.dblVal;
  return S_OK;
}

// Every object of the server counts itself live while it exists.
struct Live {
  Live() { ++gObjects; }
  ~Live() { --gObjects; }
};

class Calc final : public RefCounted<Answers<IDispatch, IID_IDispatch>> {
 public:
  ~Calc() override { VariantClear(&label_); }

  HRESULT GetTypeInfoCount(UINT* count) override { return count ? (*count = 0, S_OK) : E_POINTER; }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
    if (out) *out = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
      ids[i] = DISPID_UNKNOWN;
      const std::string name = utf8FromOleStr(names[i]);
      for (const auto& n : kNames)
        if (name == n.text) ids[i] = n.id;
      if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
  }

  HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT* result,
                 EXCEPINFO* excepinfo, UINT*) override {
    static DISPPARAMS none{nullptr, nullptr, 0, 0};
    if (!p) p = &none;
    if (result) VariantInit(result);
    switch (id) {
      case kCount: return property(flags, p, result, VT_I4, &count_);
      case kScale: return property(flags, p, result, VT_R8, &scale_);
      case kLabel: return property(flags, p, result, VT_BSTR, &label_);
      case kEnabled: return property(flags, p, result, VT_BOOL, &enabled_);
      case kValue: return value(flags, p, result);
      case kHolder: return holder(flags, p, result);
      default: break;
    }
    if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    if (p->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    const UINT n = positionalCount(p);
    switch (id) {
      case kAdd:
      case kMinus: {
        if (n != 2) return DISP_E_BADPARAMCOUNT;
        double a = 0, b = 0;
        if (FAILED(toDouble(positional(p, 0), &a)) || FAILED(toDouble(positional(p, 1), &b)))
          return DISP_E_TYPEMISMATCH;
        if (result) result->vt = VT_R8, result->dblVal = id == kAdd ? a + b : a - b;
        return S_OK;
      }
      case kChild: {
        if (n != 1) return DISP_E_BADPARAMCOUNT;
        Calc* made = new (std::nothrow) Calc;
        if (!made) return E_OUTOFMEMORY;
        ComPtr<Calc> child(made);
        VARIANT label;
        VariantInit(&label);
        if (FAILED(VariantChangeType(&label, positional(p, 0), 0, VT_BSTR)))
          return DISP_E_TYPEMISMATCH;
        child->label_ = label;
        if (result) result->vt = VT_DISPATCH, result->pdispVal = child.detach();
        return S_OK;
      }
      case kNothing: return n == 0 ? S_OK : DISP_E_BADPARAMCOUNT;
      case kFail: showMessageBox("Calc refuses on purpose.", "kError"); return E_FAIL;
      case kFailWithInfo:
        SetErrorInfoText(IID_IDispatch, "Calc", "failWithInfo: no luck this time");
        return E_INVALIDARG;
      case kRaise:
        if (excepinfo) {
          std::memset(excepinfo, 0, sizeof *excepinfo);
          excepinfo->bstrSource = SysAllocStringUtf8("Calc");
          excepinfo->bstrDescription =
              SysAllocStringUtf8("raised through EXCEPINFO, \u00e4\u00f6\u00fc");
          excepinfo->scode = E_NOTIMPL;
        }
        return DISP_E_EXCEPTION;
      case kEcho:
        if (n != 1) return DISP_E_BADPARAMCOUNT;
        return result ? VariantCopy(result, positional(p, 0)) : S_OK;
      case kTypeOf:
        if (n != 1) return DISP_E_BADPARAMCOUNT;
        if (result) result->vt = VT_I4, result->lVal = positional(p, 0)->vt;
        return S_OK;
      default: return DISP_E_MEMBERNOTFOUND;
    }
  }

 private:
  // The value of a put: exactly one argument, named DISPID_PROPERTYPUT (after any index
  // arguments, which stand behind it in rgvarg).
  static const VARIANT* putValue(const DISPPARAMS* p) {
    if (p->cNamedArgs != 1 || !p->rgdispidNamedArgs ||
        p->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
      return nullptr;
    return &p->rgvarg[0];
  }

  // A plain property stored as a variant of type vt.
  HRESULT property(WORD flags, DISPPARAMS* p, VARIANT* result, VARTYPE vt, VARIANT* store) {
    if (flags & DISPATCH_PROPERTYGET) {
      if (p->cArgs != 0) return DISP_E_BADPARAMCOUNT;
      return result ? VariantCopy(result, store) : E_INVALIDARG;
    }
    if (flags & DISPATCH_PROPERTYPUT) {
      const VARIANT* v = putValue(p);
      if (!v || p->cArgs != 1) return DISP_E_PARAMNOTFOUND;
      VARIANT converted;
      VariantInit(&converted);
      if (FAILED(VariantChangeType(&converted, v, 0, vt))) return DISP_E_TYPEMISMATCH;
      VariantClear(store);
      *store = converted;
      return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
  }

  // value(key): a double per key; reading a key never put is an error.
  HRESULT value(WORD flags, DISPPARAMS* p, VARIANT* result) {
    const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
    if (!put && !(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    const VARIANT* v = put ? putValue(p) : nullptr;
    if (put && !v) return DISP_E_PARAMNOTFOUND;
    const UINT keys = positionalCount(p);
    if (keys == 0) return DISP_E_PARAMNOTOPTIONAL;
    if (keys != 1) return DISP_E_BADPARAMCOUNT;
    VARIANT key;
    VariantInit(&key);
    if (FAILED(VariantChangeType(&key, positional(p, 0), 0, VT_BSTR))) return DISP_E_TYPEMISMATCH;
    const std::string name = utf8FromBstr(key.bstrVal);
    VariantClear(&key);
    if (put) return toDouble(v, &values_[name]);
    const auto it = values_.find(name);
    if (it == values_.end()) {
      SetErrorInfoText(IID_IDispatch, "Calc", "no value named '" + name + "'");
      return E_INVALIDARG;
    }
    if (result) result->vt = VT_R8, result->dblVal = it->second;
    return S_OK;
  }

  // holder: an object reference, put by reference only (DISPATCH_PROPERTYPUTREF).
  HRESULT holder(WORD flags, DISPPARAMS* p, VARIANT* result) {
    if (flags & DISPATCH_PROPERTYGET) {
      if (!result) return E_INVALIDARG;
      result->vt = VT_DISPATCH;
      result->pdispVal = ComPtr<IDispatch>(holder_).detach();
      return S_OK;
    }
    if (flags & DISPATCH_PROPERTYPUTREF) {
      const VARIANT* v = putValue(p);
      if (!v || v->vt != VT_DISPATCH) return DISP_E_TYPEMISMATCH;
      holder_ = ComPtr<IDispatch>(v->pdispVal);
      return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
  }

  Live live_;
  VARIANT count_{VT_I4, 0, 0, 0, {}};
  VARIANT scale_{VT_R8, 0, 0, 0, {}};
  VARIANT label_{VT_EMPTY, 0, 0, 0, {}};
  VARIANT enabled_{VT_BOOL, 0, 0, 0, {}};
  std::map<std::string, double> values_;
  ComPtr<IDispatch> holder_;
};

// ---- Typed -------------------------------------------------------------------------------

struct ITyped : IDispatchEx {
  virtual HRESULT get_scale(double* d) = 0;
  virtual HRESULT put_scale(double d) = 0;
  virtual HRESULT get_item(BSTR name, double* d) = 0;
  virtual HRESULT put_item(BSTR name, double d) = 0;
  virtual HRESULT split(double z, double* whole, double* fraction) = 0;
  virtual HRESULT scaled(double z, double* twice, double* result) = 0;
  virtual HRESULT clear() = 0;
  virtual HRESULT get_clears(LONG* n) = 0;
};

constexpr USHORT kIn = PARAMFLAG_FIN;
constexpr USHORT kOut = PARAMFLAG_FOUT;
constexpr USHORT kRetval = PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;

const TypeLibDesc& typedLibrary() {
  static const TypeLibDesc desc{
      "TypedLib",
      "Typed test library",
      &LIBID_Typed,
      1,
      0,
      0,
      {{"ITyped",
        "Typed test interface",
        &IID_ITyped,
        true,
        nullptr,
        {
            {1,
             INVOKE_PROPERTYGET,
             "scale",
             "scale factor",
             {{"d", VT_R8, kRetval}},
             typeLibInvoker<&ITyped::get_scale>()},
            {1,
             INVOKE_PROPERTYPUT,
             "scale",
             nullptr,
             {{"d", VT_R8, kIn}},
             typeLibInvoker<&ITyped::put_scale>()},
            {2,
             INVOKE_PROPERTYGET,
             "item",
             nullptr,
             {{"name", VT_BSTR, kIn}, {"d", VT_R8, kRetval}},
             typeLibInvoker<&ITyped::get_item>()},
            {2,
             INVOKE_PROPERTYPUT,
             "item",
             nullptr,
             {{"name", VT_BSTR, kIn}, {"d", VT_R8, kIn}},
             typeLibInvoker<&ITyped::put_item>()},
            {3,
             INVOKE_FUNC,
             "split",
             nullptr,
             {{"z", VT_R8, kIn}, {"whole", VT_R8, kOut}, {"fraction", VT_R8, kOut}},
             typeLibInvoker<&ITyped::split>()},
            {4,
             INVOKE_FUNC,
             "scaled",
             nullptr,
             {{"z", VT_R8, kIn}, {"twice", VT_R8, kOut}, {"r", VT_R8, kRetval}},
             typeLibInvoker<&ITyped::scaled>()},
            {5, INVOKE_FUNC, "clear", nullptr, {}, typeLibInvoker<&ITyped::clear>()},
            {6,
             INVOKE_PROPERTYGET,
             "clears",
             nullptr,
             {{"n", VT_I4, kRetval}},
             typeLibInvoker<&ITyped::get_clears>()},
        }}},
      {{"Typed", "Typed test class", &CLSID_Typed, &IID_ITyped}},
  };
  return desc;
}

// The type description of ITyped, made once and kept for the life of the process.
ITypeInfo* typedInfo() {
  static ITypeInfo* info = [] {
    const auto lib = ComPtr<ITypeLib>::adopt(CreateTypeLibFromDesc(typedLibrary()));
    ITypeInfo* found = nullptr;
    if (lib) lib->GetTypeInfoOfGuid(IID_ITyped, &found);
    return found;
  }();
  return info;
}

class Typed final : public RefCounted<Answers<ITyped, IID_IDispatch, IID_IDispatchEx, IID_ITyped>> {
 public:
  HRESULT GetTypeInfoCount(UINT* count) override { return count ? (*count = 1, S_OK) : E_POINTER; }
  HRESULT GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    if (!typedInfo()) return E_FAIL;
    typedInfo()->AddRef();
    *out = typedInfo();
    return S_OK;
  }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    return typedInfo() ? typedInfo()->GetIDsOfNames(names, count, ids) : E_FAIL;
  }
  HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT* result,
                 EXCEPINFO* excepinfo, UINT* argErr) override {
    if (!typedInfo()) return E_FAIL;
    return typedInfo()->Invoke(static_cast<ITyped*>(this), id, flags, p, result, excepinfo, argErr);
  }
  HRESULT GetDispID(BSTR, DWORD, DISPID*) override { return E_NOTIMPL; }
  HRESULT InvokeEx(DISPID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                   IServiceProvider*) override {
    return E_NOTIMPL;
  }
  HRESULT DeleteMemberByName(BSTR, DWORD) override { return E_NOTIMPL; }
  HRESULT DeleteMemberByDispID(DISPID) override { return E_NOTIMPL; }
  HRESULT GetMemberProperties(DISPID, DWORD, DWORD*) override { return E_NOTIMPL; }
  HRESULT GetMemberName(DISPID, BSTR*) override { return E_NOTIMPL; }
  HRESULT GetNextDispID(DWORD, DISPID, DISPID*) override { return E_NOTIMPL; }
  HRESULT GetNameSpaceParent(IUnknown**) override { return E_NOTIMPL; }

  HRESULT get_scale(double* d) override { return *d = scale_, S_OK; }
  HRESULT put_scale(double d) override { return scale_ = d, S_OK; }
  HRESULT get_item(BSTR name, double* d) override {
    const auto it = items_.find(utf8FromBstr(name));
    if (it == items_.end()) return E_INVALIDARG;
    return *d = it->second, S_OK;
  }
  HRESULT put_item(BSTR name, double d) override { return items_[utf8FromBstr(name)] = d, S_OK; }
  HRESULT split(double z, double* whole, double* fraction) override {
    *whole = static_cast<double>(static_cast<long long>(z));
    *fraction = z - *whole;
    return S_OK;
  }
  HRESULT scaled(double z, double* twice, double* result) override {
    *twice = 2 * z;
    *result = scale_ * z;
    return S_OK;
  }
  HRESULT clear() override {
    items_.clear();
    ++clears_;
    return S_OK;
  }
  HRESULT get_clears(LONG* n) override { return *n = clears_, S_OK; }

 private:
  Live live_;
  double scale_ = 1.0;
  std::map<std::string, double> items_;
  LONG clears_ = 0;
};

// ---- Class factory and exports ------------------------------------------------------------

template <class Object>
class Factory final : public RefCounted<Answers<IClassFactory, IID_IClassFactory>> {
 public:
  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return queryNewObject(new (std::nothrow) Object, riid, ppv);
  }
  HRESULT LockServer(BOOL lock) override {
    lock ? ++gLocks : --gLocks;
    return S_OK;
  }
};

std::string ownPath() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&ownPath), &info) || !info.dli_fname) return {};
  return info.dli_fname;
}

LONG setKeyValue(const std::string& path, const char* name, const std::string& text) {
  HKEY key = nullptr;
  LONG rc = RegCreateKey(HKEY_CLASSES_ROOT, path.c_str(), &key);
  if (rc != ERROR_SUCCESS) return rc;
  rc = RegSetValueText(key, name, text);
  RegCloseKey(key);
  return rc;
}

struct ClassEntry {
  const CLSID* clsid;
  const char* name;
  const char* progId;
  const char* versionIndependentProgId;
};
constexpr ClassEntry kClasses[] = {
    {&CLSID_Calc, "Calc", "VeldriveTest.Calc.1", "VeldriveTest.Calc"},
    {&CLSID_Typed, "Typed", "VeldriveTest.Typed.1", "VeldriveTest.Typed"},
};

}  // namespace

#define CALC_EXPORT extern "C" __attribute__((visibility("default")))

CALC_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (clsid == CLSID_Calc) return queryNewObject(new (std::nothrow) Factory<Calc>, riid, ppv);
  if (clsid == CLSID_Typed) return queryNewObject(new (std::nothrow) Factory<Typed>, riid, ppv);
  if (ppv) *ppv = nullptr;
  return ppv ? CLASS_E_CLASSNOTAVAILABLE : E_POINTER;
}

CALC_EXPORT HRESULT DllCanUnloadNow() { return gObjects == 0 && gLocks == 0 ? S_OK : S_FALSE; }

// Registers the classes with this library's full path, so they are found wherever it was built.
CALC_EXPORT HRESULT DllRegisterServer() {
  const std::string path = ownPath();
  if (path.empty()) return SELFREG_E_CLASS;
  for (const auto& c : kClasses) {
    const std::string clsid = guidToString(*c.clsid);
    const std::string key = "CLSID\\" + clsid;
    const bool ok =
        setKeyValue(key, nullptr, c.name) == ERROR_SUCCESS &&
        setKeyValue(key + "\\InprocServer32", nullptr, path) == ERROR_SUCCESS &&
        setKeyValue(key + "\\ProgID", nullptr, c.progId) == ERROR_SUCCESS &&
        setKeyValue(c.progId, nullptr, c.name) == ERROR_SUCCESS &&
        setKeyValue(std::string(c.progId) + "\\CLSID", nullptr, clsid) == ERROR_SUCCESS &&
        setKeyValue(std::string(c.versionIndependentProgId) + "\\CurVer", nullptr, c.progId) ==
            ERROR_SUCCESS;
    if (!ok) return SELFREG_E_CLASS;
  }
  return S_OK;
}

CALC_EXPORT HRESULT DllUnregisterServer() {
  for (const auto& c : kClasses) {
    RegDeleteTree(HKEY_CLASSES_ROOT, ("CLSID\\" + guidToString(*c.clsid)).c_str());
    RegDeleteTree(HKEY_CLASSES_ROOT, c.progId);
    RegDeleteTree(HKEY_CLASSES_ROOT, c.versionIndependentProgId);
  }
  return S_OK;
}
