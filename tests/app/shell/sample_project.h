#pragma once
// Drives and projects for the shell's tests.

#include "app/shell/project_state.h"
#include "tests/app/support/locale_scope.h"

// A drive of dataRows rows whose cells differ and hold the kinds of text a table holds.
inline DriveRecord sampleRecord(const QString& name, qint32 id, int dataRows, int seed) {
  DriveRecord record;
  record.name = name;
  record.id = id;
  InputTable& table = record.document->input;
  for (int r = 2; r <= dataRows; ++r) table.appendRow();
  table.renumber();
  const QString kinds[] = {"x", "n/A", "", "Länge ä", "Poly5", "ENDE"};
  for (int r = 1; r <= dataRows; ++r)
    for (int c = 1; c < InputTable::kColumns; ++c)
      table.setCell(r, c, c < 3 ? QString::number(seed * 90 * r + c) : kinds[(r + c + seed) % 6]);
  return record;
}

// Two drives that differ in every stored field.
inline void fillTwoDrives(ProjectState& project) {
  project.simulationDocument = "cam_mechanism.msim";
  DriveRecord hub = sampleRecord("Hub", 1, 3, 1);
  hub.changed = true;
  hub.document->periodic = true;
  hub.document->offsetText = "10.5";
  hub.document->colorBgr = 0x0000FF00;
  DriveRecord roller = sampleRecord("Rolle", -7, 1, 2);
  roller.closed = true;
  roller.document->offsetText = "-0.25";
  roller.document->colorBgr = 0x00123456;
  project.addDrive(std::move(hub));
  project.addDrive(std::move(roller));
}

// One result row: the drive counts as calculated.
inline void giveResults(DriveDocument& drive) {
  const ResultTable::Row row{0.0, 1.0, 0.5, 0.0, 0.0, 0.0, 0.0};
  drive.results.reserve(1);
  drive.results.appendRow(row);
}
