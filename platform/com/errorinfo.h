#pragma once
// Thread error information: the error object a failing member leaves for its caller, one
// per thread. Setting it replaces (and releases) the previous one; GetErrorInfo hands it to
// the caller and clears it.

#include <string_view>

#include "platform/com/interfaces.h"

// Keeps perrinfo (adds a reference; null clears) as this thread's error object.
HRESULT SetErrorInfo(ULONG reserved, IErrorInfo* perrinfo);
// Moves this thread's error object to *pperrinfo (the caller owns the reference) and clears
// it; S_FALSE with null when there is none.
HRESULT GetErrorInfo(ULONG reserved, IErrorInfo** pperrinfo);
// A new, empty error object (one reference) that also answers IErrorInfo.
HRESULT CreateErrorInfo(ICreateErrorInfo** pperrinfo);
// Builds an error object from UTF-8 texts and sets it as this thread's error information.
HRESULT SetErrorInfoText(REFGUID iid, std::string_view source, std::string_view description);
