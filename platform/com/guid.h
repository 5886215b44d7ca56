#pragma once
// Globally unique identifiers: 128 bits in the customary field layout, compared bytewise,
// written in registry form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (upper-case hex).

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "platform/com/hresult.h"
#include "platform/com/types.h"

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using CATID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using REFCATID = const CATID&;

constexpr bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}
constexpr bool IsEqualGUID(REFGUID a, REFGUID b) { return a == b; }
constexpr bool IsEqualIID(REFIID a, REFIID b) { return a == b; }
constexpr bool IsEqualCLSID(REFCLSID a, REFCLSID b) { return a == b; }

// A strict ordering, so identifiers can key ordered containers.
constexpr bool operator<(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1) return a.Data1 < b.Data1;
  if (a.Data2 != b.Data2) return a.Data2 < b.Data2;
  if (a.Data3 != b.Data3) return a.Data3 < b.Data3;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return a.Data4[i] < b.Data4[i];
  return false;
}

// Declares a named identifier constant in a header, one object for the whole program:
//   DEFINE_GUID(IID_IFoo, 0x12345678, 0x1234, 0x1234, 0x12, 0x34, 0x56, 0x78, 0x9a, 0xbc, 0xde,
//   0xf0);
#define DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
  inline constexpr GUID name = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}

DEFINE_GUID(GUID_NULL, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
inline constexpr IID IID_NULL = GUID_NULL;
inline constexpr CLSID CLSID_NULL = GUID_NULL;

// Registry form, 38 characters with braces, upper-case hex.
std::string guidToString(REFGUID g);
// Parses the registry form (hex digits in either case, braces required); nullopt otherwise.
std::optional<GUID> guidFromString(std::string_view text);

// The same for automation strings, as client code knows them.
// StringFromGUID2 writes the registry form and its NUL into buf; characters written
// including the NUL, 0 when cchMax < 39.
int StringFromGUID2(REFGUID g, LPOLESTR buf, int cchMax);
// CLSIDFromString / IIDFromString: registry form only; CO_E_CLASSSTRING (E_INVALIDARG for
// IIDFromString) when the text is no identifier, E_POINTER for null arguments.
HRESULT CLSIDFromString(LPCOLESTR text, CLSID* out);
HRESULT IIDFromString(LPCOLESTR text, IID* out);
// StringFromCLSID / StringFromIID: a new string from CoTaskMemAlloc; the caller frees it
// with CoTaskMemFree.
HRESULT StringFromCLSID(REFCLSID g, LPOLESTR* out);
HRESULT StringFromIID(REFIID g, LPOLESTR* out);

// Task memory: blocks handed across interfaces that the receiver frees.
void* CoTaskMemAlloc(std::size_t bytes);
void* CoTaskMemRealloc(void* block, std::size_t bytes);
void CoTaskMemFree(void* block);
