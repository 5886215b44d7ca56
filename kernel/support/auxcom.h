#pragma once
// auxcom: the kernel's support library. Error messages, trace lines, the scanner that
// reads structured text, conversions between automation strings and 8-bit text, and two
// growable containers.

#include <cstdarg>
#include <cstdint>

#include "platform/com/bstr.h"

// ---- Messages and traces

// Formats into the library's 512-character message buffer and hands the text to the
// error hook (by default the platform message box titled "kError"). Returns the hook's
// result (0 for the message box).
int reportError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Receives every formatted error text. Tests and the desktop program install their own.
using ErrorHook = int (*)(const char* text);
// Installs a hook (null restores the default) and returns the previous one.
ErrorHook setErrorHook(ErrorHook hook);

// Formats into the 512-character trace buffer and sends the line to a running debug
// monitor: 0 when a monitor took it, 1 when it went to standard output instead.
int traceDebug(const char* format, ...) __attribute__((format(printf, 1, 2)));

// ---- Scanner

// Token kinds; any other character is a token of its own whose kind is its code.
enum ScanToken : int {
  kTokEnd = -1,
  kTokInteger = 1,
  kTokNumber = 3,
  kTokName = 5,
};

// Reads items from *stream as format says (%c %d %i %x %f %n %s; other format tokens must
// match the stream's). Advances *stream. Returns the count of items read, or -1 after a
// failure, which is reported through reportError. %n and %s outputs are char buffers of 32
// bytes; longer names and strings are cut to 31 characters.
int scan(const char** stream, const char* format, ...);

// ---- Conversions

// Converts min(n, length + 1) characters of s into buf; a null s leaves buf untouched.
char* bstrToText(BSTR s, char* buf, int n);
// A new heap copy (delete[]) of s as 8-bit text; null for a null s.
char* bstrToNewText(BSTR s);
// A new automation string of text; the empty string for a null text.
BSTR textToBstr(const char* text);
