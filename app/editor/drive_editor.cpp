#include "app/editor/drive_editor.h"

#include <algorithm>

#include "app/editor/segment_building.h"

namespace {

constexpr int kOpenWithCellText = 32;  // a double click opens an editor as the space key does

GridCursor clamped(const InputTable& table, int row, int column) {
  return {std::clamp(row, 1, table.lastRow()),
          std::clamp(column, static_cast<int>(InputTable::kZ),
                     static_cast<int>(InputTable::kLastColumn))};
}

bool operator!=(const GridCursor& a, const GridCursor& b) {
  return a.row != b.row || a.column != b.column;
}

}  // namespace

DriveEditor::DriveEditor(DriveDocument& document, const KernelClient& kernel, QObject* parent)
    : QObject(parent),
      document_(document),
      server_(kernel.server()),
      lawList_(kernel.segmentTypes() << endMarker()) {
  cursor_ = clamped(table(), cursor_.row, cursor_.column);
}

void DriveEditor::setCurrentCell(int row, int column) {
  commit(false);
  const GridCursor asked{row, column};
  cursor_ = clamped(table(), row, column);
  if (cursor_ != asked) emit currentCellChanged(cursor_.row, cursor_.column);
}

void DriveEditor::gridFocusIn() { commit(true); }

void DriveEditor::gridDoubleClick() { gridKeyPress(kOpenWithCellText); }

void DriveEditor::gridKeyPress(int keyAscii) {
  if (cursor_.column == InputTable::kLaw)
    GridDrive(keyAscii);
  else
    GridEdit(keyAscii);
}

bool DriveEditor::gridKeyDown(int key) {
  if (key != Qt::Key_Delete) return false;
  DelLine();
  return true;
}

void DriveEditor::setEditorText(const QString& text) { editorText_ = text; }

void DriveEditor::setLawIndex(int index) { lawIndex_ = index; }

bool DriveEditor::editorKeyDown(int key) {
  if (overlay_ != Overlay::Text) return false;
  switch (key) {
    case Qt::Key_Escape: setOverlay(Overlay::None); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: gridFocusIn(); return true;
    case Qt::Key_Down:
      gridFocusIn();
      if (cursor_.row < table().lastRow())
        moveTo(cursor_.row + 1, cursor_.column);
      else
        NewLine();
      return true;
    case Qt::Key_Up:
      if (cursor_.row <= 1) return false;
      moveTo(cursor_.row - 1, cursor_.column);
      return true;
    case Qt::Key_Left:
      if (cursor_.column <= InputTable::kZ) return false;
      moveTo(cursor_.row, cursor_.column - 1);
      return true;
    case Qt::Key_Right:
      if (cursor_.column >= InputTable::kLastColumn) return false;
      moveTo(cursor_.row, cursor_.column + 1);
      return true;
    default: return false;
  }
}

bool DriveEditor::lawListKeyDown(int key) {
  if (overlay_ != Overlay::Law) return false;
  switch (key) {
    case Qt::Key_Escape: setOverlay(Overlay::None); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: gridFocusIn(); return true;
    default: return false;
  }
}

void DriveEditor::GridEdit(int keyAscii) {
  const EditorStart start = editorStart(keyAscii, table().cell(cursor_.row, cursor_.column));
  editorText_ = start.text;
  editorCaret_ = start.caret;
  setOverlay(Overlay::Text);
}

void DriveEditor::GridDrive(int) { setOverlay(Overlay::Law); }

bool DriveEditor::SelDrive() {
  const GridCursor before = cursor_;
  const bool done = ::SelDrive(server_, caption_, table(), cursor_, &scratch_);
  emit tableChanged();
  announceCursor(before);
  return done;
}

void DriveEditor::NewLine() {
  commit(false);
  const GridCursor before = cursor_;
  ::NewLine(table(), cursor_);
  emit tableChanged();
  announceCursor(before);
  gridFocusIn();
}

bool DriveEditor::DelLine() {
  commit(false);
  const GridCursor before = cursor_;
  if (!::DelLine(table(), cursor_)) return false;
  emit tableChanged();
  announceCursor(before);
  return true;
}

void DriveEditor::EingabeSort() {
  commit(false);
  ::EingabeSort(table(), cursor_.column);
  emit tableChanged();
}

bool DriveEditor::canConvert(int row, int column) const {
  return isConvertible(table(), row, column);
}

void DriveEditor::mnuGrad() { convert(AngleUnit::Degree); }

void DriveEditor::mnuBogen() { convert(AngleUnit::Radian); }

void DriveEditor::NeedCalc() {
  document_.needsCalculation = true;
  emit calculationNeeded();
}

CalcOutcome DriveEditor::DriveCalc(double frameTime, int decimals, LoopControl& loop) {
  const CalcOutcome outcome =
      ::DriveCalc(server_, document_, {caption_, frameTime, decimals}, loop);
  if (outcome.clearedResults()) emit resultsChanged();
  return outcome;
}

void DriveEditor::AusgabeClear() {
  document_.results.clear();
  emit resultsChanged();
}

bool DriveEditor::commit(bool markChange) {
  switch (overlay_) {
    case Overlay::None: return false;
    case Overlay::Text:
      table().setCell(cursor_.row, cursor_.column, editorText_);
      setOverlay(Overlay::None);
      emit tableChanged();
      break;
    case Overlay::Law:
      table().setCell(cursor_.row, cursor_.column, lawList_.value(lawIndex_));
      setOverlay(Overlay::None);
      SelDrive();
      break;
  }
  if (markChange) NeedCalc();
  return true;
}

void DriveEditor::setOverlay(Overlay overlay) {
  if (overlay == overlay_) return;
  overlay_ = overlay;
  emit overlayChanged(overlay);
}

void DriveEditor::moveTo(int row, int column) {
  commit(false);
  const GridCursor before = cursor_;
  cursor_ = clamped(table(), row, column);
  announceCursor(before);
}

void DriveEditor::announceCursor(const GridCursor& before) {
  if (cursor_ != before) emit currentCellChanged(cursor_.row, cursor_.column);
}

void DriveEditor::convert(AngleUnit unit) {
  if (convertAngle(table(), cursor_.row, unit)) emit tableChanged();
}
