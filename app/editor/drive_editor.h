#pragma once
// The drive window's behaviour without the window: the current cell of the input table, the
// two overlay editors (the text editor txtEdit and the law list cboDriveList) and when they
// write back, the keys of both, the table procedures and the calculation. The window
// (frmChild) forwards its events here and shows what the signals announce:
//
//   currentCellChanged  → make (row(), column()) the view's current cell
//   overlayChanged      → Text: txtEdit over the current cell with editorText()/editorCaret();
//                         Law: cboDriveList over it at lawIndex(); None: hide both and give
//                         the grid the focus
//   tableChanged        → InputTableModel::sync()
//   calculationNeeded   → NeedCalc's other effects: status picture, ProjektGeaendert, the
//                         drive record's changed flag
//   resultsChanged      → refresh the result and segment models
//
// Rows are grid rows (data rows 1 … lastRow), columns grid columns (1 … 15). Qt Core only.

#include <QObject>
#include <QString>
#include <QStringList>

#include "app/common/kernel_client.h"
#include "app/common/loop_control.h"
#include "app/editor/drive_calc.h"
#include "app/editor/drive_document.h"
#include "app/editor/input_rules.h"

class DriveEditor : public QObject {
  Q_OBJECT
 public:
  enum class Overlay { None, Text, Law };
  Q_ENUM(Overlay)

  // The kernel must outlive the editor; its law list is read once, here.
  DriveEditor(DriveDocument& document, const KernelClient& kernel, QObject* parent = nullptr);

  DriveDocument& document() const { return document_; }
  // The window caption, which is the drive's name (the scratch and calculated drives' name).
  const QString& caption() const { return caption_; }
  void setCaption(const QString& caption) { caption_ = caption; }
  // cboDriveList's items: the kernel's segment type names in its order, then the end marker.
  const QStringList& lawList() const { return lawList_; }

  int row() const { return cursor_.row; }
  int column() const { return cursor_.column; }
  Overlay overlay() const { return overlay_; }
  const QString& editorText() const { return editorText_; }
  int editorCaret() const { return editorCaret_; }
  int lawIndex() const { return lawIndex_; }

  // flgEingabe's events.
  // The user made (row, column) current: an open editor first writes into the cell it
  // leaves (no NeedCalc). Out-of-range cells are clamped to the table.
  void setCurrentCell(int row, int column);
  // The grid got the focus: an open editor writes back, then NeedCalc.
  void gridFocusIn();
  // Double click: the law list in the law column, else the text editor with the cell's text.
  void gridDoubleClick();
  // A typed character (its code): law column → GridDrive, else GridEdit.
  void gridKeyPress(int keyAscii);
  // A key (Qt::Key): Delete deletes the current row as DelLine. True when handled.
  bool gridKeyDown(int key);

  // The overlay editors' events.
  void setEditorText(const QString& text);
  void setLawIndex(int index);
  // txtEdit: Escape drops the text; Enter writes it back (then NeedCalc); Down writes it
  // back and moves down, appending a row on the last one; Up, Left and Right write it back
  // into the cell they leave and move, when there is a cell to move to. True when the key is
  // used up (no further character, no caret move).
  bool editorKeyDown(int key);
  // cboDriveList: Escape drops the choice; Enter takes the highlighted law (SelDrive, then
  // NeedCalc). True when used up.
  bool lawListKeyDown(int key);

  // Procedures.
  void GridEdit(int keyAscii);
  void GridDrive(int keyAscii);
  bool SelDrive();
  void NewLine();
  bool DelLine();
  void EingabeSort();
  // The conversion pop-up is offered for a numeric f cell; mnuGrad/mnuBogen act on the
  // current cell.
  bool canConvert(int row, int column) const;
  void mnuGrad();
  void mnuBogen();
  void NeedCalc();
  // DriveCalc with the caption as the drive's name; resultsChanged when the tables changed.
  CalcOutcome DriveCalc(double frameTime, int decimals, LoopControl& loop);
  // Toolbar "Löschen": the result table is emptied; the calculated flag stays.
  void AusgabeClear();

 signals:
  void currentCellChanged(int row, int column);
  void overlayChanged(DriveEditor::Overlay overlay);
  void tableChanged();
  void calculationNeeded();
  void resultsChanged();

 private:
  InputTable& table() const { return document_.input; }
  // Writes an open editor back into the current cell and closes it; NeedCalc when
  // markChange. False when none was open.
  bool commit(bool markChange);
  void setOverlay(Overlay overlay);
  // Moves the current cell on the editor's own account (the window follows).
  void moveTo(int row, int column);
  void announceCursor(const GridCursor& before);
  void convert(AngleUnit unit);

  DriveDocument& document_;
  IVelDriveServer* server_;
  QStringList lawList_;
  QString caption_;
  GridCursor cursor_;
  Overlay overlay_ = Overlay::None;
  QString editorText_;
  int editorCaret_ = 0;
  int lawIndex_ = -1;
  ComPtr<IVelDrive> scratch_;  // SelDrive's drive, replaced at each choice
};
