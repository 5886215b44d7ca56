#pragma once
// The input table of a drive (flgEingabe) as the texts the user typed. Row 0 is the fixed
// header; data row r (1 <= r < rowCount()) is segment r - 1: column 0 its running number,
// 1 z, 2 f, 3 the law (a kernel segment type name, or the end marker), 4 to 15 the twelve
// parameters of kParameterColumns (a number, "x" or "n/A"). The rows are kept in z order by
// the user. Qt Core only; the window shows it through a model.

#include <QString>

#include <array>
#include <vector>

class InputTable {
 public:
  static constexpr int kColumns = 16;
  static constexpr int kNumber = 0;
  static constexpr int kZ = 1;
  static constexpr int kF = 2;
  static constexpr int kLaw = 3;
  static constexpr int kFirstParameter = 4;
  static constexpr int kLastColumn = kColumns - 1;

  // A new drive's table: one data row "0", "0", "0" and an empty law.
  InputTable();

  // Rows including the header row (the files' row count R).
  int rowCount() const { return static_cast<int>(rows_.size()) + 1; }
  int lastRow() const { return rowCount() - 1; }
  // A data row's cell (row >= 1); the header row's texts come from header().
  const QString& cell(int row, int column) const;
  void setCell(int row, int column, const QString& text);
  // The header text of a column: "#", "z", "f", the law header (text 188), the parameters'.
  static QString header(int column);

  // Appends a data row whose cells are empty but its number, "->" until renumbered.
  void appendRow();
  // Removes data row row (>= 1).
  void removeRow(int row);
  // Column 0 of every data row r := r - 1.
  void renumber();
  // Keeps the first rows data rows (rows >= 1), dropping the rest.
  void truncate(int rows);
  using Row = std::array<QString, kColumns>;
  std::vector<Row>& dataRows() { return rows_; }
  const std::vector<Row>& dataRows() const { return rows_; }

 private:
  std::vector<Row> rows_;
};
