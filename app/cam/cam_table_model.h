#pragma once
// flgKurve's model: the cam table's rows as the grid shows them, a cell's text made only when
// the view asks for it. The header row "#", "X", "Y", "Z", "time" is the view's header.
//
// The table grows and shrinks under the model (a run appends a row per frame, a pick or a
// new run empties it); sync() tells the view what changed since the last call. Until then
// the model shows the rows it knew, and a row the table no longer holds shows nothing.

#include <QAbstractTableModel>

#include "app/cam/cam_table.h"

class CamTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit CamTableModel(const CamTable& table, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Catches up with the table: rows appended since the last call are inserted, a table that
  // shrank is shown anew, and every cell is shown again (the multiplier changes them).
  void sync();

 private:
  const CamTable& table_;
  int rows_ = 0;
};
