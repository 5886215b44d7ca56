#pragma once
// The argument handling of ITypeInfo::Invoke for one described function: maps the
// DISPPARAMS of a late-bound call onto the declared parameters, converts them, calls the
// function's invoker and hands back [out] and [out, retval] values.

#include "platform/com/typelib.h"

// Calls fn on instance (a pointer to the interface that declares fn or derives from it):
// - the arguments stand in reverse order in params->rgvarg; named arguments come first and
//   name a parameter by its position, or DISPID_PROPERTYPUT for the value of a put;
// - too many arguments give DISP_E_BADPARAMCOUNT, a missing one (or one passed as
//   VT_ERROR/DISP_E_PARAMNOTFOUND) DISP_E_PARAMNOTOPTIONAL, an unknown named argument
//   DISP_E_PARAMNOTFOUND, an argument that does not convert to the declared type
//   DISP_E_TYPEMISMATCH; *argErr then holds the argument's index in rgvarg;
// - an [out] parameter needs a reference (VT_BYREF) to its type or to a VARIANT;
// - the [out, retval] value goes to *result when result is given (overwritten, not cleared);
// - a failure of the member itself gives DISP_E_EXCEPTION with its result code in
//   excepinfo->scode (and the thread's error information, if it left any); otherwise the
//   member's own success code is returned.
// Internal to the platform library (no interposable call on the hot path).
__attribute__((visibility("hidden"))) HRESULT invokeDescribedFunction(
    const TypeLibFuncDesc& fn, const char* interfaceName, void* instance, DISPPARAMS* params,
    VARIANT* result, EXCEPINFO* excepinfo, UINT* argErr);
