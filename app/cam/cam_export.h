#pragma once
// The cam export (WriteToFile): the curve as a closed spline for further use. Line 1 holds
// the last point and "Spline closed"; then every row from the second on with its grid row
// number (the first row, frame 0, is left out: the closing point takes its place):
//   " 60<TAB>-0.5<TAB> 0<TAB>Spline closed"
//   " 59.9<TAB> 3.2<TAB> 0<TAB>2"
// X, Y, Z in signed text; lines end with CR LF.

#include <QString>

#include "app/cam/cam_table.h"

// The proposed file name: "Kurve" + " " + roller text + " " + plate text.
QString camFileProposal(const QString& bodyAText, const QString& bodyBText);

// Writes the table to path; false (and the target unchanged) when the table is empty or
// the file cannot be written.
bool writeCamFile(const CamTable& table, const QString& path);

// WriteToFile: asks for the file in the save dialog (overwrite prompt, the program's curve
// filter, the proposal, the current directory) and writes it. False when cancelled or not written.
bool WriteToFile(const CamTable& table, const QString& bodyAText, const QString& bodyBText);
