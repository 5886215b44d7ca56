// The drive-file reader on any bytes: it must neither crash nor hang nor grow without
// bound, and whatever it read must write and read back to the same table.
#include <cstddef>
#include <cstdint>

#include "app/common/text_file.h"
#include "app/shell/project_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const QStringList lines = splitLines(decodeText(bytes));
  DriveDocument drive;
  if (!readDriveFile(lines, drive)) return 0;
  if (drive.input.rowCount() > lines.size() / 15 + 2) __builtin_trap();
  DriveDocument again;
  if (!readDriveFile(driveFileLines(drive), again)) __builtin_trap();
  if (again.input.dataRows() != drive.input.dataRows() || again.periodic != drive.periodic)
    __builtin_trap();
  return 0;
}
