#pragma once
// Python values <-> automation variants.
//   None <-> VT_EMPTY (VT_NULL reads as None too)
//   bool <-> VT_BOOL
//   int  <-> VT_I4 (VT_I8 beyond 32 bits); VT_I1/I2/UI1/UI2/UI4/INT/UINT/UI8 read as int
//   float <-> VT_R8 (VT_R4 reads as float)
//   str  <-> VT_BSTR (UTF-8 in Python, UTF-16 in the variant)
//   dispatch object <-> VT_DISPATCH (VT_UNKNOWN reads through QueryInterface(IDispatch))
// References (VT_BYREF) are followed when reading.

#include <Python.h>

#include "platform/com/interfaces.h"

namespace veldrive {

// Fills *out (initialised by the caller) with value; false with a Python error set
// (TypeError for a value of no automation type, OverflowError beyond 64 bits, ValueError
// for NaN).
bool variantFromPython(PyObject* value, VARIANT* out);

// A new Python object for v (v is left as it is); null with a Python error set.
PyObject* pythonFromVariant(const VARIANT& v);

}  // namespace veldrive
