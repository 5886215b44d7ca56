#include "kernel/support/text_conversion.h"

#include <cstddef>
#include <new>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Reads one code point from UTF-16 units at p (before end); returns the units used.
int decodeUtf16(const char16_t* p, const char16_t* end, char32_t* cp) {
  const char32_t u = p[0];
  if (isHighSurrogate(u) && p + 1 < end && isLowSurrogate(p[1])) {
    // cp = 0x10000 + (high − 0xD800)·2^10 + (low − 0xDC00)
    *cp = 0x10000 + ((u - 0xD800) << 10) + (char32_t{p[1]} - 0xDC00);
    return 2;
  }
  *cp = isHighSurrogate(u) || isLowSurrogate(u) ? kReplacement : u;
  return 1;
}

// Writes cp as UTF-8 into out (room for 4 bytes); returns the bytes written.
int encodeUtf8(char32_t cp, char* out) {
  if (cp < 0x80) {
    out[0] = static_cast<char>(cp);
    return 1;
  }
  if (cp < 0x800) {
    out[0] = static_cast<char>(0xC0 | (cp >> 6));
    out[1] = static_cast<char>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (cp >> 12));
    out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (cp >> 18));
  out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (cp & 0x3F));
  return 4;
}

// Reads one code point from the NUL-terminated UTF-8 text at p; returns the bytes used (at
// least 1). An ill-formed sequence gives U+FFFD and uses only its longest valid beginning,
// so the byte that broke it starts the next character.
int decodeUtf8(const unsigned char* p, char32_t* cp) {
  const unsigned char lead = p[0];
  int count;                              // continuation bytes that must follow
  unsigned char low = 0x80, high = 0xBF;  // range of the first continuation byte
  char32_t value;
  if (lead < 0x80) {
    *cp = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    count = 1;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    count = 2;
    value = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    count = 3;
    value = lead & 0x07;
    if (lead == 0xF0) low = 0x90;   // no overlong forms
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    *cp = kReplacement;
    return 1;
  }
  for (int i = 1; i <= count; ++i) {
    const unsigned char c = p[i];  // a NUL ends the loop here, never read past it
    if (c < low || c > high) {
      *cp = kReplacement;
      return i;
    }
    value = (value << 6) | (c & 0x3F);
    low = 0x80;
    high = 0xBF;
  }
  *cp = value;
  return count + 1;
}

// UTF-8 bytes of s, terminator excluded.
std::size_t utf8Length(BSTR s) {
  const char16_t* p = s;
  const char16_t* end = s + SysStringLen(s);
  std::size_t bytes = 0;
  char scratch[4];
  while (p < end) {
    char32_t cp;
    p += decodeUtf16(p, end, &cp);
    bytes += static_cast<std::size_t>(encodeUtf8(cp, scratch));
  }
  return bytes;
}

// Converts s into buf of size bytes (at least 1), cutting at a character boundary.
void convertToUtf8(BSTR s, char* buf, std::size_t size) {
  const char16_t* p = s;
  const char16_t* end = s + SysStringLen(s);
  std::size_t used = 0;
  while (p < end) {
    char32_t cp;
    const int units = decodeUtf16(p, end, &cp);
    char bytes[4];
    const int length = encodeUtf8(cp, bytes);
    if (used + static_cast<std::size_t>(length) > size - 1) break;
    for (int i = 0; i < length; ++i) buf[used++] = bytes[i];
    p += units;
  }
  buf[used] = '\0';
}

}  // namespace

char* bstrToText(BSTR s, char* buf, int n) {
  if (!s || !buf || n < 1) return buf;
  convertToUtf8(s, buf, static_cast<std::size_t>(n));
  return buf;
}

char* bstrToNewText(BSTR s) {
  if (!s) return nullptr;
  const std::size_t size = utf8Length(s) + 1;
  char* text = new (std::nothrow) char[size];
  if (text) convertToUtf8(s, text, size);
  return text;
}

BSTR textToBstr(const char* text) {
  if (!text) return SysAllocStringLen(nullptr, 0);
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  // First pass counts the UTF-16 units, the second writes them into the new string.
  std::size_t units = 0;
  for (const unsigned char* p = bytes; *p;) {
    char32_t cp;
    p += decodeUtf8(p, &cp);
    units += cp >= 0x10000 ? 2 : 1;
  }
  if (units > 0x7FFFFFF0u / sizeof(OLECHAR)) return nullptr;
  BSTR result = SysAllocStringLen(nullptr, static_cast<unsigned>(units));
  if (!result) return nullptr;
  OLECHAR* out = result;
  for (const unsigned char* p = bytes; *p;) {
    char32_t cp;
    p += decodeUtf8(p, &cp);
    if (cp >= 0x10000) {
      // high = 0xD800 + (cp − 0x10000) / 2^10, low = 0xDC00 + (cp − 0x10000) mod 2^10
      *out++ = static_cast<OLECHAR>(0xD800 + ((cp - 0x10000) >> 10));
      *out++ = static_cast<OLECHAR>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      *out++ = static_cast<OLECHAR>(cp);
    }
  }
  return result;
}
