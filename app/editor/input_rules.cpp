#include "app/editor/input_rules.h"

#include <algorithm>
#include <optional>

#include "app/common/number_text.h"
#include "app/common/string_table.h"
#include "app/common/user_dialogs.h"

namespace {

// π as the conversion writes it, not the full double.
constexpr double kConversionPi = 3.14159265358979;
constexpr int kFirstRowMessage = 115;

// Generic ascending order of two cells: numbers by value and before texts, texts without
// regard to case. Negative, zero or positive like QString::compare.
int compareGeneric(const QString& a, const QString& b) {
  const std::optional<double> x = parseNumber(a);
  const std::optional<double> y = parseNumber(b);
  if (x && y) return *x < *y ? -1 : (*y < *x ? 1 : 0);
  if (x || y) return x ? -1 : 1;
  return a.compare(b, Qt::CaseInsensitive);
}

}  // namespace

void NewLine(InputTable& table, GridCursor& cursor) {
  table.appendRow();
  cursor.row = table.lastRow();
  table.setCell(cursor.row, InputTable::kNumber, QString::number(table.rowCount() - 2));
  cursor.column = InputTable::kZ;
}

bool DelLine(InputTable& table, GridCursor& cursor) {
  if (cursor.row <= 1) {
    showMessage(resString(kFirstRowMessage), QString::fromLatin1(kProductName));
    return false;
  }
  if (cursor.row > table.lastRow()) return false;
  table.removeRow(cursor.row);
  table.renumber();
  cursor.row = std::min(cursor.row, table.lastRow());
  return true;
}

void EingabeSort(InputTable& table, int currentColumn) {
  const int lastKey = std::clamp(currentColumn, static_cast<int>(InputTable::kZ),
                                 static_cast<int>(InputTable::kLastColumn));
  std::vector<InputTable::Row>& rows = table.dataRows();
  std::stable_sort(rows.begin(), rows.end(),
                   [lastKey](const InputTable::Row& a, const InputTable::Row& b) {
                     for (int c = InputTable::kZ; c <= lastKey; ++c)
                       if (const int order = compareGeneric(a[c], b[c])) return order < 0;
                     return false;
                   });
  table.renumber();
}

bool isConvertible(const InputTable& table, int row, int column) {
  return column == InputTable::kF && row >= 1 && row <= table.lastRow() &&
         parseNumber(table.cell(row, column)).has_value();
}

bool convertAngle(InputTable& table, int row, AngleUnit unit) {
  if (!isConvertible(table, row, InputTable::kF)) return false;
  const double value = *parseNumber(table.cell(row, InputTable::kF));
  const double converted =
      unit == AngleUnit::Degree ? value * 180 / kConversionPi : value * kConversionPi / 180;
  table.setCell(row, InputTable::kF, generalText(converted));
  return true;
}

EditorStart editorStart(int keyAscii, const QString& cellText) {
  if (keyAscii > 32 || keyAscii < 0) {
    const QString typed(QChar(static_cast<char16_t>(keyAscii)));
    return {typed, static_cast<int>(typed.size())};
  }
  return {cellText, static_cast<int>(cellText.size())};
}
