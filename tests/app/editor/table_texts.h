#pragma once
// Input tables written as texts, and the texts of a table's column, for the editor's tests.

#include <QStringList>

#include <vector>

#include "app/editor/input_table.h"

// A table of the given rows, numbered; each row's texts fill columns 1, 2, 3 … in order
// (z, f, law, then the parameters).
inline InputTable tableOf(const std::vector<QStringList>& rows) {
  InputTable table;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (i > 0) table.appendRow();
    for (int c = 0; c < rows[i].size(); ++c) table.setCell(int(i) + 1, c + 1, rows[i][c]);
  }
  table.renumber();
  return table;
}

inline QStringList columnTexts(const InputTable& table, int column) {
  QStringList texts;
  for (int r = 1; r <= table.lastRow(); ++r) texts << table.cell(r, column);
  return texts;
}

// The texts of one row from column `from` on.
inline QStringList rowTexts(const InputTable::Row& row, int from = 0) {
  QStringList texts;
  for (int c = from; c < InputTable::kColumns; ++c) texts << row[c];
  return texts;
}
