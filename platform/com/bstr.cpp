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
