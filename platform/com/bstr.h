#pragma once
// Automation strings: length-prefixed UTF-16 text. A BSTR points at the first character;
// the 32-bit byte length stands just before it and a NUL character just after the text.

#include <cstdint>

using OLECHAR = char16_t;
using BSTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;

// A new string holding the NUL-terminated text s; null for a null s.
BSTR SysAllocString(LPCOLESTR s);
// A new string of len characters copied from s (left zero-filled when s is null).
BSTR SysAllocStringLen(const OLECHAR* s, unsigned len);
// Frees a string from the two above; a null string is ignored.
void SysFreeString(BSTR s);
// Characters in the string, 0 for null.
unsigned SysStringLen(BSTR s);
