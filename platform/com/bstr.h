#pragma once
// Automation strings: length-prefixed UTF-16 text. A BSTR points at the first character;
// the 32-bit byte length stands just before it and a NUL character just after the text.
// Texts inside the system are UTF-8; the conversions below cross between the two.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

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
// Bytes in the string (without the terminating NUL), 0 for null.
unsigned SysStringByteLen(BSTR s);
// Replaces *target by a new copy of s (freeing the old one); 0 when out of memory, which
// leaves *target untouched.
int SysReAllocString(BSTR* target, LPCOLESTR s);

// UTF-8 <-> UTF-16. Malformed input (bad UTF-8 bytes, unpaired surrogates) becomes U+FFFD;
// the conversions never fail.
std::u16string utf16FromUtf8(std::string_view text);
std::string utf8FromUtf16(std::u16string_view text);
// A new automation string holding the UTF-8 text; null only when out of memory.
BSTR SysAllocStringUtf8(std::string_view text);
// The text of an automation string (its full length, embedded NULs included) as UTF-8;
// empty for null.
std::string utf8FromBstr(BSTR s);
// The text of a NUL-terminated UTF-16 string as UTF-8; empty for null.
std::string utf8FromOleStr(LPCOLESTR s);

// Bstr: the owner of one automation string. It frees the string when it goes, so no caller
// writes SysFreeString by hand. Copies are deep; a null string reads as empty text.
//
//   Bstr name("Hub");                          // from UTF-8
//   drive->put_name(name.get());               // lend it to a call
//   Bstr type;
//   seg->get_typeName(type.put());             // out parameter: the owner takes it
//   QString text = QString::fromUtf16(type.view().data(), type.view().size());
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::string_view utf8) : s_(SysAllocStringUtf8(utf8)) {}
  explicit Bstr(std::u16string_view text)
      : s_(SysAllocStringLen(text.data(), static_cast<unsigned>(text.size()))) {}
  Bstr(const Bstr& other) : s_(other.s_ ? SysAllocStringLen(other.s_, other.length()) : nullptr) {}
  Bstr(Bstr&& other) noexcept : s_(other.detach()) {}
  ~Bstr() { SysFreeString(s_); }
  Bstr& operator=(Bstr other) noexcept {
    std::swap(s_, other.s_);
    return *this;
  }

  // Takes over a string the caller already owns.
  static Bstr adopt(BSTR s) {
    Bstr owner;
    owner.s_ = s;
    return owner;
  }

  BSTR get() const { return s_; }
  // For an out parameter: frees what is held and lends the slot the callee fills.
  BSTR* put() {
    reset();
    return &s_;
  }
  // Gives up ownership: the caller frees the string.
  BSTR detach() {
    BSTR s = s_;
    s_ = nullptr;
    return s;
  }
  void reset() {
    SysFreeString(s_);
    s_ = nullptr;
  }

  bool isNull() const { return s_ == nullptr; }
  unsigned length() const { return SysStringLen(s_); }
  // The UTF-16 text, embedded NULs included.
  std::u16string_view view() const { return {s_ ? s_ : u"", length()}; }
  std::string utf8() const { return utf8FromBstr(s_); }

 private:
  BSTR s_ = nullptr;
};
