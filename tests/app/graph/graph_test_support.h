#pragma once
// What the graph tests share: drive documents with result rows given as numbers and input
// rows as (z, f) texts.

#include <utility>
#include <vector>

#include "app/editor/drive_document.h"
#include "tests/app/support/locale_scope.h"

inline DriveDocument graphDocument(const std::vector<ResultTable::Row>& rows,
                                   const std::vector<std::pair<QString, QString>>& input = {}) {
  DriveDocument d;
  for (const ResultTable::Row& row : rows) d.results.appendRow(row);
  d.input.truncate(0);
  for (const auto& [z, f] : input) {
    d.input.appendRow();
    d.input.setCell(d.input.lastRow(), InputTable::kZ, z);
    d.input.setCell(d.input.lastRow(), InputTable::kF, f);
  }
  return d;
}

// Rows z = z0, z0 + step, … with f = fOf(z) and every derivative column set to 0.
template <class F>
std::vector<ResultTable::Row> graphRows(double z0, double step, int count, F fOf) {
  std::vector<ResultTable::Row> rows;
  for (int i = 0; i < count; ++i) {
    const double z = z0 + i * step;
    rows.push_back({z, fOf(z), 0, 0, 0, 0, 0});
  }
  return rows;
}
