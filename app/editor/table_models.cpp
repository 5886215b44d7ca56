#include "app/editor/table_models.h"

namespace {

// A cell's or header's answer for the roles both models share: its text when shown, and
// centred alignment.
template <class Text>
QVariant cellAnswer(int role, Text text) {
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
  if (role == Qt::DisplayRole) return text();
  return {};
}

}  // namespace

InputTableModel::InputTableModel(const std::vector<InputTable::Row>& rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows), shownRows_(static_cast<int>(rows.size())) {}

int InputTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shownRows_;
}

int InputTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : InputTable::kColumns;
}

QVariant InputTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || static_cast<std::size_t>(index.row()) >= rows_.size()) return {};
  return cellAnswer(role, [&] { return rows_[index.row()][index.column()]; });
}

QVariant InputTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= InputTable::kColumns)
    return QAbstractTableModel::headerData(section, orientation, role);
  return cellAnswer(role, [&] { return InputTable::header(section); });
}

void InputTableModel::sync() {
  const int rows = static_cast<int>(rows_.size());
  if (rows > shownRows_) {
    beginInsertRows({}, shownRows_, rows - 1);
    shownRows_ = rows;
    endInsertRows();
  } else if (rows < shownRows_) {
    beginRemoveRows({}, rows, shownRows_ - 1);
    shownRows_ = rows;
    endRemoveRows();
  }
  if (shownRows_ > 0) emit dataChanged(index(0, 0), index(shownRows_ - 1, InputTable::kLastColumn));
}

ResultModel::ResultModel(const ResultTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table), shownRows_(table.rowCount()) {}

int ResultModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shownRows_;
}

int ResultModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ResultTable::kColumns;
}

QVariant ResultModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= table_.rowCount()) return {};
  return cellAnswer(role, [&] { return table_.text(index.row(), index.column()); });
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= ResultTable::kColumns)
    return QAbstractTableModel::headerData(section, orientation, role);
  return cellAnswer(role, [&] { return ResultTable::header(section); });
}

void ResultModel::refresh() {
  beginResetModel();
  shownRows_ = table_.rowCount();
  endResetModel();
}
