#pragma once
// The models the drive window's table views show: texts are made only when a view asks for
// a cell, so a result table of a million rows costs nothing until it is scrolled. Every cell
// is centred. Model rows are data rows: model row i is grid row i + 1 (the grid's header row
// is the view's horizontal header). Qt Core only.

#include <QAbstractTableModel>

#include <array>
#include <vector>

#include "app/editor/input_table.h"
#include "app/editor/result_table.h"

// Grid geometry in twips, as the tables were laid out; the screen has 15 twips per pixel.
inline constexpr int kTwipsPerPixel = 15;
constexpr int twipsToPixels(int twips) { return twips / kTwipsPerPixel; }
inline constexpr std::array<int, InputTable::kColumns> kInputColumnTwips{
    400, 800, 800, 1200, 650, 650, 650, 650, 650, 650, 650, 650, 650, 650, 650, 650};
inline constexpr std::array<int, ResultTable::kColumns> kResultColumnTwips{500,  1300, 1300, 1300,
                                                                           1300, 1300, 1300};

// Rows of the input table's sixteen texts: the input table itself (flgEingabe, over
// InputTable::dataRows()) and the computed segment table (flgBerechnung, over
// DriveDocument::segmentRows), which has the same columns and headers.
class InputTableModel : public QAbstractTableModel {
 public:
  explicit InputTableModel(const std::vector<InputTable::Row>& rows, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  // Brings the views up to the rows as they are now (rows appended or removed, cells
  // changed, rows replaced).
  void sync();

 private:
  const std::vector<InputTable::Row>& rows_;
  int shownRows_ = 0;  // the row count the views know
};

// The result table (flgAusgabe): seven columns of numbers shown as general text in the
// locale.
class ResultModel : public QAbstractTableModel {
 public:
  explicit ResultModel(const ResultTable& table, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  // The table was recalculated or cleared. Until then the views keep the row count they
  // know, and rows no longer in the table show empty.
  void refresh();

 private:
  const ResultTable& table_;
  int shownRows_ = 0;
};
