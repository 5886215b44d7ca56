#include "app/editor/input_rules.h"

#include <gtest/gtest.h>

#include "tests/app/editor/table_texts.h"
#include "tests/app/support/scripted_dialogs.h"

namespace {

class InputRules : public testing::Test {
 protected:
  FixedTexts texts_;
  ScriptedDialogs dialogs_;
};

TEST_F(InputRules, DelLineRenumbersKeepsTheRowAndRefusesTheFirst) {
  const InputTable five = tableOf({{"0"}, {"10"}, {"20"}, {"30"}, {"40"}});
  const std::tuple<int, QStringList, int> cases[] = {
      {3, {"0", "10", "30", "40"}, 3},  // row 3 of 5
      {5, {"0", "10", "20", "30"}, 4},  // the last: the new last row is current
      {1, {"0", "10", "20", "30", "40"}, 1},
  };
  for (const auto& [row, z, currentAfter] : cases) {
    InputTable table = five;
    GridCursor cursor{row, 2};
    dialogs_.messages.clear();
    EXPECT_EQ(DelLine(table, cursor), row != 1);
    EXPECT_EQ(columnTexts(table, InputTable::kZ), z);
    EXPECT_EQ(columnTexts(table, InputTable::kNumber),
              QStringList({"0", "1", "2", "3", "4"}).first(z.size()));
    EXPECT_EQ(cursor.row, currentAfter);
    EXPECT_EQ(dialogs_.messages.size(), row == 1 ? 1 : 0);
  }
  EXPECT_EQ(dialogs_.messages.value(0).text, resString(115));
}

TEST_F(InputRules, SortIsGenericStableAndKeyedFromZToTheCurrentColumn) {
  // Numbers before texts, 9 before 10, texts without case; equal keys keep their order
  // unless the current column reaches f.
  const InputTable table = tableOf({{"10", "b", "A"},
                                    {"text", "a", "B"},
                                    {"9", "2", "C"},
                                    {"1e1", "a", "D"},
                                    {"Tex", "z", "E"},
                                    {"-1", "x", "F"}});
  for (const auto& [current, laws] :
       {std::pair{InputTable::kZ, "FCADEB"}, std::pair{InputTable::kF, "FCDAEB"}}) {
    InputTable sorted = table;
    EingabeSort(sorted, current);
    EXPECT_EQ(columnTexts(sorted, InputTable::kLaw).join(""), laws);
    EXPECT_EQ(columnTexts(sorted, InputTable::kNumber).join(""), "012345");
  }
}

TEST_F(InputRules, AngleConversionUsesTheFourteenDigitPiOnNumericFCellsOnly) {
  InputTable table = tableOf({{"0", "3.14159265358979"}, {"5", "180"}, {"6", "x"}});
  EXPECT_FALSE(isConvertible(table, 1, InputTable::kZ));
  EXPECT_FALSE(convertAngle(table, 3, AngleUnit::Degree));
  EXPECT_TRUE(convertAngle(table, 1, AngleUnit::Degree));
  EXPECT_TRUE(convertAngle(table, 2, AngleUnit::Radian));
  EXPECT_EQ(columnTexts(table, InputTable::kF), QStringList({"180", "3.14159265358979", "x"}));
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_TRUE(convertAngle(table, 1, AngleUnit::Radian));
  EXPECT_EQ(table.cell(1, InputTable::kF), "3,14159265358979");
}

}  // namespace
