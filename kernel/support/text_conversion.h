#pragma once
// Conversions between automation strings (UTF-16) and the kernel's 8-bit texts (UTF-8).
// Surrogate pairs become one 4-byte UTF-8 sequence and back; unpaired surrogates and
// invalid UTF-8 become U+FFFD, so every result is well formed.

#include "platform/com/bstr.h"

// Converts s into buf of n bytes, terminator included; a text that does not fit is cut at
// a character boundary. Returns buf; a null s (or a null buf, or n < 1) leaves buf untouched.
char* bstrToText(BSTR s, char* buf, int n);
// A new heap copy (delete[]) of s as 8-bit text; null for a null s or when memory runs out.
char* bstrToNewText(BSTR s);
// A new automation string of text; the empty string for a null text.
BSTR textToBstr(const char* text);
