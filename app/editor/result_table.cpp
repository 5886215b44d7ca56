#include "app/editor/result_table.h"

#include "app/common/number_text.h"

QString ResultTable::header(int column) {
  static const char* const kHeaders[kColumns] = {"z",       "f(z)",      "f'(z)",      "f''(z)",
                                                 "f'''(z)", "f' f''(z)", "f'' f'''(z)"};
  return QString::fromLatin1(kHeaders[column]);
}

QString ResultTable::text(int row, int column, const QLocale& locale) const {
  return generalText(value(row, column), locale);
}
