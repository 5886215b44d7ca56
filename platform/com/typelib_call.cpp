#include "platform/com/typelib_call.h"

#include <cstring>

#include "platform/com/errorinfo.h"

namespace {

// The functions of a described interface have few parameters; more is a description fault.
constexpr std::size_t kMaxParams = 8;

bool isRetval(const TypeLibParamDesc& p) { return (p.flags & PARAMFLAG_FRETVAL) != 0; }
bool isOut(const TypeLibParamDesc& p) {
  return (p.flags & (PARAMFLAG_FOUT | PARAMFLAG_FRETVAL)) != 0;
}
bool isIn(const TypeLibParamDesc& p) { return !isOut(p) || (p.flags & PARAMFLAG_FIN) != 0; }

bool isMissing(const VARIANT& v) { return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND; }

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
  out->byref =
      p;  // the declared interface's pointer; it derives from IDispatch at the same address
  return S_OK;
}

// An [out] argument must refer to the declared type or to a variant.
bool refersToOutType(const TypeLibParamDesc& p, const VARIANT& src) {
  if (!(src.vt & VT_BYREF) || !src.byref) return false;
  const VARTYPE base = src.vt & VT_TYPEMASK;
  return base == p.vt || base == VT_VARIANT;
}

// Writes an [out] value (owned by *value) through the caller's reference and takes it from
// *value; the value the reference held before is released.
HRESULT storeOut(const TypeLibParamDesc& p, const VARIANT& ref, VARIANT* value) {
  VARIANT& v = *value;
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
      default: return DISP_E_BADVARTYPE;
    }
  }
  VariantInit(&v);
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

// One call's arguments: the caller's variants bound to the declared parameters, and the
// values the invoker sees. Only the first count_ entries are used.
class Call {
 public:
  Call(const TypeLibFuncDesc& fn, DISPPARAMS* dp, UINT* argErr)
      : fn_(fn), p_(fn.params.data()), count_(fn.params.size()), dp_(dp), argErr_(argErr) {}
  ~Call() {
    for (std::size_t k = 0; k < converted_; ++k)
      if (owned_[k]) VariantClear(&value_[k]);
  }
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;

  HRESULT run(void* instance, const char* interfaceName, VARIANT* result, EXCEPINFO* ei) {
    HRESULT hr = bind();
    if (FAILED(hr)) return hr;
    hr = convert();
    if (FAILED(hr)) return hr;
    // The invoker replaces the [out] values (releasing what they held); value_ owns them.
    const HRESULT memberHr = fn_.invoke(instance, value_);
    if (FAILED(memberHr)) {
      fillException(interfaceName, memberHr, ei);
      return DISP_E_EXCEPTION;
    }
    for (std::size_t k = 0; k < count_; ++k) {
      if (isRetval(p_[k])) {
        if (result) {
          *result = value_[k];
          VariantInit(&value_[k]);
        }
      } else if (isOut(p_[k])) {
        hr = storeOut(p_[k], *source_[k], &value_[k]);
        if (FAILED(hr)) return hr;
      }
    }
    return memberHr;
  }

 private:
  // Finds each declared parameter's argument.
  HRESULT bind() {
    if (count_ > kMaxParams) return E_FAIL;
    if (!dp_) return E_INVALIDARG;
    const UINT cArgs = dp_->cArgs;
    const UINT cNamed = dp_->cNamedArgs;
    if (cNamed > cArgs || (cArgs && !dp_->rgvarg) || (cNamed && !dp_->rgdispidNamedArgs))
      return E_INVALIDARG;
    // The retval, when there is one, is the last parameter.
    inCount_ = count_ && isRetval(p_[count_ - 1]) ? count_ - 1 : count_;
    const UINT positional = cArgs - cNamed;
    if (positional > inCount_) return argumentError(0, DISP_E_BADPARAMCOUNT);
    for (std::size_t k = 0; k < count_; ++k) source_[k] = nullptr;
    for (UINT i = 0; i < positional; ++i) {
      sourceIndex_[i] = cArgs - 1 - i;
      source_[i] = &dp_->rgvarg[sourceIndex_[i]];
    }
    const bool put = (fn_.kind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF)) != 0;
    for (UINT j = 0; j < cNamed; ++j) {
      const DISPID id = dp_->rgdispidNamedArgs[j];
      std::size_t k;
      if (id == DISPID_PROPERTYPUT && put && inCount_ > 0)
        k = inCount_ - 1;  // the value of a put is its last parameter
      else if (id >= 0 && static_cast<std::size_t>(id) < inCount_)
        k = static_cast<std::size_t>(id);
      else
        return argumentError(j, DISP_E_PARAMNOTFOUND);
      if (source_[k]) return argumentError(j, DISP_E_PARAMNOTFOUND);  // given twice
      source_[k] = &dp_->rgvarg[j];
      sourceIndex_[k] = j;
    }
    for (std::size_t k = 0; k < inCount_; ++k)
      if (!source_[k] || isMissing(*source_[k]))
        return argumentError(source_[k] ? sourceIndex_[k] : 0, DISP_E_PARAMNOTOPTIONAL);
    return S_OK;
  }

  HRESULT convert() {
    for (std::size_t k = 0; k < count_; ++k) {
      const TypeLibParamDesc& p = p_[k];
      VARIANT& v = value_[k];
      VariantInit(&v);
      owned_[k] = isOut(p);
      converted_ = k + 1;
      if (isRetval(p)) continue;
      const VARIANT& src = *source_[k];
      HRESULT hr = S_OK;
      if (isOut(p)) {
        if (!refersToOutType(p, src)) return argumentError(sourceIndex_[k], DISP_E_TYPEMISMATCH);
        if (isIn(p)) {
          hr = p.vt == VT_DISPATCH ? objectArgument(src, p.iid, &v)
                                   : VariantChangeType(&v, &src, 0, p.vt);
          // An empty variant behind the reference starts the value at its type's zero.
          if (FAILED(hr) && (src.vt & VT_TYPEMASK) == VT_VARIANT && src.pvarVal->vt == VT_EMPTY) {
            VariantInit(&v);
            v.vt = p.vt;
            hr = S_OK;
          }
        }
      } else if (src.vt == p.vt && p.vt != VT_DISPATCH) {
        v = src;  // the common case: borrowed as it is
      } else {
        owned_[k] = true;
        hr = p.vt == VT_DISPATCH ? objectArgument(src, p.iid, &v)
                                 : VariantChangeType(&v, &src, 0, p.vt);
      }
      if (hr == E_OUTOFMEMORY) return hr;
      if (FAILED(hr)) return argumentError(sourceIndex_[k], DISP_E_TYPEMISMATCH);
    }
    return S_OK;
  }

  HRESULT argumentError(UINT index, HRESULT hr) {
    if (argErr_) *argErr_ = index;
    return hr;
  }

  const TypeLibFuncDesc& fn_;
  const TypeLibParamDesc* p_;
  std::size_t count_;
  std::size_t inCount_ = 0;
  std::size_t converted_ = 0;  // value_ entries initialised so far
  DISPPARAMS* dp_;
  UINT* argErr_;
  const VARIANT* source_[kMaxParams];
  UINT sourceIndex_[kMaxParams];
  VARIANT value_[kMaxParams];
  bool owned_[kMaxParams];
};

// The common late-bound call: positional [in] arguments of exactly the declared types and
// at most a retval coming back. Nothing needs converting or releasing; false when the call
// is not of that kind (the general path then handles it).
bool invokeDirect(const TypeLibFuncDesc& fn, const char* interfaceName, void* instance,
                  const DISPPARAMS& dp, VARIANT* result, EXCEPINFO* excepinfo, HRESULT* hr) {
  const std::size_t count = fn.params.size();
  const TypeLibParamDesc* p = fn.params.data();
  const bool retval = count > 0 && isRetval(p[count - 1]);
  const std::size_t in = retval ? count - 1 : count;
  if (count > kMaxParams || dp.cNamedArgs != 0 || dp.cArgs != in || (in && !dp.rgvarg))
    return false;
  VARIANT args[kMaxParams];
  for (std::size_t k = 0; k < in; ++k) {
    const VARIANT& src = dp.rgvarg[in - 1 - k];
    if (p[k].flags != PARAMFLAG_FIN || src.vt != p[k].vt || src.vt == VT_DISPATCH) return false;
    // Field by field (see below): the caller has usually just stored the value alone.
    args[k].vt = src.vt;
    args[k].ullVal = src.ullVal;
  }
  if (retval) {
    args[in].vt = VT_EMPTY;
    args[in].ullVal = 0;
  }
  *hr = fn.invoke(instance, args);
  if (FAILED(*hr)) {
    if (retval) VariantClear(&args[in]);
    fillException(interfaceName, *hr, excepinfo);
    *hr = DISP_E_EXCEPTION;
  } else if (retval) {
    if (result) {
      // Field by field: the invoker has just written vt and the value separately, and one
      // wide load over both fresh stores cannot be forwarded from them (a pipeline stall).
      result->vt = args[in].vt;
      result->wReserved1 = result->wReserved2 = result->wReserved3 = 0;
      result->ullVal = args[in].ullVal;
    } else {
      VariantClear(&args[in]);
    }
  }
  return true;
}

}  // namespace

HRESULT invokeDescribedFunction(const TypeLibFuncDesc& fn, const char* interfaceName,
                                void* instance, DISPPARAMS* params, VARIANT* result,
                                EXCEPINFO* excepinfo, UINT* argErr) {
  if (!instance || !fn.invoke) return E_INVALIDARG;
  HRESULT hr = S_OK;
  if (params && invokeDirect(fn, interfaceName, instance, *params, result, excepinfo, &hr))
    return hr;
  Call call(fn, params, argErr);
  return call.run(instance, interfaceName, result, excepinfo);
}
