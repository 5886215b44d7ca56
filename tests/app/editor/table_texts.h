#pragma once
// Input tables written as texts, the texts of a table's column, and fixed number and text
// conventions, for the editor's tests.

#include <QLocale>
#include <QStringList>

#include <vector>

#include "app/common/string_table.h"
#include "app/editor/input_table.h"
#include "tests/app/support/locale_scope.h"

// For the life of a test: numbers in the English form, texts in German (end marker "ENDE").
struct FixedTexts : LocaleScope {
  FixedTexts() : LocaleScope(QLocale(QLocale::English, QLocale::UnitedStates), Language::German) {}
};

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

// The cam drive of examples/example_drive.txt: 0 … 360 in five segments.
inline const std::vector<QStringList> kCamDrive = {
    {"0", "0", "Linear"},     {"60", "0", "ModSine"}, {"150", "50", "Linear"},
    {"210", "50", "ModSine"}, {"300", "0", "Linear"}, {"360", "0", "ENDE"}};

inline QStringList columnTexts(const InputTable& table, int column) {
  QStringList texts;
  for (int r = 1; r <= table.lastRow(); ++r) texts << table.cell(r, column);
  return texts;
}
