#include "kernel/support/text_buffer.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>

#include "kernel/support/text_conversion.h"

TextBuffer::TextBuffer(std::int32_t capacity, std::int32_t growStep)
    : growStep_(growStep > 0 ? growStep : 0) {
  if (capacity > 0) resize(std::min(capacity, kMaxCapacity));
}

TextBuffer::~TextBuffer() { std::free(data_); }

bool TextBuffer::reserve(std::int64_t needed) {
  if (needed <= capacity_) return true;
  if (needed > kMaxCapacity) return false;
  // Grows by the step, else by the capacity (16 when none), and at least to needed.
  const std::int64_t increment = growStep_ ? growStep_ : (capacity_ ? capacity_ : 16);
  const std::int64_t grown = std::max<std::int64_t>(capacity_ + increment, needed);
  return resize(static_cast<std::int32_t>(std::min<std::int64_t>(grown, kMaxCapacity)));
}

bool TextBuffer::resize(std::int32_t capacity) {
  void* block = std::realloc(data_, static_cast<std::size_t>(capacity));
  if (!block) return false;
  data_ = static_cast<char*>(block);
  data_[length_] = '\0';
  capacity_ = capacity;
  return true;
}

bool TextBuffer::appendBytes(const char* text, std::int32_t length) {
  if (length <= 0) return true;
  if (!reserve(std::int64_t{length_} + length + 1)) return false;
  std::memcpy(data_ + length_, text, static_cast<std::size_t>(length));
  length_ += length;
  data_[length_] = '\0';
  return true;
}

bool TextBuffer::append(const char* text) {
  if (!text) return true;
  const std::size_t length = std::strlen(text);
  if (length >= static_cast<std::size_t>(kMaxCapacity)) return false;
  return appendBytes(text, static_cast<std::int32_t>(length));
}

bool TextBuffer::append(double value) {
  // "%lg" in the C locale: general notation, six significant digits.
  char digits[32];
  const auto result =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 6);
  return appendBytes(digits, static_cast<std::int32_t>(result.ptr - digits));
}

bool TextBuffer::append(long value) {
  char digits[32];
  std::to_chars_result result;
  if (flags_ & kHexOnce) {
    flags_ &= ~kHexOnce;
    // "%x" of a 32-bit number: values of 32 bits (signed or not) are written as their
    // 32-bit pattern, so -1 is "ffffffff"; wider ones in full.
    const bool fits32 = value >= INT32_MIN && value <= static_cast<long>(UINT32_MAX);
    const unsigned long bits =
        fits32 ? static_cast<std::uint32_t>(value) : static_cast<unsigned long>(value);
    result = std::to_chars(digits, digits + sizeof digits, bits, 16);
  } else {
    result = std::to_chars(digits, digits + sizeof digits, value);
  }
  return appendBytes(digits, static_cast<std::int32_t>(result.ptr - digits));
}

void TextBuffer::clear() {
  length_ = 0;
  if (data_) data_[0] = '\0';
}

BSTR TextBuffer::toBstr() const { return textToBstr(text()); }
