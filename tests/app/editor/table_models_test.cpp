#include "app/editor/table_models.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>

#include "app/editor/input_rules.h"
#include "tests/app/editor/table_texts.h"
#include "tests/app/support/scripted_dialogs.h"

namespace {

TEST(InputTableModel, FollowsAppendedSortedAndRemovedRowsWithConsistentSignals) {
  FixedTexts texts;
  InputTable table = tableOf({{"20", "1"}, {"10", "2"}});
  InputTableModel model(table.dataRows());
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  const auto z = [&](int row) { return model.data(model.index(row, InputTable::kZ)).toString(); };

  GridCursor cursor;
  NewLine(table, cursor);
  model.sync();
  ASSERT_EQ(model.rowCount(), 3);
  EingabeSort(table, InputTable::kZ);  // 10, 20, the empty new row
  model.sync();
  EXPECT_EQ(z(0), "10");
  ScriptedDialogs dialogs;
  cursor.row = 2;
  ASSERT_TRUE(DelLine(table, cursor));
  model.sync();
  ASSERT_EQ(model.rowCount(), 2);
  EXPECT_EQ(z(1), "");
  EXPECT_EQ(model.data(model.index(1, 1), Qt::TextAlignmentRole).value<Qt::Alignment>(),
            Qt::AlignCenter);
}

}  // namespace
