#pragma once
// The transfer run: every drive is played into the simulation input of its name, frame by
// frame, for the transfer frame count the check set.
//
// Per frame f: one round of the loop control (the window processes pending events, watches
// Escape and shows progress; the check dialog's Cancel sets the abort flag), the value of
// row f of each drive's result table plus its offset put into its input (queued: the loop
// waits for the simulation once per frame, at RunToFrame), the status texts when the sink
// wants them, then RunToFrame(f). EndRun follows the last frame.

#include <QString>

#include <functional>

#include "app/common/loop_control.h"
#include "app/common/string_table.h"
#include "app/shell/project_state.h"
#include "app/simlink/frame_status.h"
#include "app/simlink/simulation_guard.h"

enum class TransferEnd {
  NotComputed,  // a drive has no results: message 158, nothing was sent
  Completed,    // every frame played, EndRun called
  Cancelled,    // stopped before a frame: message 159 with the simulation time, no EndRun
  Failed,       // a simulation call failed and the guard ended the run (see lastError())
};

struct TransferOptions {
  QString mainCaption = QString::fromLatin1(kProductName);  // title of message 158
  // Panel 1 "Übertragen", 2 "Frame: " + CurrentFrame, 3 "Time: " + CurrentTime; may be null.
  FrameStatusSink* status = nullptr;
  // Called before the cancel message: the window brings the main window up.
  std::function<void()> raiseMainWindow;
};

// cmdTransfer's run, through the guard: the abort flag is cleared first. The preparation
// (application members 9 and 14, JumpToFrame(0), document member 27, CurrentFrame := 0)
// and EndRun end the run at their first error; inside the frame loop an error is skipped
// and the loop carries on, but a lost connection (462) ends the run there. An input whose
// name the simulation does not know is not played.
TransferEnd runTransfer(SimulationGuard& guard, ProjectState& state, LoopControl& loop,
                        const TransferOptions& options = {});
