#pragma once
// ExportBerechnung: the result table as a text file. One line per row of the table, the
// header row first as row 0: the row number, then the seven cells as the table shows them,
// separated by TAB, no TAB at the end, CR LF. Qt Core only.

#include <QLocale>
#include <QString>

#include "app/editor/drive_document.h"
#include "app/editor/result_table.h"

// The save dialog's filter: "*.txt (Kinetra DATA)|*.txt".
QString exportFilter();

// Writes the export file of results to path (through a temporary file). False when it
// cannot be written; the target is then as it was.
bool writeResultExport(const QString& path, const ResultTable& results,
                       const QLocale& locale = QLocale());

// The toolbar's "ExportBerechnung": only while the drive is calculated, asks for the file
// (overwrite prompt on, the current directory) and writes it. Cancelling or a failed write
// ends it silently. True when a file was written.
bool ExportBerechnung(const DriveDocument& document);
