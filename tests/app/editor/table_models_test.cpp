#include "app/editor/table_models.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>

#include "app/common/string_table.h"
#include "app/editor/input_rules.h"
#include "tests/app/editor/table_texts.h"
#include "tests/app/support/scripted_dialogs.h"

namespace {

TEST(InputTableModel, FollowsRowsAppendedRemovedAndSortedWithConsistentSignals) {
  setLanguage(Language::English);
  InputTable table = tableOf({{"20", "1"}, {"10", "2"}});
  InputTableModel model(table.dataRows());
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  EXPECT_EQ(model.headerData(InputTable::kLaw, Qt::Horizontal).toString(), "Behavior");
  EXPECT_EQ(model.headerData(15, Qt::Horizontal).toString(), "Cj*");

  GridCursor cursor;
  NewLine(table, cursor);
  model.sync();
  ASSERT_EQ(model.rowCount(), 3);
  EXPECT_EQ(model.data(model.index(2, 0)).toString(), "2");

  EingabeSort(table, InputTable::kZ);
  model.sync();
  EXPECT_EQ(model.data(model.index(0, InputTable::kZ)).toString(), "10");

  ScriptedDialogs dialogs;
  cursor.row = 3;  // the empty new row, sorted last
  ASSERT_TRUE(DelLine(table, cursor));
  model.sync();
  EXPECT_EQ(model.rowCount(), 2);
  EXPECT_EQ(model.data(model.index(1, InputTable::kZ)).toString(), "20");
  EXPECT_EQ(model.data(model.index(1, 1), Qt::TextAlignmentRole).value<Qt::Alignment>(),
            Qt::AlignCenter);
}

}  // namespace
