// libFuzzer target for the scanner. The first input byte chooses a fixed format (the ones
// the kernel uses and one of each specifier) or, for the last choice, splits the rest of the
// input at its first NUL into a format of its own and a stream. Outputs sit in buffers of
// exactly the documented sizes so the sanitizers see any write beyond them.

#include <cstddef>
#include <cstdint>
#include <string>

#include "kernel/support/auxcom.h"

namespace {

int silent(const char*) { return 0; }

const char* const kFormats[] = {
    "%s, %f, %f", "%s, %f", "%c", "%n%d%x%c", "%i %x %n", "%s%s%s", "(%f, %d)", "%q",
};
constexpr std::size_t kFormatCount = sizeof kFormats / sizeof kFormats[0];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ErrorHook previous = setErrorHook(silent);
  (void)previous;
  if (size == 0) return 0;
  const std::size_t choice = data[0] % (kFormatCount + 1);
  const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  std::string format;
  std::string stream;
  if (choice < kFormatCount) {
    format = kFormats[choice];
    stream = rest;  // a NUL inside ends the text early, as it would for a caller
  } else {
    const std::size_t split = rest.find('\0');
    format = rest.substr(0, split);
    stream = split == std::string::npos ? std::string() : rest.substr(split + 1);
  }

  // Up to eight items, each output of its exact type. A "%" is always a token of its own and
  // starts an item exactly when a letter follows, as the scanner reads it; the format is cut
  // before a ninth item so scan never reaches for a missing pointer.
  char texts[8][kScanTextSize];
  double numbers[8];
  int integers[8];
  char chars[8];
  void* outputs[8] = {};
  std::size_t count = 0;
  auto isLetter = [](char ch) { return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'); };
  for (std::size_t k = 0; k + 1 < format.size(); ++k) {
    if (format[k] != '%' || !isLetter(format[k + 1])) continue;
    if (count == 8) {
      format.resize(k);
      break;
    }
    switch (format[k + 1]) {
      case 's':
      case 'n': outputs[count] = texts[count]; break;
      case 'f': outputs[count] = &numbers[count]; break;
      case 'd':
      case 'i':
      case 'x': outputs[count] = &integers[count]; break;
      case 'c': outputs[count] = &chars[count]; break;
      default: break;  // unknown: scan stops before it takes an output
    }
    ++count;
    ++k;
  }

  const char* cursor = stream.c_str();
  const int result = scan(&cursor, format.c_str(), outputs[0], outputs[1], outputs[2], outputs[3],
                          outputs[4], outputs[5], outputs[6], outputs[7]);
  if (result < -1 || result > 8) __builtin_trap();
  if (cursor < stream.c_str() || cursor > stream.c_str() + stream.size()) __builtin_trap();
  return 0;
}
