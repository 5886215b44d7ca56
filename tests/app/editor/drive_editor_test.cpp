#include "app/editor/drive_editor.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include "tests/app/editor/table_texts.h"
#include "tests/app/support/registered_kernel.h"
#include "tests/app/support/scripted_dialogs.h"

namespace {

const QStringList kModSineMarks = {"x",   "x",   "n/A", "n/A", "x",   "n/A",
                                   "n/A", "n/A", "x",   "x",   "n/A", "n/A"};

class DriveEditorTest : public RegisteredKernel {
 protected:
  QStringList marks(int row) const {
    const InputTable::Row& cells = table().dataRows()[row - 1];
    return QStringList(cells.begin() + InputTable::kFirstParameter, cells.end());
  }
  const InputTable& table() const { return document_.input; }

  FixedTexts texts_;
  ScriptedDialogs dialogs_;
  DriveDocument document_;
};

TEST_F(DriveEditorTest, SelDriveMarksTheLawsValuesAndAppendsARowAfterTheLastLaw) {
  document_.input = tableOf({{"0", "0", "ModSine", "1.5", "7"}});
  DriveEditor editor(document_, kernel());
  ASSERT_TRUE(editor.SelDrive());
  EXPECT_EQ(marks(1), kModSineMarks);  // the typed 1.5 and 7 are overwritten
  EXPECT_EQ(table().cell(2, InputTable::kNumber), "1");
  EXPECT_EQ(editor.row(), 2);

  // The end marker on the last row: a straight line's marks, no new row.
  document_.input.dataRows()[1] = {"1", "360", "0", "ENDE"};
  ASSERT_TRUE(editor.SelDrive());
  EXPECT_EQ(marks(2), QStringList(12, "n/A"));
  EXPECT_EQ(table().rowCount(), 3);
  EXPECT_TRUE(dialogs_.messages.isEmpty());
  EXPECT_EQ(serverDriveCount(), 0);  // the scratch drive never joins the server
}

TEST_F(DriveEditorTest, SelDriveOnABadRowShowsMessage168AndChangesNothing) {
  for (const QStringList& row : std::vector<QStringList>{{"0", "0", "Bogus", "7"},
                                                         {"0", "0", "", "7"},
                                                         {"0", "0", "Ende", "7"},
                                                         {"a", "0", "Sine", "7"},
                                                         {"0", "1,5", "ModSine", "7"}}) {
    SCOPED_TRACE(row.join('|').toStdString());
    document_.input = tableOf({row});
    dialogs_.messages.clear();
    EXPECT_FALSE(DriveEditor(document_, kernel()).SelDrive());
    ASSERT_EQ(dialogs_.messages.size(), 1);
    EXPECT_EQ(dialogs_.messages[0].text, resString(168));
    EXPECT_EQ(dialogs_.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(table().rowCount(), 2);
    EXPECT_EQ(table().cell(1, InputTable::kFirstParameter), "7");
  }
}

TEST_F(DriveEditorTest, TextEditorKeysWriteBackMoveAndMarkTheDriveChanged) {
  DriveEditor editor(document_, kernel());
  QSignalSpy needCalc(&editor, &DriveEditor::calculationNeeded);
  const auto type = [&](char typed, int key) {
    editor.gridKeyPress(typed);  // a character starts the editor with it
    return editor.editorKeyDown(key);
  };

  editor.gridKeyPress('5');
  editor.setEditorText("15");
  editor.setCurrentCell(1, InputTable::kF);  // leaving the cell writes back, no NeedCalc
  EXPECT_EQ(table().cell(1, InputTable::kZ), "15");
  EXPECT_EQ(editor.overlay(), DriveEditor::Overlay::None);
  editor.gridDoubleClick();  // starts with the cell's text
  EXPECT_EQ(editor.editorText(), "0");
  editor.setEditorText("99");
  EXPECT_TRUE(editor.editorKeyDown(Qt::Key_Escape));
  EXPECT_EQ(table().cell(1, InputTable::kF), "0");
  EXPECT_EQ(needCalc.count(), 0);

  EXPECT_TRUE(type('2', Qt::Key_Return));
  EXPECT_EQ(table().cell(1, InputTable::kF), "2");
  EXPECT_EQ(needCalc.count(), 1);
  EXPECT_TRUE(type('3', Qt::Key_Down));  // on the last row: a new row
  EXPECT_EQ(table().cell(1, InputTable::kF), "3");
  EXPECT_EQ(table().rowCount(), 3);
  EXPECT_EQ(std::pair(editor.row(), editor.column()), std::pair(2, 1));
  EXPECT_TRUE(type('9', Qt::Key_Up));  // writes into the cell it leaves
  EXPECT_EQ(table().cell(2, InputTable::kZ), "9");
  EXPECT_EQ(needCalc.count(), 2);

  EXPECT_FALSE(type('1', Qt::Key_Up));  // row 1, column 1: nowhere to go
  EXPECT_FALSE(editor.editorKeyDown(Qt::Key_Left));
  EXPECT_TRUE(editor.editorKeyDown(Qt::Key_Right));
  EXPECT_EQ(table().cell(1, InputTable::kZ), "1");
  EXPECT_EQ(editor.column(), InputTable::kF);
}

TEST_F(DriveEditorTest, LawListTakesTheHighlightedLawOnlyOnEnter) {
  document_.input = tableOf({{"0", "0"}, {"90", "10"}});
  DriveEditor editor(document_, kernel());
  QSignalSpy needCalc(&editor, &DriveEditor::calculationNeeded);
  editor.setCurrentCell(1, InputTable::kLaw);
  editor.gridKeyPress('M');
  editor.setLawIndex(editor.lawList().indexOf("ModSine"));
  EXPECT_TRUE(editor.lawListKeyDown(Qt::Key_Escape));
  EXPECT_EQ(table().cell(1, InputTable::kLaw), "");

  editor.gridDoubleClick();  // the list keeps its highlighted law
  EXPECT_TRUE(editor.lawListKeyDown(Qt::Key_Return));
  EXPECT_EQ(marks(1), kModSineMarks);
  EXPECT_EQ(table().rowCount(), 3);  // not the last row: nothing appended
  EXPECT_EQ(needCalc.count(), 1);
}

}  // namespace
