#pragma once
// The result table of a drive (flgAusgabe) as numbers: one row per frame of z, f, f', f'',
// f''', f'·f'', f''·f''', each held as the number its cell shows (rounded to the decimals
// setting, see displayValue), so whatever reads the table (graphs, transfer, exports) works
// on exactly what the user sees. Text is made only when a cell is shown or written.
//
// Rows here count data rows from 0: data row i is row i + 1 of the grid, whose row 0 is the
// header.

#include <QLocale>
#include <QString>

#include <array>
#include <vector>

class ResultTable {
 public:
  static constexpr int kColumns = 7;
  using Row = std::array<double, kColumns>;

  // The column headers: "z", "f(z)", "f'(z)", "f''(z)", "f'''(z)", "f' f''(z)", "f'' f'''(z)".
  static QString header(int column);

  int rowCount() const { return static_cast<int>(values_.size() / kColumns); }
  bool isEmpty() const { return values_.empty(); }
  double value(int row, int column) const { return values_[row * kColumns + column]; }
  // The cell's text: general text of its number in the locale.
  QString text(int row, int column, const QLocale& locale = QLocale()) const;

  void clear() { values_.clear(); }
  void reserve(int rows) { values_.reserve(static_cast<std::size_t>(rows) * kColumns); }
  void appendRow(const Row& row) { values_.insert(values_.end(), row.begin(), row.end()); }

 private:
  std::vector<double> values_;  // row-major
};
