#include "app/editor/input_table.h"

#include "app/common/string_table.h"
#include "app/editor/parameter_columns.h"

InputTable::InputTable() {
  rows_.push_back({QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")});
}

const QString& InputTable::cell(int row, int column) const { return rows_.at(row - 1).at(column); }

void InputTable::setCell(int row, int column, const QString& text) {
  rows_.at(row - 1).at(column) = text;
}

QString InputTable::header(int column) {
  switch (column) {
    case kNumber: return QStringLiteral("#");
    case kZ: return QStringLiteral("z");
    case kF: return QStringLiteral("f");
    case kLaw: return resString(188);
    default: return QString::fromUtf8(kParameterColumns.at(column - kFirstParameter).header);
  }
}

void InputTable::appendRow() {
  Row row;
  row[kNumber] = QStringLiteral("->");
  rows_.push_back(row);
}

void InputTable::removeRow(int row) { rows_.erase(rows_.begin() + (row - 1)); }

void InputTable::renumber() {
  for (std::size_t i = 0; i < rows_.size(); ++i) rows_[i][kNumber] = QString::number(i);
}

void InputTable::truncate(int rows) {
  if (rows >= 0 && static_cast<std::size_t>(rows) < rows_.size()) rows_.resize(rows);
}
