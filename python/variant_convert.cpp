#include "python/variant_convert.h"

#include <cmath>

#include "platform/com/com_ptr.h"
#include "python/dispatch_object.h"

namespace veldrive {

bool variantFromPython(PyObject* value, VARIANT* out) {
  VariantInit(out);
  if (value == Py_None) return true;
  if (PyBool_Check(value)) {
    out->vt = VT_BOOL;
    out->boolVal = value == Py_True ? VARIANT_TRUE : VARIANT_FALSE;
    return true;
  }
  if (PyLong_Check(value)) {
    int overflow = 0;
    const long long n = PyLong_AsLongLongAndOverflow(value, &overflow);
    if (overflow) {
      PyErr_SetString(PyExc_OverflowError, "integer does not fit an automation variant (64 bits)");
      return false;
    }
    if (n == -1 && PyErr_Occurred()) return false;
    if (n >= INT32_MIN && n <= INT32_MAX) {
      out->vt = VT_I4;
      out->lVal = static_cast<LONG>(n);
    } else {
      out->vt = VT_I8;
      out->llVal = n;
    }
    return true;
  }
  if (PyFloat_Check(value)) {
    // NaN is no quantity: a server would store it and compare with it as if it were one.
    if (std::isnan(PyFloat_AS_DOUBLE(value))) {
      PyErr_SetString(PyExc_ValueError, "NaN cannot be passed to an automation server");
      return false;
    }
    out->vt = VT_R8;
    out->dblVal = PyFloat_AS_DOUBLE(value);
    return true;
  }
  if (PyUnicode_Check(value)) {
    Py_ssize_t size = 0;
    const char* text = PyUnicode_AsUTF8AndSize(value, &size);
    if (!text) return false;
    BSTR s = SysAllocStringUtf8(std::string_view(text, static_cast<std::size_t>(size)));
    if (!s) return PyErr_NoMemory(), false;
    out->vt = VT_BSTR;
    out->bstrVal = s;
    return true;
  }
  if (IDispatch* d = dispatchOf(value)) {
    out->vt = VT_DISPATCH;
    out->pdispVal = ComPtr<IDispatch>(d).detach();  // the variant owns a reference
    return true;
  }
  PyErr_Format(PyExc_TypeError, "a %.200s cannot be passed to an automation server",
               Py_TYPE(value)->tp_name);
  return false;
}

PyObject* pythonFromVariant(const VARIANT& v) {
  if (v.vt & VT_BYREF) {
    if (!v.byref) Py_RETURN_NONE;
    VARIANT plain;
    VariantInit(&plain);
    if (v.vt == (VT_BYREF | VT_VARIANT)) return pythonFromVariant(*v.pvarVal);
    // A reference to a plain value: read the value without taking ownership of it.
    plain.vt = static_cast<VARTYPE>(v.vt & ~VT_BYREF);
    switch (plain.vt) {
      case VT_I1:
      case VT_UI1: plain.bVal = *v.pbVal; break;
      case VT_I2:
      case VT_UI2: plain.iVal = *v.piVal; break;
      case VT_I4:
      case VT_UI4:
      case VT_INT:
      case VT_UINT:
      case VT_ERROR: plain.lVal = *v.plVal; break;
      case VT_I8:
      case VT_UI8: plain.llVal = *v.pllVal; break;
      case VT_R4: plain.fltVal = *v.pfltVal; break;
      case VT_R8:
      case VT_DATE: plain.dblVal = *v.pdblVal; break;
      case VT_BOOL: plain.boolVal = *v.pboolVal; break;
      case VT_BSTR: plain.bstrVal = *v.pbstrVal; break;
      case VT_DISPATCH: plain.pdispVal = *v.ppdispVal; break;
      case VT_UNKNOWN: plain.punkVal = *v.ppunkVal; break;
      default:
        PyErr_Format(PyExc_TypeError, "automation result of type 0x%04x is not supported", v.vt);
        return nullptr;
    }
    return pythonFromVariant(plain);
  }
  switch (v.vt) {
    case VT_EMPTY:
    case VT_NULL: Py_RETURN_NONE;
    case VT_BOOL: return PyBool_FromLong(v.boolVal != VARIANT_FALSE);
    case VT_I1: return PyLong_FromLong(v.cVal);
    case VT_UI1: return PyLong_FromLong(v.bVal);
    case VT_I2: return PyLong_FromLong(v.iVal);
    case VT_UI2: return PyLong_FromLong(v.uiVal);
    case VT_I4: return PyLong_FromLong(v.lVal);
    case VT_INT: return PyLong_FromLong(v.intVal);
    case VT_UI4: return PyLong_FromUnsignedLong(v.ulVal);
    case VT_UINT: return PyLong_FromUnsignedLong(v.uintVal);
    case VT_ERROR: return PyLong_FromUnsignedLong(static_cast<std::uint32_t>(v.scode));
    case VT_I8: return PyLong_FromLongLong(v.llVal);
    case VT_UI8: return PyLong_FromUnsignedLongLong(v.ullVal);
    case VT_R4: return PyFloat_FromDouble(v.fltVal);
    case VT_R8: return PyFloat_FromDouble(v.dblVal);
    case VT_BSTR: {
      const std::string text = utf8FromBstr(v.bstrVal);
      return PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace");
    }
    case VT_DISPATCH:
      if (!v.pdispVal) Py_RETURN_NONE;
      return wrapDispatch(v.pdispVal);
    case VT_UNKNOWN: {
      if (!v.punkVal) Py_RETURN_NONE;
      ComPtr<IDispatch> d;
      if (FAILED(v.punkVal->QueryInterface(IID_IDispatch, d.putVoid())) || !d) {
        PyErr_SetString(PyExc_TypeError, "the server returned an object without IDispatch");
        return nullptr;
      }
      return wrapDispatch(d.get());
    }
    default:
      PyErr_Format(PyExc_TypeError, "automation result of type 0x%04x is not supported", v.vt);
      return nullptr;
  }
}

}  // namespace veldrive
