#pragma once
// Drives and projects for the shell's tests: tables with every kind of cell text, and a
// locale scope that restores the default locale and language.

#include <QLocale>
#include <QString>

#include "app/common/string_table.h"
#include "app/shell/project_state.h"

// Sets the default locale (and the language that follows it) for one test.
class LocaleScope {
 public:
  explicit LocaleScope(QLocale::Language language)
      : locale_(QLocale()), language_(currentLanguage()) {
    const QLocale locale(language,
                         language == QLocale::German ? QLocale::Germany : QLocale::UnitedStates);
    QLocale::setDefault(locale);
    setLanguage(languageForLocale(locale));
  }
  ~LocaleScope() {
    QLocale::setDefault(locale_);
    setLanguage(language_);
  }

 private:
  QLocale locale_;
  Language language_;
};

// A drive of dataRows rows; every cell holds a different text, among them the kinds a
// table holds: numbers, a law, "x", "n/A", an empty cell, umlauts, the end marker.
inline DriveDocument sampleDrive(int dataRows, int seed) {
  DriveDocument drive;
  for (int r = 2; r <= dataRows; ++r) drive.input.appendRow();
  drive.input.renumber();
  const QString kinds[] = {QStringLiteral("x"), QStringLiteral("n/A"), QString(),
                           QStringLiteral("Länge ä")};
  for (int r = 1; r <= dataRows; ++r) {
    drive.input.setCell(r, InputTable::kZ, QString::number(seed + 90 * (r - 1)));
    drive.input.setCell(r, InputTable::kF, QStringLiteral("%1.5").arg(seed * r));
    drive.input.setCell(r, InputTable::kLaw,
                        r == dataRows ? QStringLiteral("ENDE") : QStringLiteral("Poly5"));
    for (int c = InputTable::kFirstParameter; c < InputTable::kColumns; ++c)
      drive.input.setCell(r, c, kinds[(r + c + seed) % 4]);
  }
  return drive;
}

inline DriveRecord sampleRecord(const QString& name, qint32 id, int dataRows, int seed) {
  DriveRecord record;
  record.name = name;
  record.id = id;
  *record.document = sampleDrive(dataRows, seed);
  return record;
}

// Two drives that differ in every stored field.
inline void fillTwoDrives(ProjectState& project) {
  project.simulationDocument = QStringLiteral("cam_mechanism.msim");
  DriveRecord hub = sampleRecord(QStringLiteral("Hub"), 1, 3, 1);
  hub.changed = true;
  hub.document->periodic = true;
  hub.document->offsetText = QStringLiteral("10.5");
  hub.document->colorBgr = 0x0000FF00;
  DriveRecord roller = sampleRecord(QStringLiteral("Rolle"), -7, 1, 2);
  roller.closed = true;
  roller.document->offsetText = QStringLiteral("-0.25");
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
