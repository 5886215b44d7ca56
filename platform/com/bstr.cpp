#include "platform/com/bstr.h"

#include <cstdlib>
#include <cstring>

namespace {

// The byte-length prefix sits immediately before the text.
std::uint32_t* header(BSTR s) { return reinterpret_cast<std::uint32_t*>(s) - 1; }

}  // namespace

BSTR SysAllocStringLen(const OLECHAR* s, unsigned len) {
  const std::size_t bytes = static_cast<std::size_t>(len) * sizeof(OLECHAR);
  if (bytes / sizeof(OLECHAR) != len || bytes > 0xFFFFFFF0u) return nullptr;
  void* block = std::malloc(sizeof(std::uint32_t) + bytes + sizeof(OLECHAR));
  if (!block) return nullptr;
  auto* prefix = static_cast<std::uint32_t*>(block);
  *prefix = static_cast<std::uint32_t>(bytes);
  BSTR text = reinterpret_cast<BSTR>(prefix + 1);
  if (s)
    std::memcpy(text, s, bytes);
  else
    std::memset(text, 0, bytes);
  text[len] = 0;
  return text;
}

BSTR SysAllocString(LPCOLESTR s) {
  if (!s) return nullptr;
  unsigned len = 0;
  while (s[len]) ++len;
  return SysAllocStringLen(s, len);
}

void SysFreeString(BSTR s) {
  if (s) std::free(header(s));
}

unsigned SysStringLen(BSTR s) { return s ? *header(s) / sizeof(OLECHAR) : 0; }

unsigned SysStringByteLen(BSTR s) { return s ? *header(s) : 0; }

int SysReAllocString(BSTR* target, LPCOLESTR s) {
  if (!target) return 0;
  BSTR fresh = SysAllocString(s);
  if (s && !fresh) return 0;
  SysFreeString(*target);
  *target = fresh;
  return 1;
}

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void appendUtf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    // Surrogate pair: c - 0x10000 split into two 10-bit halves.
    const char32_t v = c - 0x10000;
    out += static_cast<char16_t>(0xD800 | (v >> 10));
    out += static_cast<char16_t>(0xDC00 | (v & 0x3FF));
  }
}

}  // namespace

std::u16string utf16FromUtf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    int extra;
    char32_t c;
    char32_t minimum;
    if (b0 < 0x80) {
      out += static_cast<char16_t>(b0);
      ++i;
      continue;
    } else if ((b0 & 0xE0) == 0xC0) {
      extra = 1, c = b0 & 0x1F, minimum = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
      extra = 2, c = b0 & 0x0F, minimum = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
      extra = 3, c = b0 & 0x07, minimum = 0x10000;
    } else {
      appendUtf16(out, kReplacement);
      ++i;
      continue;
    }
    int taken = 0;
    while (taken < extra && i + 1 + taken < text.size() &&
           (static_cast<unsigned char>(text[i + 1 + taken]) & 0xC0) == 0x80) {
      c = (c << 6) | (static_cast<unsigned char>(text[i + 1 + taken]) & 0x3F);
      ++taken;
    }
    // A short sequence, an overlong form, a surrogate or a value beyond U+10FFFF is malformed;
    // it becomes one replacement character and reading resumes after the bytes consumed.
    if (taken < extra || c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
      appendUtf16(out, kReplacement);
    else
      appendUtf16(out, c);
    i += 1 + static_cast<std::size_t>(taken);
  }
  return out;
}

std::string utf8FromUtf16(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t u = text[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      // c = 0x10000 + (high - 0xD800)·0x400 + (low - 0xDC00)
      appendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      appendUtf8(out, kReplacement);
    } else {
      appendUtf8(out, u);
    }
  }
  return out;
}

BSTR SysAllocStringUtf8(std::string_view text) {
  const std::u16string wide = utf16FromUtf8(text);
  return SysAllocStringLen(wide.data(), static_cast<unsigned>(wide.size()));
}

std::string utf8FromBstr(BSTR s) {
  if (!s) return {};
  return utf8FromUtf16(std::u16string_view(s, SysStringLen(s)));
}

std::string utf8FromOleStr(LPCOLESTR s) {
  if (!s) return {};
  return utf8FromUtf16(std::u16string_view(s));
}
