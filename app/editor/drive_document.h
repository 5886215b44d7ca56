#pragma once
// Everything a drive window shows and edits, without the window: the input table, the
// drive's own settings, and the results of its last calculation. The project's drive list
// owns one per drive; the window (frmChild) displays and edits it, and whatever works on a
// drive without a window (files, transfer, exports, kinetra-batch) reads it directly.

#include <QString>
#include <QStringList>

#include <vector>

#include "app/editor/input_table.h"
#include "app/editor/result_table.h"

struct DriveDocument {
  InputTable input;
  bool periodic = false;                         // chkPeriodisch
  QString offsetText = QStringLiteral("0");      // txtAnfLaenge, the actuator offset
  quint32 colorBgr = 0x00FF0000;                 // txtDriveColor's background, 0x00BBGGRR
  QString camSpeedText = QStringLiteral("180");  // txtKurvenGeschwindigkeit, z units per second

  // The last calculation.
  bool calculated = false;       // set by a successful calculation, kept by "Löschen"
  bool needsCalculation = true;  // the status picture: changed since the last calculation
  float stepZ = 0.0f;            // Δz of the last calculation, single precision
  ResultTable results;           // flgAusgabe
  // flgBerechnung: the compiled segments, one row of 16 texts per segment, as InputTable.
  std::vector<InputTable::Row> segmentRows;
};
