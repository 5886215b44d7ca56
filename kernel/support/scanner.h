#pragma once
// The scanner: reads structured text such as the segment format string
// ("Sine", 0, 0, "fd1", 0.5) token by token, guided by a format.

#include <cstdarg>
#include <cstddef>

// Token kinds; any other character is a token of its own whose kind is its code (0..255,
// bytes above 127 included).
enum ScanToken : int {
  kTokEnd = -1,
  kTokInteger = 1,
  kTokNumber = 3,
  kTokName = 5,
};

// One token: its kind and where its characters stand in the text (empty at the end).
struct ScanTokenSpan {
  int kind = kTokEnd;
  const char* text = "";
  std::size_t length = 0;
};

// Reads the next token from *stream and advances past it:
// - spaces, tabs and other white space except the line feed are skipped; a line feed is a
//   token of its own;
// - a letter, "_" or "$" starts a name of letters, digits, "_" and "$" (kTokName);
// - a digit starts a number: digits, at most one "." before any exponent, one "e" or "E"
//   directly followed by an optional "+" or "-" (kTokInteger without point and exponent,
//   else kTokNumber);
// - any other character is a token by itself; the end of the text is kTokEnd.
// A null *stream reads as the empty text.
ScanTokenSpan nextToken(const char** stream);

// Size of the %n and %s output buffers, terminator included; longer names and strings are
// read whole and cut to kScanTextSize - 1 characters.
inline constexpr int kScanTextSize = 32;

// Reads items from *stream as format says and advances *stream:
//   %c  char*    the next character that is not white space; the end gives -1
//   %d  int*     optional "-" or "+" token, then a whole-number token (saturated to 32 bits)
//   %i  int*     as %d
//   %x  int*     one token, its leading hexadecimal digits (modulo 2^32)
//   %f  double*  optional sign token, then a number token within the range of double
//   %n  char*    a name token (buffer of kScanTextSize)
//   %s  char*    a string in double or single quotes, no escapes (buffer of kScanTextSize)
// Every other format token must equal the next stream token; a ")" in the stream where the
// format has "," ends the scan quietly (an argument list that ends early). Returns the count
// of items read, or -1 after a failure, which is reported through reportError. Outputs
// filled before a failure keep their values.
int scan(const char** stream, const char* format, ...);
int scanv(const char** stream, const char* format, va_list args);
