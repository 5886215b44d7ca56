#include "app/simlink/transfer_run.h"

#include <algorithm>
#include <vector>

#include "app/common/number_text.h"
#include "app/common/user_dialogs.h"
#include "app/simlink/drive_values.h"

namespace {

constexpr int kTextCalculateFirst = 158;
constexpr int kTextCancelled = 159;
constexpr int kTextTransferring = 169;

// A drive as the loop plays it: its input, its values and how many frames it has.
struct PlayedDrive {
  SimRef input;
  const ResultTable* results;
  double offset;
  int frames;
};

std::vector<PlayedDrive> playedDrives(SimulationLink& link, const ProjectState& state) {
  std::vector<PlayedDrive> played;
  for (const DriveRecord& drive : state.drives()) {
    SimRef input;
    if (!skipSimulationError([&] { input = link.Item(link.inputs(), drive.name); })) continue;
    played.push_back({input, &driveResults(drive), driveOffset(drive),
                      playableFrames(drive, state.transferFrameCount)});
  }
  return played;
}

void showFrameStatus(SimulationLink& link, FrameStatusSink& sink) {
  QList<StatusText> texts{{1, resString(kTextTransferring)}};
  skipSimulationError([&] { texts.append({2, frameStatusText(link.CurrentFrame())}); });
  skipSimulationError([&] { texts.append({3, timeStatusText(link.CurrentTime())}); });
  sink.showStatus(texts);
}

void reportCancel(SimulationLink& link, ProjectState& state, const TransferOptions& options) {
  if (options.raiseMainWindow) options.raiseMainWindow();
  QString time;
  skipSimulationError([&] { time = generalText(link.CurrentTime()); });
  showMessage(resString(kTextCancelled) + QStringLiteral(" Time: ") + time,
              QString::fromLatin1(kProductName), MessageIcon::Critical);
  state.abortTransfer = false;
}

TransferEnd play(SimulationLink& link, ProjectState& state, LoopControl& loop,
                 const TransferOptions& options) {
  link.ApplicationMember9();
  link.ApplicationMember14();
  link.JumpToFrame(0);
  link.DocumentMember27();
  link.setCurrentFrame(0);

  const std::vector<PlayedDrive> played = playedDrives(link, state);
  const qint32 frames = state.transferFrameCount;
  LoopRun run(loop, frames);
  for (qint32 f = 0; f < frames; ++f) {
    if (!run.proceed(f) || state.abortTransfer) {
      run.end();
      reportCancel(link, state, options);
      return TransferEnd::Cancelled;
    }
    // A drive with fewer frames keeps the value it was given last.
    for (const PlayedDrive& drive : played) {
      if (f >= drive.frames) continue;
      const double value = drive.results->value(f, 1) + drive.offset;
      skipSimulationError([&] { link.queueInputValue(drive.input, value); });
    }
    if (options.status != nullptr && options.status->statusDue()) {
      showFrameStatus(link, *options.status);
    }
    skipSimulationError([&] { link.RunToFrame(f); });
  }
  run.end();
  link.EndRun();
  return TransferEnd::Completed;
}

}  // namespace

TransferEnd runTransfer(SimulationGuard& guard, ProjectState& state, LoopControl& loop,
                        const TransferOptions& options) {
  const std::vector<DriveRecord>& drives = state.drives();
  if (!std::all_of(drives.begin(), drives.end(), isComputed)) {
    showMessage(resString(kTextCalculateFirst), options.mainCaption);
    return TransferEnd::NotComputed;
  }
  state.abortTransfer = false;
  TransferEnd end = TransferEnd::Failed;
  guard.run([&](SimulationLink& link) { end = play(link, state, loop, options); });
  return end;
}
