#pragma once
// A growable text buffer (the drive table's HTML, the drive dump). Numbers are written in
// the C locale's form whatever the program's locale is: doubles as "%lg" (six significant
// digits, the shorter of fixed and exponent notation), whole numbers as "%ld", or once as
// "%x" after the flag kHexOnce was set.

#include <cstdint>

#include "platform/com/bstr.h"

class TextBuffer {
 public:
  // Flag that asks for the next whole number in hexadecimal; that write clears it.
  static constexpr std::uint32_t kHexOnce = 0x100;
  // Largest capacity the buffer grows to, terminator included.
  static constexpr std::int32_t kMaxCapacity = std::int32_t{1} << 30;

  // Starts with room for capacity characters (terminator included). growStep 0: text that
  // does not fit grows the buffer by its capacity (by 16 when it has none); otherwise by
  // growStep; in both cases at least by what the text needs.
  explicit TextBuffer(std::int32_t capacity = 0, std::int32_t growStep = 0);
  ~TextBuffer();
  TextBuffer(const TextBuffer&) = delete;
  TextBuffer& operator=(const TextBuffer&) = delete;

  // Each append adds its text whole or, when the buffer cannot grow that far, nothing and
  // gives false. A null or empty text appends nothing.
  bool append(const char* text);
  bool append(double value);
  bool append(long value);
  bool append(int value) { return append(static_cast<long>(value)); }

  template <class T>
  TextBuffer& operator<<(T value) {
    append(value);
    return *this;
  }

  // The text so far, always terminated ("" when empty).
  const char* text() const { return data_ ? data_ : ""; }
  std::int32_t length() const { return length_; }
  std::int32_t capacity() const { return capacity_; }
  std::int32_t growStep() const { return growStep_; }
  std::uint32_t flags() const { return flags_; }
  void setFlags(std::uint32_t flags) { flags_ = flags; }
  // Empties the text; the capacity stays.
  void clear();
  // The text as a new automation string.
  BSTR toBstr() const;

 private:
  bool appendBytes(const char* text, std::int32_t length);
  bool reserve(std::int64_t needed);
  bool resize(std::int32_t capacity);

  std::int32_t capacity_ = 0;
  char* data_ = nullptr;
  std::int32_t growStep_ = 0;
  std::uint32_t flags_ = 0;
  std::int32_t length_ = 0;
};
