#include "platform/com/typelib_call.h"

#include <cstring>

#include "platform/com/errorinfo.h"

namespace {

// The functions of a described interface have few parameters; more is a description fault.
constexpr std::size_t kMaxParams = 8;

bool isRetval(const TypeLibParamDesc& p) { return (p.flags & PARAMFLAG_FRETVAL) != 0; }
bool isOut(const TypeLibParamDesc& p) { return (p.flags & (PARAMFLAG_FOUT | PARAMFLAG_FRETVAL)) != 0; }
bool isIn(const TypeLibParamDesc& p) { return !isOut(p) || (p.flags & PARAMFLAG_FIN) != 0; }

bool isMissing(const VARIANT& v) { return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND; }

// The state of one declared parameter during a call.
struct Slot {
  const VARIANT* source = nullptr;  // the caller's argument; null for retval
  UINT sourceIndex = 0;             // its index in rgvarg
  VARIANT value;                    // what the invoker sees
  bool owned = false;               // value holds a string or reference of its own
};

// An object argument as a pointer to the declared interface (a reference of its own).
HRESULT objectArgument(const VARIANT& src, const IID* iid, VARIANT* out) {
  VARIANT plain;
  VariantInit(&plain);
  HRESULT hr = VariantChangeType(&plain, &src, VARIANT_NOVALUEPROP, VT_DISPATCH);
  if (FAILED(hr)) return hr;
  if (!iid || !plain.pdispVal) {
    *out = plain;
    return S_OK;
  }
  void* p = nullptr;
  hr = plain.pdispVal->QueryInterface(*iid, &p);
  VariantClear(&plain);
  if (FAILED(hr)) return DISP_E_TYPEMISMATCH;
  VariantInit(out);
  out->vt = VT_DISPATCH;
  out->byref = p;  // the declared interface's pointer; it derives from IDispatch at the same address
  return S_OK;
}

// The value of an [in] parameter of type vt from the caller's argument.
HRESULT inValue(const TypeLibParamDesc& p, const VARIANT& src, Slot* slot) {
  if (p.vt == VT_DISPATCH) {
    slot->owned = true;
    return objectArgument(src, p.iid, &slot->value);
  }
  if (src.vt == p.vt) {  // the common case: borrowed as it is
    slot->value = src;
    return S_OK;
  }
  slot->owned = true;
  return VariantChangeType(&slot->value, &src, 0, p.vt);
}

// An [out] argument must refer to the declared type or to a variant.
bool refersToOutType(const TypeLibParamDesc& p, const VARIANT& src) {
  if (!(src.vt & VT_BYREF) || !src.byref) return false;
  const VARTYPE base = src.vt & VT_TYPEMASK;
  return base == p.vt || base == VT_VARIANT;
}

// Writes an [out] value (owned by the slot) through the caller's reference and takes it
// from the slot; the value the reference held before is released.
HRESULT storeOut(const TypeLibParamDesc& p, const VARIANT& ref, Slot* slot) {
  VARIANT& v = slot->value;
  if ((ref.vt & VT_TYPEMASK) == VT_VARIANT) {
    VariantClear(ref.pvarVal);
    *ref.pvarVal = v;
  } else {
    if (v.vt != p.vt) {  // the member wrote nothing: hand out the type's empty value
      VariantClear(&v);
      v.vt = p.vt;
    }
    switch (p.vt) {
      case VT_I2: *ref.piVal = v.iVal; break;
      case VT_I4: *ref.plVal = v.lVal; break;
      case VT_R8: *ref.pdblVal = v.dblVal; break;
      case VT_BOOL: *ref.pboolVal = v.boolVal; break;
      case VT_BSTR:
        SysFreeString(*ref.pbstrVal);
        *ref.pbstrVal = v.bstrVal;
        break;
      case VT_DISPATCH:
        if (*ref.ppdispVal) (*ref.ppdispVal)->Release();
        *ref.ppdispVal = v.pdispVal;
        break;
      default:
        return DISP_E_BADVARTYPE;
    }
  }
  VariantInit(&v);
  slot->owned = false;
  return S_OK;
}

void fillException(const char* source, HRESULT hr, EXCEPINFO* ei) {
  if (!ei) return;
  std::memset(ei, 0, sizeof *ei);
  ei->scode = hr;
  ei->bstrSource = SysAllocStringUtf8(source ? source : "");
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) == S_OK && info) {
    info->GetDescription(&ei->bstrDescription);
    info->GetHelpFile(&ei->bstrHelpFile);
    info->GetHelpContext(&ei->dwHelpContext);
    info->Release();
  }
}

class Call {
 public:
  Call(const TypeLibFuncDesc& fn, DISPPARAMS* dp, UINT* argErr) : fn_(fn), dp_(dp), argErr_(argErr) {}
  ~Call() {
    for (std::size_t k = 0; k < count_; ++k)
      if (slots_[k].owned) VariantClear(&slots_[k].value);
  }
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;

  HRESULT run(void* instance, const char* interfaceName, VARIANT* result, EXCEPINFO* ei) {
    HRESULT hr = bind();
    if (FAILED(hr)) return hr;
    hr = convert();
    if (FAILED(hr)) return hr;
    VARIANT args[kMaxParams];
    for (std::size_t k = 0; k < count_; ++k) args[k] = slots_[k].value;
    const HRESULT memberHr = fn_.invoke(instance, args);
    // The invoker replaced the [out] values (releasing what they held); the slots own them.
    for (std::size_t k = 0; k < count_; ++k)
      if (isOut(fn_.params[k])) slots_[k].value = args[k];
    if (FAILED(memberHr)) {
      fillException(interfaceName, memberHr, ei);
      return DISP_E_EXCEPTION;
    }
    for (std::size_t k = 0; k < count_; ++k) {
      const TypeLibParamDesc& p = fn_.params[k];
      if (isRetval(p)) {
        if (result) {
          *result = slots_[k].value;
          VariantInit(&slots_[k].value);
          slots_[k].owned = false;
        }
      } else if (isOut(p)) {
        hr = storeOut(p, *slots_[k].source, &slots_[k]);
        if (FAILED(hr)) return hr;
      }
    }
    return memberHr;
  }

 private:
  // Finds each declared parameter's argument.
  HRESULT bind() {
    count_ = fn_.params.size();
    if (count_ > kMaxParams) return E_FAIL;
    if (!dp_) return E_INVALIDARG;
    if (dp_->cNamedArgs > dp_->cArgs || (dp_->cArgs && !dp_->rgvarg) ||
        (dp_->cNamedArgs && !dp_->rgdispidNamedArgs))
      return E_INVALIDARG;
    std::size_t inCount = 0;
    for (const TypeLibParamDesc& p : fn_.params)
      if (!isRetval(p)) ++inCount;
    const bool put = (fn_.kind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF)) != 0;
    const UINT positional = dp_->cArgs - dp_->cNamedArgs;
    if (positional > inCount) return argumentError(0, DISP_E_BADPARAMCOUNT);
    for (UINT i = 0; i < positional; ++i) slots_[i].sourceIndex = dp_->cArgs - 1 - i;
    for (UINT i = 0; i < positional; ++i) slots_[i].source = &dp_->rgvarg[slots_[i].sourceIndex];
    for (UINT j = 0; j < dp_->cNamedArgs; ++j) {
      const DISPID id = dp_->rgdispidNamedArgs[j];
      std::size_t k;
      if (id == DISPID_PROPERTYPUT && put && inCount > 0)
        k = inCount - 1;  // the value of a put is its last parameter
      else if (id >= 0 && static_cast<std::size_t>(id) < inCount)
        k = static_cast<std::size_t>(id);
      else
        return argumentError(j, DISP_E_PARAMNOTFOUND);
      if (slots_[k].source) return argumentError(j, DISP_E_PARAMNOTFOUND);  // given twice
      slots_[k].source = &dp_->rgvarg[j];
      slots_[k].sourceIndex = j;
    }
    // Parameters are declared with the retval last, so the first inCount slots are the inputs.
    for (std::size_t k = 0; k < inCount; ++k)
      if (!slots_[k].source || isMissing(*slots_[k].source))
        return argumentError(slots_[k].source ? slots_[k].sourceIndex : 0, DISP_E_PARAMNOTOPTIONAL);
    return S_OK;
  }

  HRESULT convert() {
    for (std::size_t k = 0; k < count_; ++k) {
      Slot& s = slots_[k];
      VariantInit(&s.value);
      const TypeLibParamDesc& p = fn_.params[k];
      HRESULT hr = S_OK;
      if (isOut(p)) s.owned = true;
      if (isRetval(p)) continue;
      if (isOut(p)) {
        if (!refersToOutType(p, *s.source)) return argumentError(s.sourceIndex, DISP_E_TYPEMISMATCH);
        if (isIn(p)) {
          hr = p.vt == VT_DISPATCH ? objectArgument(*s.source, p.iid, &s.value)
                                   : VariantChangeType(&s.value, s.source, 0, p.vt);
          // An empty variant behind the reference starts the value at its type's zero.
          if (FAILED(hr) && (s.source->vt & VT_TYPEMASK) == VT_VARIANT &&
              s.source->pvarVal->vt == VT_EMPTY) {
            VariantInit(&s.value);
            s.value.vt = p.vt;
            hr = S_OK;
          }
        }
      } else {
        hr = inValue(p, *s.source, &s);
      }
      if (hr == E_OUTOFMEMORY) return hr;
      if (FAILED(hr)) return argumentError(s.sourceIndex, DISP_E_TYPEMISMATCH);
    }
    return S_OK;
  }

  HRESULT argumentError(UINT index, HRESULT hr) {
    if (argErr_) *argErr_ = index;
    return hr;
  }

  const TypeLibFuncDesc& fn_;
  DISPPARAMS* dp_;
  UINT* argErr_;
  std::size_t count_ = 0;
  Slot slots_[kMaxParams];
};

}  // namespace

HRESULT invokeDescribedFunction(const TypeLibFuncDesc& fn, const char* interfaceName, void* instance,
                                DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepinfo,
                                UINT* argErr) {
  if (!instance || !fn.invoke) return E_INVALIDARG;
  Call call(fn, params, argErr);
  return call.run(instance, interfaceName, result, excepinfo);
}
