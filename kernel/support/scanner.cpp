#include "kernel/support/scanner.h"

#include <locale.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "kernel/support/auxcom_messages.h"

namespace {

// Character classes of the ASCII range only: bytes of UTF-8 sequences are tokens of their
// own, and the C library's classifiers would depend on the locale.
bool isBlank(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }
bool isDigit(int c) { return c >= '0' && c <= '9'; }
bool isLetter(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isNameStart(int c) { return isLetter(c) || c == '_' || c == '$'; }
bool isNamePart(int c) { return isNameStart(c) || isDigit(c); }
int byteAt(const char* p) { return static_cast<unsigned char>(*p); }

// Length of the number starting at text (a digit).
ScanTokenSpan numberToken(const char* text) {
  const char* p = text;
  bool point = false;
  bool exponent = false;
  for (;;) {
    const int c = byteAt(p);
    if (isDigit(c)) {
      ++p;
    } else if (c == '.' && !point && !exponent) {
      point = true;
      ++p;
    } else if ((c == 'e' || c == 'E') && !exponent) {
      exponent = true;
      ++p;
      if (*p == '+' || *p == '-') ++p;
    } else {
      break;
    }
  }
  return {point || exponent ? kTokNumber : kTokInteger, text, static_cast<std::size_t>(p - text)};
}

// A token's text, cut to fit, for messages.
struct TokenText {
  char text[128];
  explicit TokenText(const ScanTokenSpan& token) {
    const std::size_t length = std::min(token.length, sizeof text - 1);
    std::memcpy(text, token.text, length);
    text[length] = '\0';
  }
};

// Copies length characters into a kScanTextSize buffer, cutting what does not fit.
void storeText(char* out, const char* text, std::size_t length) {
  if (!out) return;
  length = std::min(length, static_cast<std::size_t>(kScanTextSize - 1));
  std::memcpy(out, text, length);
  out[length] = '\0';
}

bool sameToken(const ScanTokenSpan& a, const ScanTokenSpan& b) {
  return a.kind == b.kind && a.length == b.length && std::memcmp(a.text, b.text, a.length) == 0;
}

// Items reject tokens of the wrong kind with "<what> expected, '<token>' found."
bool rejectToken(const char* what, const ScanTokenSpan& token) {
  reportError("%s expected, '%s' found.\n", what, TokenText(token).text);
  return false;
}

// Reads an optional sign token and the token after it; sign becomes -1 or +1.
ScanTokenSpan signedToken(const char** stream, int* sign) {
  ScanTokenSpan token = nextToken(stream);
  *sign = 1;
  if (token.kind == '-' || token.kind == '+') {
    if (token.kind == '-') *sign = -1;
    token = nextToken(stream);
  }
  return token;
}

// %d, %i: the value saturates at the ends of the 32-bit range.
bool readInteger(const char** stream, int* out) {
  int sign = 1;
  const ScanTokenSpan token = signedToken(stream, &sign);
  if (token.kind != kTokInteger) return rejectToken("Number", token);
  constexpr std::int64_t kLimit = std::int64_t{1} << 31;  // |INT32_MIN|
  std::int64_t magnitude = 0;
  for (std::size_t i = 0; i < token.length; ++i)
    magnitude = std::min(kLimit, magnitude * 10 + (token.text[i] - '0'));
  const std::int64_t value = std::clamp<std::int64_t>(sign * magnitude, INT32_MIN, INT32_MAX);
  if (out) *out = static_cast<int>(value);
  return true;
}

// %x: the token's leading hexadecimal digits; any token is accepted.
bool readHex(const char** stream, int* out) {
  const ScanTokenSpan token = nextToken(stream);
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < token.length; ++i) {
    const int c = byteAt(token.text + i);
    int digit;
    if (isDigit(c))
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      break;
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  if (out) *out = static_cast<int>(value);
  return true;
}

// Numbers are always read with "." as the decimal point, whatever the program's locale.
double toDouble(const ScanTokenSpan& token) {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  const std::string text(token.text, token.length);
  return cLocale ? strtod_l(text.c_str(), nullptr, cLocale) : std::strtod(text.c_str(), nullptr);
}

// %f
bool readDouble(const char** stream, double* out) {
  int sign = 1;
  const ScanTokenSpan token = signedToken(stream, &sign);
  if (token.kind != kTokInteger && token.kind != kTokNumber) return rejectToken("Number", token);
  // Digits beyond the double range (1e400) would read as infinity, which no input means.
  const double value = toDouble(token);
  if (!std::isfinite(value)) return rejectToken("Finite number", token);
  if (out) *out = sign * value;
  return true;
}

// %n
bool readName(const char** stream, char* out) {
  const ScanTokenSpan token = nextToken(stream);
  if (token.kind != kTokName) return rejectToken("Name", token);
  storeText(out, token.text, token.length);
  return true;
}

// %s: a string cut off by the end of the text is reported and kept.
bool readString(const char** stream, char* out) {
  const ScanTokenSpan token = nextToken(stream);
  if (token.kind != '"' && token.kind != '\'') {
    reportError("String opening \" or ' expected, '%s' found.\n", TokenText(token).text);
    return false;
  }
  const char quote = static_cast<char>(token.kind);
  const char* start = *stream;
  const char* end = std::strchr(start, quote);
  if (!end) {
    end = start + std::strlen(start);
    reportError("String closing %c expected, EOS found.\n", quote);
    *stream = end;
  } else {
    *stream = end + 1;
  }
  storeText(out, start, static_cast<std::size_t>(end - start));
  return true;
}

// %c: white space of every kind, line feed included, is skipped.
bool readChar(const char** stream, char* out) {
  const char* p = *stream;
  while (isBlank(byteAt(p)) || *p == '\n') ++p;
  char c = static_cast<char>(-1);
  if (*p) c = *p++;
  *stream = p;
  if (out) *out = c;
  return true;
}

}  // namespace

ScanTokenSpan nextToken(const char** stream) {
  if (!stream) return {};
  if (!*stream) *stream = "";
  const char* p = *stream;
  while (isBlank(byteAt(p))) ++p;
  ScanTokenSpan token;
  const int c = byteAt(p);
  if (c == 0) {
    token = {kTokEnd, p, 0};
  } else if (isNameStart(c)) {
    const char* q = p + 1;
    while (isNamePart(byteAt(q))) ++q;
    token = {kTokName, p, static_cast<std::size_t>(q - p)};
  } else if (isDigit(c)) {
    token = numberToken(p);
  } else {
    token = {c, p, 1};
  }
  *stream = p + token.length;
  return token;
}

int scanv(const char** stream, const char* format, va_list args) {
  if (!stream || !format) return -1;
  if (!*stream) *stream = "";
  va_list ap;
  va_copy(ap, args);
  int count = 0;
  bool failed = false;
  const char* f = format;
  while (!failed) {
    const ScanTokenSpan formatToken = nextToken(&f);
    if (formatToken.kind == kTokEnd) break;
    if (formatToken.kind == '%' && isLetter(byteAt(f))) {
      const char specifier = *f++;
      bool read;
      switch (specifier) {
        case 'c': read = readChar(stream, va_arg(ap, char*)); break;
        case 'd':
        case 'i': read = readInteger(stream, va_arg(ap, int*)); break;
        case 'x': read = readHex(stream, va_arg(ap, int*)); break;
        case 'f': read = readDouble(stream, va_arg(ap, double*)); break;
        case 'n': read = readName(stream, va_arg(ap, char*)); break;
        case 's': read = readString(stream, va_arg(ap, char*)); break;
        default: reportError("unknown format specifier '%%%c'\n", specifier); read = false;
      }
      if (read) ++count;
      failed = !read;
      continue;
    }
    const ScanTokenSpan streamToken = nextToken(stream);
    if (sameToken(formatToken, streamToken)) continue;
    if (formatToken.kind == ',' && streamToken.kind == ')') break;  // the list ended early
    reportError("'%s' in format differs from '%s' in stream\n", TokenText(formatToken).text,
                TokenText(streamToken).text);
    failed = true;
  }
  va_end(ap);
  return failed ? -1 : count;
}

int scan(const char** stream, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int result = scanv(stream, format, args);
  va_end(args);
  return result;
}
