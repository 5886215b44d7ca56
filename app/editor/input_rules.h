#pragma once
// The rules of the input table that need no kernel: appending, deleting and sorting rows,
// the degree/radian conversion of f cells and the text the cell editor starts with. Each is
// a move on (table, current cell); the window shows the table and the current cell after it.
// Qt Core only.

#include <QString>

#include "app/editor/input_table.h"

// The grid's current cell: a data row (1 … lastRow) and a column (1 … kLastColumn). Column 0,
// the running number, is fixed like the header row and never current.
struct GridCursor {
  int row = 1;
  int column = InputTable::kZ;
};

// NewLine: appends a data row numbered rowCount − 2 and makes its z cell current.
void NewLine(InputTable& table, GridCursor& cursor);

// DelLine: removes the current row and renumbers, keeping the current row where it was (or
// on the new last row when the last one went). Row 1 cannot go: message 115, no change,
// false.
bool DelLine(InputTable& table, GridCursor& cursor);

// EingabeSort: every data row in ascending order by the columns from z to the current column,
// left to right; cells that are numbers compare as numbers and before texts, texts compare
// without regard to case. Rows with equal keys keep their order. Renumbers afterwards.
void EingabeSort(InputTable& table, int currentColumn);

// The degree/radian conversion (mnuGrad, mnuBogen) acts on f cells holding a number.
enum class AngleUnit { Degree, Radian };
bool isConvertible(const InputTable& table, int row, int column);
// Writes the cell's value turned into unit as general text; false when the cell is not
// convertible.
bool convertAngle(InputTable& table, int row, AngleUnit unit);

// The text editor (txtEdit) opened by a key: a printable character (keyAscii > 32, or a
// negative code) starts it with that character and the caret after it; any other key starts
// it with the cell's text and the caret at its end.
struct EditorStart {
  QString text;
  int caret = 0;
};
EditorStart editorStart(int keyAscii, const QString& cellText);
