#pragma once
// One late-bound call: Python arguments into DISPPARAMS (in reverse order, the value of a
// put as the named argument DISPID_PROPERTYPUT, [out] parameters as references to variants
// the call fills), IDispatch::Invoke, and the result back into Python, or a ComError.

#include <Python.h>

#include <string>
#include <vector>

#include "python/member_info.h"

namespace veldrive {

struct CallRequest {
  IDispatch* target = nullptr;
  const MemberInfo* member = nullptr;
  WORD flags = DISPATCH_METHOD;
  PyObject* const* args = nullptr;  // positional arguments in call order
  Py_ssize_t argCount = 0;
  PyObject* putValue = nullptr;  // the value of a put, else null
  std::string what;              // names the call in error texts ("get z0")
  // Result codes that end the call quietly: the call returns null with no Python error set
  // and *quietFailure holds the code. Used to find out what kind a member is.
  std::vector<HRESULT> quiet;
  HRESULT* quietFailure = nullptr;
};

// The result of the call: its value (None for puts and empty results); when the member has
// [out] parameters, a tuple of the [out, retval] value (if any) and then the [out] values.
// A ComError when the call failed, when the server reported an error during it (raised as
// DISP_E_EXCEPTION with the server's message), or when a put was answered with S_FALSE.
PyObject* invokeMember(const CallRequest& request);

}  // namespace veldrive
