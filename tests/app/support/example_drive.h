#pragma once
// examples/example_drive.txt as a drive window's input table: each line "Type", z0, f0 is a
// row, the last one marks the end. The drive the example mechanism's "Hub" is played with.

#include <QString>
#include <QStringList>

#include "app/common/string_table.h"
#include "app/common/text_file.h"
#include "app/editor/input_table.h"

inline InputTable exampleTable() {
  constexpr int kEndMarker = 189;
  InputTable table;
  const auto lines =
      readTextLines(QStringLiteral(KINETRA_SOURCE_DIR "/examples/example_drive.txt"));
  int row = 0;
  for (const QString& line : lines.value_or(QStringList())) {
    if (line.trimmed().isEmpty() || line.startsWith('#')) continue;
    const QStringList fields = line.split(',');
    if (row++ > 0) table.appendRow();
    table.setCell(row, InputTable::kZ, fields.value(1).trimmed());
    table.setCell(row, InputTable::kF, fields.value(2).trimmed());
    table.setCell(row, InputTable::kLaw, fields.value(0).trimmed().remove('"'));
  }
  table.setCell(row, InputTable::kLaw, resString(kEndMarker));
  table.renumber();
  return table;
}
