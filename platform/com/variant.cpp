#include "platform/com/variant.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "platform/com/interfaces.h"
#include "platform/com/text_case.h"

namespace {

// Types whose value sits in the variant itself and is copied bit for bit.
bool isPlainType(VARTYPE vt) {
  switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_I8:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_BOOL:
    case VT_ERROR: return true;
    default: return false;
  }
}

bool isOwningType(VARTYPE vt) { return vt == VT_BSTR || vt == VT_DISPATCH || vt == VT_UNKNOWN; }

// Types a reference (VT_BYREF) may point at.
bool isReferenceableType(VARTYPE base) {
  if (base == VT_EMPTY || base == VT_NULL) return false;
  return isPlainType(base) || isOwningType(base) || base == VT_VARIANT;
}

bool isValidType(VARTYPE vt) {
  if (vt & VT_BYREF)
    return (vt & ~VT_BYREF) == (vt & VT_TYPEMASK) && isReferenceableType(vt & VT_TYPEMASK);
  return isPlainType(vt) || isOwningType(vt);
}

// A non-owning variant holding what the reference in src points at.
HRESULT dereference(const VARIANT& src, VARIANT* view) {
  VariantInit(view);
  if (!src.byref) return E_INVALIDARG;
  const VARTYPE base = src.vt & VT_TYPEMASK;
  switch (base) {
    case VT_VARIANT:
      if (src.pvarVal->vt & VT_BYREF) return E_INVALIDARG;  // one level of reference only
      *view = *src.pvarVal;
      return S_OK;
    case VT_I1: view->cVal = *src.pcVal; break;
    case VT_UI1: view->bVal = *src.pbVal; break;
    case VT_I2: view->iVal = *src.piVal; break;
    case VT_UI2: view->uiVal = *src.puiVal; break;
    case VT_I4: view->lVal = *src.plVal; break;
    case VT_UI4: view->ulVal = *src.pulVal; break;
    case VT_I8: view->llVal = *src.pllVal; break;
    case VT_UI8: view->ullVal = *src.pullVal; break;
    case VT_INT: view->intVal = *src.pintVal; break;
    case VT_UINT: view->uintVal = *src.puintVal; break;
    case VT_R4: view->fltVal = *src.pfltVal; break;
    case VT_R8: view->dblVal = *src.pdblVal; break;
    case VT_CY: view->cyVal = *src.pcyVal; break;
    case VT_DATE: view->date = *src.pdate; break;
    case VT_BOOL: view->boolVal = *src.pboolVal; break;
    case VT_ERROR: view->scode = *src.pscode; break;
    case VT_BSTR: view->bstrVal = *src.pbstrVal; break;
    case VT_DISPATCH: view->pdispVal = *src.ppdispVal; break;
    case VT_UNKNOWN: view->punkVal = *src.ppunkVal; break;
    default: return DISP_E_BADVARTYPE;
  }
  view->vt = base;
  return S_OK;
}

// ---- Conversion ----------------------------------------------------------------------

// A source value reduced to one of a few kinds.
struct Scalar {
  enum Kind { Int, UInt, Real, Bool, Text } kind;
  std::int64_t i = 0;
  std::uint64_t u = 0;
  double r = 0;
  std::string text;
};

HRESULT toScalar(const VARIANT& v, WORD flags, Scalar* s) {
  switch (v.vt) {
    case VT_EMPTY:
      s->kind = Scalar::Int;
      s->i = 0;
      return S_OK;
    case VT_I1:
      s->kind = Scalar::Int;
      s->i = v.cVal;
      return S_OK;
    case VT_I2:
      s->kind = Scalar::Int;
      s->i = v.iVal;
      return S_OK;
    case VT_I4:
      s->kind = Scalar::Int;
      s->i = v.lVal;
      return S_OK;
    case VT_I8:
      s->kind = Scalar::Int;
      s->i = v.llVal;
      return S_OK;
    case VT_INT:
      s->kind = Scalar::Int;
      s->i = v.intVal;
      return S_OK;
    case VT_UI1:
      s->kind = Scalar::Int;
      s->i = v.bVal;
      return S_OK;
    case VT_UI2:
      s->kind = Scalar::Int;
      s->i = v.uiVal;
      return S_OK;
    case VT_UI4:
      s->kind = Scalar::Int;
      s->i = v.ulVal;
      return S_OK;
    case VT_UINT:
      s->kind = Scalar::Int;
      s->i = v.uintVal;
      return S_OK;
    case VT_UI8:
      s->kind = Scalar::UInt;
      s->u = v.ullVal;
      return S_OK;
    case VT_R4:
      s->kind = Scalar::Real;
      s->r = v.fltVal;
      return S_OK;
    case VT_R8:
      s->kind = Scalar::Real;
      s->r = v.dblVal;
      return S_OK;
    case VT_BOOL:
      s->kind = Scalar::Bool;
      s->i = v.boolVal ? -1 : 0;
      return S_OK;
    case VT_BSTR:
      s->kind = Scalar::Text;
      s->text = utf8FromBstr(v.bstrVal);
      return S_OK;
    default: (void)flags; return DISP_E_TYPEMISMATCH;
  }
}

std::string_view trimmed(std::string_view t) {
  while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
  return t;
}

// A text as a number: an exact integer when it is one, else a decimal real number.
// Only plain decimal notation is read ("12", "-3.5", "1e-3"); not "inf", "nan" or hex.
HRESULT parseNumber(std::string_view text, Scalar* out) {
  std::string_view t = trimmed(text);
  bool negative = false;
  if (!t.empty() && (t.front() == '+' || t.front() == '-')) {
    negative = t.front() == '-';
    t.remove_prefix(1);
  }
  if (t.empty() || !((t.front() >= '0' && t.front() <= '9') || t.front() == '.'))
    return DISP_E_TYPEMISMATCH;
  const char* first = t.data();
  const char* last = t.data() + t.size();
  std::uint64_t mag = 0;
  auto ir = std::from_chars(first, last, mag);
  if (ir.ptr == last) {
    if (ir.ec == std::errc::result_out_of_range) return DISP_E_OVERFLOW;
    if (!negative) {
      out->kind = Scalar::UInt;
      out->u = mag;
      return S_OK;
    }
    if (mag > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + 1u)
      return DISP_E_OVERFLOW;
    out->kind = Scalar::Int;
    out->i = mag == 0 ? 0 : static_cast<std::int64_t>(0 - mag);
    return S_OK;
  }
  double r = 0;
  auto dr = std::from_chars(first, last, r, std::chars_format::general);
  if (dr.ptr != last) return DISP_E_TYPEMISMATCH;
  if (dr.ec == std::errc::result_out_of_range) {
    // Out of range is overflow, unless the exponent was negative: then the value underflows to 0.
    const auto e = t.find_first_of("eE");
    if (e != std::string_view::npos && e + 1 < t.size() && t[e + 1] == '-')
      r = 0;
    else
      return DISP_E_OVERFLOW;
  } else if (dr.ec != std::errc()) {
    return DISP_E_TYPEMISMATCH;
  }
  out->kind = Scalar::Real;
  out->r = negative ? -r : r;
  return S_OK;
}

// Integer targets with their ranges.
bool integerTarget(VARTYPE vt, std::int64_t* lo, std::uint64_t* hi) {
  switch (vt) {
    case VT_I1:
      *lo = -128;
      *hi = 127;
      return true;
    case VT_I2:
      *lo = -32768;
      *hi = 32767;
      return true;
    case VT_I4:
    case VT_INT:
      *lo = std::numeric_limits<std::int32_t>::min();
      *hi = std::numeric_limits<std::int32_t>::max();
      return true;
    case VT_I8:
      *lo = std::numeric_limits<std::int64_t>::min();
      *hi = std::numeric_limits<std::int64_t>::max();
      return true;
    case VT_UI1:
      *lo = 0;
      *hi = 0xFF;
      return true;
    case VT_UI2:
      *lo = 0;
      *hi = 0xFFFF;
      return true;
    case VT_UI4:
    case VT_UINT:
      *lo = 0;
      *hi = 0xFFFFFFFFu;
      return true;
    case VT_UI8:
      *lo = 0;
      *hi = std::numeric_limits<std::uint64_t>::max();
      return true;
    default: return false;
  }
}

void storeInteger(VARIANT* v, VARTYPE vt, std::uint64_t bits) {
  v->vt = vt;
  switch (vt) {
    case VT_I1: v->cVal = static_cast<CHAR>(bits); break;
    case VT_I2: v->iVal = static_cast<SHORT>(bits); break;
    case VT_I4: v->lVal = static_cast<LONG>(bits); break;
    case VT_INT: v->intVal = static_cast<INT>(bits); break;
    case VT_I8: v->llVal = static_cast<LONGLONG>(bits); break;
    case VT_UI1: v->bVal = static_cast<BYTE>(bits); break;
    case VT_UI2: v->uiVal = static_cast<USHORT>(bits); break;
    case VT_UI4: v->ulVal = static_cast<ULONG>(bits); break;
    case VT_UINT: v->uintVal = static_cast<UINT>(bits); break;
    default: v->ullVal = bits; break;
  }
}

// Range check of a signed or unsigned 64-bit value against [lo, hi]; bits keep the value's
// two's-complement pattern for storing.
HRESULT fitInteger(const Scalar& s, std::int64_t lo, std::uint64_t hi, std::uint64_t* bits) {
  if (s.kind == Scalar::UInt) {
    if (s.u > hi) return DISP_E_OVERFLOW;
    *bits = s.u;
    return S_OK;
  }
  // True (-1) into an unsigned type sets every bit of it, as a two's-complement cast would.
  if (s.kind == Scalar::Bool && lo == 0) return *bits = s.i ? hi : 0, S_OK;
  if (s.i < lo) return DISP_E_OVERFLOW;
  if (s.i >= 0 && static_cast<std::uint64_t>(s.i) > hi) return DISP_E_OVERFLOW;
  *bits = static_cast<std::uint64_t>(s.i);
  return S_OK;
}

// A real number rounded to the nearest integer, halves to even (2.5 → 2, 3.5 → 4).
HRESULT roundReal(double r, Scalar* out) {
  if (!std::isfinite(r)) return DISP_E_OVERFLOW;
  const double n = r - std::remainder(r, 1.0);  // remainder rounds the quotient half to even
  constexpr double kTwo63 = 9223372036854775808.0;
  if (n >= -kTwo63 && n < kTwo63) {
    out->kind = Scalar::Int;
    out->i = static_cast<std::int64_t>(n);
  } else if (n >= 0 && n < 2 * kTwo63) {
    out->kind = Scalar::UInt;
    out->u = static_cast<std::uint64_t>(n);
  } else {
    return DISP_E_OVERFLOW;
  }
  return S_OK;
}

HRESULT textToBool(const std::string& text, bool* out) {
  const std::string_view t = trimmed(text);
  if (equalsNoCase(t, "true")) return *out = true, S_OK;
  if (equalsNoCase(t, "false")) return *out = false, S_OK;
  Scalar n;
  const HRESULT hr = parseNumber(t, &n);
  if (hr == DISP_E_OVERFLOW) return *out = true, S_OK;  // too large for a number, still not 0
  if (FAILED(hr)) return hr;
  *out = n.kind == Scalar::Real ? n.r != 0 : n.kind == Scalar::UInt ? n.u != 0 : n.i != 0;
  return S_OK;
}

std::string realToText(double r, int digits) {
  if (r == 0) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*G", digits, r);
  return buf;
}

HRESULT scalarToText(const Scalar& s, VARTYPE srcVt, WORD flags, BSTR* out) {
  std::string text;
  switch (s.kind) {
    case Scalar::Text: text = s.text; break;
    case Scalar::Int: text = std::to_string(s.i); break;
    case Scalar::UInt: text = std::to_string(s.u); break;
    case Scalar::Real: text = realToText(s.r, srcVt == VT_R4 ? 7 : 15); break;
    case Scalar::Bool:
      if (flags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL))
        text = s.i ? "True" : "False";
      else
        text = s.i ? "-1" : "0";
      break;
  }
  if (srcVt == VT_EMPTY) text.clear();
  *out = SysAllocStringUtf8(text);
  return *out ? S_OK : E_OUTOFMEMORY;
}

// Converts a plain (non-reference, non-object) value.
HRESULT convertValue(const VARIANT& src, WORD flags, VARTYPE vt, VARIANT* out) {
  Scalar s;
  HRESULT hr = toScalar(src, flags, &s);
  if (FAILED(hr)) return hr;
  if (vt == VT_BSTR) return (out->vt = VT_BSTR, scalarToText(s, src.vt, flags, &out->bstrVal));
  if (vt == VT_BOOL) {
    bool b = false;
    switch (s.kind) {
      case Scalar::Int:
      case Scalar::Bool: b = s.i != 0; break;
      case Scalar::UInt: b = s.u != 0; break;
      case Scalar::Real: b = s.r != 0; break;
      case Scalar::Text: hr = textToBool(s.text, &b); break;
    }
    if (FAILED(hr)) return hr;
    out->vt = VT_BOOL;
    out->boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  if (s.kind == Scalar::Text) {
    hr = parseNumber(s.text, &s);
    if (FAILED(hr)) return hr;
  }
  if (vt == VT_R8 || vt == VT_R4) {
    const double r = s.kind == Scalar::Real   ? s.r
                     : s.kind == Scalar::UInt ? static_cast<double>(s.u)
                                              : static_cast<double>(s.i);
    if (vt == VT_R8) {
      out->vt = VT_R8;
      out->dblVal = r;
      return S_OK;
    }
    if (std::isfinite(r) && std::fabs(r) > std::numeric_limits<float>::max())
      return DISP_E_OVERFLOW;
    out->vt = VT_R4;
    out->fltVal = static_cast<float>(r);
    return S_OK;
  }
  std::int64_t lo;
  std::uint64_t hi;
  if (!integerTarget(vt, &lo, &hi)) return DISP_E_TYPEMISMATCH;
  if (s.kind == Scalar::Real) {
    hr = roundReal(s.r, &s);
    if (FAILED(hr)) return hr;
  }
  std::uint64_t bits = 0;
  hr = fitInteger(s, lo, hi, &bits);
  if (FAILED(hr)) return hr;
  storeInteger(out, vt, bits);
  return S_OK;
}

HRESULT queryInto(IUnknown* object, REFIID iid, void** out) {
  *out = nullptr;
  if (!object) return S_OK;
  return SUCCEEDED(object->QueryInterface(iid, out)) ? S_OK : DISP_E_TYPEMISMATCH;
}

// The default value (DISPID_VALUE) of an object.
HRESULT defaultValue(IDispatch* object, VARIANT* out) {
  if (!object) return DISP_E_TYPEMISMATCH;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VariantInit(out);
  const HRESULT hr = object->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT,
                                    DISPATCH_PROPERTYGET, &none, out, nullptr, nullptr);
  if (FAILED(hr)) {
    VariantClear(out);
    return DISP_E_TYPEMISMATCH;
  }
  return S_OK;
}

HRESULT convert(const VARIANT& src, WORD flags, VARTYPE vt, VARIANT* out, int depth) {
  VariantInit(out);
  if (src.vt == vt) return VariantCopy(out, &src);  // exact, also for strings and objects
  switch (vt) {
    case VT_EMPTY: return S_OK;
    case VT_NULL:
    case VT_ERROR:
      if (src.vt != vt) return DISP_E_TYPEMISMATCH;
      *out = src;
      return S_OK;
    case VT_DISPATCH:
    case VT_UNKNOWN: {
      if (src.vt != VT_DISPATCH && src.vt != VT_UNKNOWN) return DISP_E_TYPEMISMATCH;
      void* p = nullptr;
      const HRESULT hr =
          queryInto(src.punkVal, vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown, &p);
      if (FAILED(hr)) return hr;
      out->vt = vt;
      out->byref = p;
      return S_OK;
    }
    default: break;
  }
  if (src.vt == VT_DISPATCH) {
    if ((flags & VARIANT_NOVALUEPROP) || depth > 0) return DISP_E_TYPEMISMATCH;
    VARIANT value;
    HRESULT hr = defaultValue(src.pdispVal, &value);
    if (FAILED(hr)) return hr;
    VARIANT plain;
    hr = value.vt & VT_BYREF ? dereference(value, &plain) : (plain = value, S_OK);
    if (SUCCEEDED(hr)) hr = convert(plain, flags, vt, out, depth + 1);
    VariantClear(&value);
    return hr;
  }
  if (src.vt == VT_NULL || src.vt == VT_UNKNOWN || src.vt == VT_ERROR) return DISP_E_TYPEMISMATCH;
  return convertValue(src, flags, vt, out);
}

bool isConvertibleTarget(VARTYPE vt) {
  return vt != VT_CY && vt != VT_DATE && (isPlainType(vt) || isOwningType(vt));
}

}  // namespace

void VariantInit(VARIANTARG* v) {
  if (!v) return;
  v->vt = VT_EMPTY;
  v->wReserved1 = v->wReserved2 = v->wReserved3 = 0;
  v->ullVal = 0;
}

HRESULT VariantClear(VARIANTARG* v) {
  if (!v) return E_INVALIDARG;
  if (!isValidType(v->vt)) return DISP_E_BADVARTYPE;
  if (v->vt == VT_BSTR)
    SysFreeString(v->bstrVal);
  else if ((v->vt == VT_DISPATCH || v->vt == VT_UNKNOWN) && v->punkVal)
    v->punkVal->Release();
  VariantInit(v);
  return S_OK;
}

HRESULT VariantCopy(VARIANTARG* dest, const VARIANTARG* src) {
  if (!dest || !src) return E_INVALIDARG;
  if (dest == src) return S_OK;
  if (!isValidType(src->vt)) return DISP_E_BADVARTYPE;
  VARIANT copy = *src;
  if (src->vt == VT_BSTR && src->bstrVal) {
    copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
    if (!copy.bstrVal) return E_OUTOFMEMORY;
  }
  const HRESULT hr = VariantClear(dest);
  if (FAILED(hr)) {
    if (copy.vt == VT_BSTR) SysFreeString(copy.bstrVal);
    return hr;
  }
  if ((copy.vt == VT_DISPATCH || copy.vt == VT_UNKNOWN) && copy.punkVal) copy.punkVal->AddRef();
  *dest = copy;
  return S_OK;
}

HRESULT VariantCopyInd(VARIANT* dest, const VARIANTARG* src) {
  if (!dest || !src) return E_INVALIDARG;
  if (!isValidType(src->vt)) return DISP_E_BADVARTYPE;
  if (!(src->vt & VT_BYREF)) return VariantCopy(dest, src);
  VARIANT view;
  HRESULT hr = dereference(*src, &view);
  if (FAILED(hr)) return hr;
  VARIANT copy;
  VariantInit(&copy);
  hr = VariantCopy(&copy, &view);  // a deep copy first, so dest may be src
  if (FAILED(hr)) return hr;
  hr = VariantClear(dest);
  if (FAILED(hr)) {
    VariantClear(&copy);
    return hr;
  }
  *dest = copy;
  return S_OK;
}

HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* src, WORD flags, VARTYPE vt) {
  return VariantChangeTypeEx(dest, src, LOCALE_USER_DEFAULT, flags, vt);
}

HRESULT VariantChangeTypeEx(VARIANTARG* dest, const VARIANTARG* src, LCID, WORD flags, VARTYPE vt) {
  if (!dest || !src) return E_INVALIDARG;
  if (!isValidType(src->vt) || !isValidType(vt & ~VT_BYREF) || (vt & VT_BYREF))
    return DISP_E_BADVARTYPE;
  if (!isConvertibleTarget(vt)) return DISP_E_TYPEMISMATCH;
  VARIANT plain;
  HRESULT hr = src->vt & VT_BYREF ? dereference(*src, &plain) : (plain = *src, S_OK);
  if (FAILED(hr)) return hr;
  if (plain.vt == VT_CY || plain.vt == VT_DATE) return DISP_E_TYPEMISMATCH;
  VARIANT result;
  hr = convert(plain, flags, vt, &result, 0);
  if (FAILED(hr)) return hr;
  hr = VariantClear(dest);
  if (FAILED(hr)) {
    VariantClear(&result);
    return hr;
  }
  *dest = result;
  return S_OK;
}

void ExcepInfoClear(EXCEPINFO* e) {
  if (!e) return;
  for (BSTR* s : {&e->bstrSource, &e->bstrDescription, &e->bstrHelpFile}) {
    SysFreeString(*s);
    *s = nullptr;
  }
}
