#include "platform/com/guid.h"

#include <cstdlib>

namespace {

constexpr char kHex[] = "0123456789ABCDEF";
constexpr std::size_t kRegistryFormLength = 38;  // {8-4-4-4-12}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads 2·bytes hex digits at text[pos] as a big-endian number.
bool readHex(std::string_view text, std::size_t pos, int bytes, std::uint64_t* out) {
  std::uint64_t v = 0;
  for (int i = 0; i < 2 * bytes; ++i) {
    const int d = hexValue(text[pos + static_cast<std::size_t>(i)]);
    if (d < 0) return false;
    v = (v << 4) | static_cast<unsigned>(d);
  }
  *out = v;
  return true;
}

void writeHex(std::string& out, std::uint64_t v, int bytes) {
  for (int i = 2 * bytes - 1; i >= 0; --i) out += kHex[(v >> (4 * i)) & 0xF];
}

HRESULT stringToGuid(LPCOLESTR text, GUID* out, HRESULT bad) {
  if (!text || !out) return E_POINTER;
  const std::string narrow = utf8FromOleStr(text);
  const auto g = guidFromString(narrow);
  if (!g) return bad;
  *out = *g;
  return S_OK;
}

HRESULT guidToTaskString(REFGUID g, LPOLESTR* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  auto* buf = static_cast<LPOLESTR>(CoTaskMemAlloc((kRegistryFormLength + 1) * sizeof(OLECHAR)));
  if (!buf) return E_OUTOFMEMORY;
  StringFromGUID2(g, buf, static_cast<int>(kRegistryFormLength + 1));
  *out = buf;
  return S_OK;
}

}  // namespace

std::string guidToString(REFGUID g) {
  std::string s;
  s.reserve(kRegistryFormLength);
  s += '{';
  writeHex(s, g.Data1, 4);
  s += '-';
  writeHex(s, g.Data2, 2);
  s += '-';
  writeHex(s, g.Data3, 2);
  s += '-';
  writeHex(s, g.Data4[0], 1);
  writeHex(s, g.Data4[1], 1);
  s += '-';
  for (int i = 2; i < 8; ++i) writeHex(s, g.Data4[i], 1);
  s += '}';
  return s;
}

std::optional<GUID> guidFromString(std::string_view t) {
  if (t.size() != kRegistryFormLength || t.front() != '{' || t.back() != '}' || t[9] != '-' ||
      t[14] != '-' || t[19] != '-' || t[24] != '-')
    return std::nullopt;
  GUID g{};
  std::uint64_t v;
  if (!readHex(t, 1, 4, &v)) return std::nullopt;
  g.Data1 = static_cast<std::uint32_t>(v);
  if (!readHex(t, 10, 2, &v)) return std::nullopt;
  g.Data2 = static_cast<std::uint16_t>(v);
  if (!readHex(t, 15, 2, &v)) return std::nullopt;
  g.Data3 = static_cast<std::uint16_t>(v);
  static constexpr std::size_t kBytePos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int i = 0; i < 8; ++i) {
    if (!readHex(t, kBytePos[i], 1, &v)) return std::nullopt;
    g.Data4[i] = static_cast<std::uint8_t>(v);
  }
  return g;
}

int StringFromGUID2(REFGUID g, LPOLESTR buf, int cchMax) {
  if (!buf || cchMax < static_cast<int>(kRegistryFormLength + 1)) return 0;
  const std::string s = guidToString(g);
  for (std::size_t i = 0; i < s.size(); ++i) buf[i] = static_cast<OLECHAR>(s[i]);
  buf[s.size()] = 0;
  return static_cast<int>(s.size() + 1);
}

HRESULT CLSIDFromString(LPCOLESTR text, CLSID* out) {
  return stringToGuid(text, out, CO_E_CLASSSTRING);
}
HRESULT IIDFromString(LPCOLESTR text, IID* out) { return stringToGuid(text, out, E_INVALIDARG); }
HRESULT StringFromCLSID(REFCLSID g, LPOLESTR* out) { return guidToTaskString(g, out); }
HRESULT StringFromIID(REFIID g, LPOLESTR* out) { return guidToTaskString(g, out); }

void* CoTaskMemAlloc(std::size_t bytes) { return std::malloc(bytes ? bytes : 1); }
void* CoTaskMemRealloc(void* block, std::size_t bytes) {
  return std::realloc(block, bytes ? bytes : 1);
}
void CoTaskMemFree(void* block) { std::free(block); }
