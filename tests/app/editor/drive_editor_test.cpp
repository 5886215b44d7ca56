#include "app/editor/drive_editor.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QSignalSpy>

#include "app/common/string_table.h"
#include "tests/app/editor/table_texts.h"
#include "tests/app/support/registered_kernel.h"
#include "tests/app/support/scripted_dialogs.h"

namespace {

const QStringList kModSineMarks = {"x",   "x",   "n/A", "n/A", "x",   "n/A",
                                   "n/A", "n/A", "x",   "x",   "n/A", "n/A"};
const QStringList kLinearMarks = QStringList(12, "n/A");

class DriveEditorTest : public RegisteredKernel {
 protected:
  void SetUp() override {
    RegisteredKernel::SetUp();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    setLanguage(Language::German);
  }
  void TearDown() override { QLocale::setDefault(QLocale::system()); }

  QStringList marks(int row) const {
    return rowTexts(document_.input.dataRows()[row - 1], InputTable::kFirstParameter);
  }

  ScriptedDialogs dialogs_;
  DriveDocument document_;
};

TEST_F(DriveEditorTest, SelDriveMarksTheLawsValuesAndAppendsARowAfterTheLastLaw) {
  document_.input = tableOf({{"0", "0", "ModSine", "1.5", "7"}});
  DriveEditor editor(document_, kernel());
  editor.setCaption("Hub");
  EXPECT_EQ(editor.lawList().first(), "Linear");
  EXPECT_EQ(editor.lawList().last(), "ENDE");

  ASSERT_TRUE(editor.SelDrive());
  EXPECT_EQ(marks(1), kModSineMarks);  // the typed 1.5 and 7 are overwritten
  EXPECT_EQ(document_.input.rowCount(), 3);
  EXPECT_EQ(document_.input.cell(2, InputTable::kNumber), "1");
  EXPECT_EQ(editor.row(), 2);
  EXPECT_EQ(editor.column(), InputTable::kZ);

  // The end marker on the last row: a straight line's marks, no new row.
  for (const auto& [column, text] : {std::pair{1, "360"}, {2, "0"}, {3, "ENDE"}})
    document_.input.setCell(2, column, text);
  ASSERT_TRUE(editor.SelDrive());
  EXPECT_EQ(marks(2), kLinearMarks);
  EXPECT_EQ(document_.input.rowCount(), 3);
  EXPECT_TRUE(dialogs_.messages.isEmpty());
  EXPECT_EQ(serverDriveCount(), 0);  // the scratch drive never joins the server
}

TEST_F(DriveEditorTest, SelDriveOnABadRowShowsMessage168AndChangesNothing) {
  const std::vector<QStringList> badRows = {
      {"0", "0", "Bogus"}, {"0", "0", ""},          {"0", "0", "END"},
      {"a", "0", "Sine"},  {"0", "1,5", "ModSine"}, {"0", "0", "modsine"},
  };
  for (const QStringList& cells : badRows) {
    SCOPED_TRACE(cells.join('|').toStdString());
    QStringList row = cells;
    row << "7";  // a typed fd0 that must survive
    document_.input = tableOf({row});
    DriveEditor editor(document_, kernel());
    dialogs_.messages.clear();
    EXPECT_FALSE(editor.SelDrive());
    ASSERT_EQ(dialogs_.messages.size(), 1);
    EXPECT_EQ(dialogs_.messages[0].text, resString(168));
    EXPECT_EQ(dialogs_.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(document_.input.rowCount(), 2);
    EXPECT_EQ(document_.input.cell(1, InputTable::kFirstParameter), "7");
  }
}

TEST_F(DriveEditorTest, TextEditorKeysWriteBackMoveAndMarkTheDriveChanged) {
  DriveEditor editor(document_, kernel());
  QSignalSpy needCalc(&editor, &DriveEditor::calculationNeeded);
  const InputTable& table = document_.input;

  editor.gridKeyPress('5');  // a character starts the editor with it
  EXPECT_EQ(editor.overlay(), DriveEditor::Overlay::Text);
  EXPECT_EQ(editor.editorText(), "5");
  editor.setEditorText("15");
  editor.setCurrentCell(1, InputTable::kF);  // leaving the cell writes back, unchanged drive
  EXPECT_EQ(table.cell(1, InputTable::kZ), "15");
  EXPECT_EQ(editor.overlay(), DriveEditor::Overlay::None);
  EXPECT_EQ(needCalc.count(), 0);

  editor.gridDoubleClick();  // starts with the cell's text
  EXPECT_EQ(editor.editorText(), "0");
  editor.setEditorText("99");
  EXPECT_TRUE(editor.editorKeyDown(Qt::Key_Escape));
  EXPECT_EQ(table.cell(1, InputTable::kF), "0");

  editor.gridKeyPress('2');
  EXPECT_TRUE(editor.editorKeyDown(Qt::Key_Return));
  EXPECT_EQ(table.cell(1, InputTable::kF), "2");
  EXPECT_EQ(needCalc.count(), 1);
  EXPECT_TRUE(document_.needsCalculation);

  editor.gridKeyPress('3');  // Down on the last row appends one
  EXPECT_TRUE(editor.editorKeyDown(Qt::Key_Down));
  EXPECT_EQ(table.cell(1, InputTable::kF), "3");
  EXPECT_EQ(table.rowCount(), 3);
  EXPECT_EQ(editor.row(), 2);
  EXPECT_EQ(editor.column(), InputTable::kZ);
  EXPECT_EQ(needCalc.count(), 2);

  editor.gridKeyPress('9');  // Up writes into the cell it leaves
  EXPECT_TRUE(editor.editorKeyDown(Qt::Key_Up));
  EXPECT_EQ(table.cell(2, InputTable::kZ), "9");
  EXPECT_EQ(editor.row(), 1);
  EXPECT_EQ(needCalc.count(), 2);

  editor.gridKeyPress('1');  // nothing to move to: the keys stay with the editor
  EXPECT_FALSE(editor.editorKeyDown(Qt::Key_Up));
  EXPECT_FALSE(editor.editorKeyDown(Qt::Key_Left));
  EXPECT_EQ(editor.overlay(), DriveEditor::Overlay::Text);
  EXPECT_TRUE(editor.editorKeyDown(Qt::Key_Right));
  EXPECT_EQ(table.cell(1, InputTable::kZ), "1");
  EXPECT_EQ(editor.column(), InputTable::kF);
}

TEST_F(DriveEditorTest, LawListTakesTheHighlightedLawOnlyOnEnter) {
  document_.input = tableOf({{"0", "0"}, {"90", "10"}});
  DriveEditor editor(document_, kernel());
  QSignalSpy needCalc(&editor, &DriveEditor::calculationNeeded);
  editor.setCurrentCell(1, InputTable::kLaw);

  editor.gridKeyPress('M');
  EXPECT_EQ(editor.overlay(), DriveEditor::Overlay::Law);
  editor.setLawIndex(editor.lawList().indexOf("ModSine"));
  EXPECT_TRUE(editor.lawListKeyDown(Qt::Key_Escape));
  EXPECT_EQ(document_.input.cell(1, InputTable::kLaw), "");

  editor.gridDoubleClick();  // the list keeps its highlighted law
  EXPECT_TRUE(editor.lawListKeyDown(Qt::Key_Return));
  EXPECT_EQ(document_.input.cell(1, InputTable::kLaw), "ModSine");
  EXPECT_EQ(marks(1), kModSineMarks);
  EXPECT_EQ(document_.input.rowCount(), 3);  // not the last row: nothing appended
  EXPECT_EQ(needCalc.count(), 1);
  EXPECT_TRUE(dialogs_.messages.isEmpty());
}

}  // namespace
