#include "app/editor/input_rules.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QStringList>

#include "app/common/string_table.h"
#include "tests/app/editor/table_texts.h"
#include "tests/app/support/scripted_dialogs.h"

namespace {

class InputRules : public testing::Test {
 protected:
  void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
  void TearDown() override { QLocale::setDefault(QLocale::system()); }
  ScriptedDialogs dialogs_;
};

TEST_F(InputRules, NewLineAppendsTheNextNumberAndMakesItsZCellCurrent) {
  InputTable table;
  GridCursor cursor{1, 3};
  NewLine(table, cursor);
  NewLine(table, cursor);
  EXPECT_EQ(columnTexts(table, InputTable::kNumber), QStringList({"0", "1", "2"}));
  EXPECT_EQ(cursor.row, 3);
  EXPECT_EQ(cursor.column, InputTable::kZ);
}

TEST_F(InputRules, DelLineRenumbersKeepsTheRowAndRefusesTheFirst) {
  const InputTable five = tableOf({{"0"}, {"10"}, {"20"}, {"30"}, {"40"}});
  struct Case {
    int row;
    bool deleted;
    QStringList z;
    QStringList numbers;
    int currentAfter;
  } cases[] = {
      {3, true, {"0", "10", "30", "40"}, {"0", "1", "2", "3"}, 3},
      {5, true, {"0", "10", "20", "30"}, {"0", "1", "2", "3"}, 4},
      {1, false, {"0", "10", "20", "30", "40"}, {"0", "1", "2", "3", "4"}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    InputTable table = five;
    GridCursor cursor{c.row, 2};
    dialogs_.messages.clear();
    EXPECT_EQ(DelLine(table, cursor), c.deleted);
    EXPECT_EQ(columnTexts(table, InputTable::kZ), c.z);
    EXPECT_EQ(columnTexts(table, InputTable::kNumber), c.numbers);
    EXPECT_EQ(cursor.row, c.currentAfter);
    ASSERT_EQ(dialogs_.messages.size(), c.deleted ? 0 : 1);
    if (!c.deleted) {
      EXPECT_EQ(dialogs_.messages[0].text, resString(115));
    }
  }
}

TEST_F(InputRules, SortIsGenericStableAndKeyedFromZToTheCurrentColumn) {
  // z, f, law: numbers before texts, 9 before 10, texts without case; ties keep their order
  // unless the current column reaches f.
  const InputTable table = tableOf({{"10", "b", "A"},
                                    {"text", "a", "B"},
                                    {"9", "2", "C"},
                                    {"1e1", "a", "D"},
                                    {"Tex", "z", "E"},
                                    {"-1", "x", "F"}});
  struct Case {
    int currentColumn;
    QStringList laws;
  } cases[] = {
      {InputTable::kZ, {"F", "C", "A", "D", "E", "B"}},
      {InputTable::kF, {"F", "C", "D", "A", "E", "B"}},
  };
  for (const Case& c : cases) {
    InputTable sorted = table;
    EingabeSort(sorted, c.currentColumn);
    EXPECT_EQ(columnTexts(sorted, InputTable::kLaw), c.laws) << c.currentColumn;
    EXPECT_EQ(columnTexts(sorted, InputTable::kNumber),
              QStringList({"0", "1", "2", "3", "4", "5"}));
  }
}

TEST_F(InputRules, AngleConversionUsesTheFourteenDigitPiOnNumericFCellsOnly) {
  InputTable table = tableOf({{"0", "3.14159265358979", "Linear"}, {"5", "180"}, {"6", "x"}});
  EXPECT_FALSE(isConvertible(table, 1, InputTable::kZ));
  EXPECT_FALSE(isConvertible(table, 3, InputTable::kF));
  EXPECT_FALSE(convertAngle(table, 3, AngleUnit::Degree));
  EXPECT_TRUE(convertAngle(table, 1, AngleUnit::Degree));
  EXPECT_TRUE(convertAngle(table, 2, AngleUnit::Radian));
  EXPECT_EQ(columnTexts(table, InputTable::kF), QStringList({"180", "3.14159265358979", "x"}));

  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  table.setCell(1, InputTable::kF, "90");
  EXPECT_TRUE(convertAngle(table, 1, AngleUnit::Radian));
  EXPECT_EQ(table.cell(1, InputTable::kF), "1,5707963267949");
}

TEST_F(InputRules, TheEditorStartsWithATypedCharacterOrTheCellText) {
  struct Case {
    int key;
    const char* text;
    int caret;
  } cases[] = {{'7', "7", 1}, {'-', "-", 1}, {32, "12.5", 4}, {13, "12.5", 4}, {8, "12.5", 4}};
  for (const Case& c : cases) {
    const EditorStart start = editorStart(c.key, "12.5");
    EXPECT_EQ(start.text, c.text) << c.key;
    EXPECT_EQ(start.caret, c.caret) << c.key;
  }
}

}  // namespace
