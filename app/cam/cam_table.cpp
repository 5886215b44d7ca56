#include "app/cam/cam_table.h"

#include <cmath>

#include "app/common/number_text.h"

QString CamTable::header(int column) {
  static const char* const kHeaders[kColumns] = {"#", "X", "Y", "Z", "time"};
  return QString::fromLatin1(kHeaders[column]);
}

QString CamTable::text(int row, int column, const QLocale& locale) const {
  return generalText(value(row, column), locale);
}

void CamTable::multiply(double factor) {
  for (Row& row : rows_) {
    for (int column : {kX, kY, kZ}) row[column] = shownNumber(row[column] * factor);
  }
}

double CamTable::extent() const {
  double m = 0.0;
  for (const Row& row : rows_) {
    for (int column = kX; column < kColumns; ++column) m = std::max(m, std::fabs(row[column]));
  }
  return m;
}

double shownNumber(double value) {
  const QLocale c = QLocale::c();
  return parseNumber(generalText(value, c), c).value_or(value);
}
