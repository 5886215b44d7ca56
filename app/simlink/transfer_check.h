#pragma once
// The transfer command (mnuTransfer) and the check of a project against the simulation that
// the check dialog (frmWMCheck) shows before the drives are played.
//
// Every comparison is exact, on the numbers the result tables hold (the numbers their cells
// show).

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

#include "app/common/string_table.h"
#include "app/shell/project_state.h"
#include "app/simlink/frame_status.h"
#include "app/simlink/simulation_guard.h"

enum class TransferCommand {
  NoDrives,     // nothing happens
  NotComputed,  // a drive has no results: message 158 was shown
  DoubledName,  // two drives drive the same input: message 176 was shown
  OpenCheck,    // the check dialog opens
};

// mnuTransfer: the checks before the check dialog opens; a refusal is shown here (message
// 158 titled mainCaption names no drive; 176 titled "Antrieb").
TransferCommand transferCommand(const ProjectState& state,
                                const QString& mainCaption = QString::fromLatin1(kProductName));

// A node of the overview tree tvwWmStatus. Top nodes have an empty parentKey.
struct TransferCheckNode {
  QString key;
  QString parentKey;
  QString text;
  bool operator==(const TransferCheckNode&) const = default;
};

// What the check dialog shows.
struct TransferCheck {
  bool frameRateOk = true;    // imgFramesOK, else imgFramesFalsch
  bool offsetOk = true;       // imgAnflaengeOK, else imgAnfLaengeFalsch
  QString driveFault;         // lblDriveFault: the first drive whose offset is 0
  QStringList zeroCrossings;  // lstNullDurchgang: name TAB " z= " z, one per drive reaching 0
  bool zRangeOk = true;       // imgZBereichOK, else imgZBereichFalsch
  bool verdict = true;        // the window icon: imgOK, else imgStop
  QString caption;            // product name + " OK", else + " Warnung!"
  bool transferFirst = true;  // cmdTransfer first in tab order, else cmdCancel
  qint32 transferFrameCount = 0;
  std::vector<TransferCheckNode> tree;  // in insertion order, each child after its parent
};

// The captions the dialog sets on load, by the controls' object names, and the status
// panels' first texts.
QList<std::pair<QString, QString>> transferCheckCaptions();
QList<StatusText> transferCheckStatus();

// The check of the drives given the frame-rate probe's result. Touches no simulation.
TransferCheck evaluateTransfer(const std::vector<DriveRecord>& drives, bool frameRateOk);

// The dialog's load, through the guard: clears the abort flag and the transfer frame count,
// runs the frame-rate probe (JumpToFrame 0, 1, CurrentTime, JumpToFrame 0), checks the
// drives and sets the transfer frame count. Nothing when a call failed (the guard has
// dealt with it); the state is then reset but holds no frame count.
std::optional<TransferCheck> checkTransfer(SimulationGuard& guard, ProjectState& state);
