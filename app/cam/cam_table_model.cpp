#include "app/cam/cam_table_model.h"

CamTableModel::CamTableModel(const CamTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table), rows_(table.rowCount()) {}

int CamTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int CamTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : CamTable::kColumns;
}

QVariant CamTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= table_.rowCount()) return {};
  if (role == Qt::DisplayRole) return table_.text(index.row(), index.column());
  if (role == Qt::TextAlignmentRole) return int(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

QVariant CamTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return CamTable::header(section);
}

void CamTableModel::sync() {
  const int rows = table_.rowCount();
  if (rows < rows_) {
    beginResetModel();
    rows_ = rows;
    endResetModel();
    return;
  }
  if (rows > rows_) {
    beginInsertRows({}, rows_, rows - 1);
    rows_ = rows;
    endInsertRows();
  }
  if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, CamTable::kColumns - 1));
}
