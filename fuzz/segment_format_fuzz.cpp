// Random text as a segment format string on a drive: the drive must neither crash nor leak,
// whatever it adds. After each input the drive is compiled, evaluated and dumped, so that
// what the text built is used as well.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "kernel/automation/vel_drive.h"
#include "kernel/support/auxcom.h"
#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"

namespace {

int silent(const char*) { return 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = [] {
    setErrorHook(silent);
    // Compile traces every hand-over; without a debug monitor the lines go to stdout.
    return std::freopen("/dev/null", "w", stdout) != nullptr;
  }();
  (void)ready;
  // The input is taken as UTF-8 text and reaches the drive as an automation string, as a
  // client would send it. A line break separates several segments for one drive.
  const std::string input(reinterpret_cast<const char*>(data), size);
  const ComPtr<VelDrive> drive(new VelDrive("fuzz"));
  std::size_t start = 0;
  while (start <= input.size()) {
    std::size_t end = input.find('\n', start);
    if (end == std::string::npos) end = input.size();
    const auto text = Bstr::adopt(textToBstr(input.substr(start, end - start).c_str()));
    drive->put_segment(text.get());
    start = end + 1;
  }
  LONG unsolved = 0;
  drive->compile(&unsolved);
  double f[4];
  for (double z : {-1.0, 0.0, 0.5, 1.0, 10.0}) drive->farr(z, f);
  Bstr dump;
  drive->get__dump(dump.put());
  return 0;
}
