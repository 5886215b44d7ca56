#pragma once
// The cam table (flgKurve) as numbers: one row per recorded frame with the frame number,
// the cam point X, Y, Z (after multiplier and rounding) and the simulation time. Each cell
// holds the number its text shows, so whatever reads the table (scale, views, export) works
// on what the user sees.
//
// Rows count data rows from 0: data row i is row i + 1 of the grid, whose row 0 is the
// header "#", "X", "Y", "Z", "time".

#include <QLocale>
#include <QString>

#include <array>
#include <vector>

class CamTable {
 public:
  enum Column { kFrame = 0, kX, kY, kZ, kTime, kColumns };
  using Row = std::array<double, kColumns>;
  // Column widths: the frame column and the others.
  static constexpr int kFrameColumnTwips = 450;
  static constexpr int kValueColumnTwips = 2000;

  static QString header(int column);

  int rowCount() const { return static_cast<int>(rows_.size()); }
  bool isEmpty() const { return rows_.empty(); }
  double value(int row, int column) const { return rows_[row][column]; }
  const Row& row(int row) const { return rows_[row]; }
  // The cell's text: general text of its number.
  QString text(int row, int column, const QLocale& locale = QLocale()) const;

  // BodyTabClear: back to the header alone.
  void clear() { rows_.clear(); }
  void reserve(int rows) { rows_.reserve(static_cast<std::size_t>(rows)); }
  void appendRow(const Row& row) { rows_.push_back(row); }

  // Every X, Y and Z cell times factor, each held as its general text shows the product.
  void multiply(double factor);
  // The largest absolute value over the X, Y, Z and time columns of every row (0 when empty).
  double extent() const;

 private:
  std::vector<Row> rows_;
};

// The number that general text shows for value: value to 15 significant digits.
double shownNumber(double value);
