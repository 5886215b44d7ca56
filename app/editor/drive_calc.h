#pragma once
// DriveCalc: the calculation of a drive. The input table becomes a kernel drive (built
// through the segment objects), the drive joins the server, is compiled three times, its
// compiled segments fill the segment table (flgBerechnung) and its values frame by frame the
// result table (flgAusgabe); then the drive leaves the server again. The document keeps only
// the numbers. Qt Core only: the window shows the outcome, the batch tool writes it.

#include <QString>

#include "app/common/loop_control.h"
#include "app/editor/drive_document.h"
#include "kernel/automation/veldrive_interfaces.h"

struct CalcSettings {
  QString driveName;        // the window caption: the kernel drive's name
  double frameTime = 0.02;  // seconds per frame (project-wide)
  int decimals = 10;        // decimal places of the results (project-wide)
};

enum class CalcStatus {
  NotEnoughRows,  // fewer than two data rows: nothing was done, nothing cleared
  BadInput,       // a row (or the cam speed) is not usable, or the z range needs more frames
                  // than a result table holds: message 168 shown, results empty
  Unsolved,       // still unsolved after three compiles: message 117 shown, results empty
  Stopped,        // a kernel call failed, or the user stopped the tabulation: no message, the
                  // rows written so far stay, the calculated flag is unchanged
  Calculated,
};

struct CalcOutcome {
  CalcStatus status = CalcStatus::NotEnoughRows;
  // The drive's name as the kernel holds it (status panel 4 while calculating).
  QString kernelDriveName;
  // Rows of the result table. When calculated: the drive record's frame count and status
  // panel 4's text 114 "Werte" + ": " + frameCount.
  int frameCount = 0;
  // The server's drive count while it held this drive (lblCountServer) when calculated.
  long serverDriveCount = 0;

  // The result table (and with it the graphs) was cleared.
  bool clearedResults() const { return status != CalcStatus::NotEnoughRows; }
  // The calculation succeeded: the window draws the drive's graphs now.
  bool drawGraphs() const { return status == CalcStatus::Calculated; }
};

// Frames between two calls of LoopControl::proceed.
inline constexpr int kCalcProgressFrames = 4096;

// Runs the calculation of document's input table. Succeeds with document.calculated set,
// needsCalculation cleared, stepZ, results and segmentRows filled. The drive it adds to the
// server is removed again on every path, so the server holds no drive of it afterwards.
CalcOutcome DriveCalc(IVelDriveServer* server, DriveDocument& document,
                      const CalcSettings& settings, LoopControl& loop);
