#pragma once
// The one case-insensitive comparison of the platform: registry key and value names, member
// names in type descriptions, file name endings and the words of variant text all compare
// this way. ASCII letters A-Z equal a-z; every other character (a UTF-8 byte or a UTF-16
// unit, taken unsigned) equals only itself, so no locale is involved.

#include <string_view>

namespace text_case_detail {

constexpr char32_t folded(char32_t c) { return c >= U'A' && c <= U'Z' ? c - U'A' + U'a' : c; }
constexpr char32_t unit(char c) { return static_cast<unsigned char>(c); }
constexpr char32_t unit(char16_t c) { return c; }

}  // namespace text_case_detail

// Negative, 0 or positive as a sorts before, equal to or after b, ignoring ASCII case; a
// text that is the beginning of the other sorts first.
template <class A, class B>
constexpr int compareNoCase(std::basic_string_view<A> a, std::basic_string_view<B> b) {
  using text_case_detail::folded;
  using text_case_detail::unit;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    const char32_t x = folded(unit(a[i])), y = folded(unit(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

constexpr bool equalsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && compareNoCase(a, b) == 0;
}
constexpr bool equalsNoCase(std::u16string_view a, std::string_view b) {
  return a.size() == b.size() && compareNoCase(a, b) == 0;
}
