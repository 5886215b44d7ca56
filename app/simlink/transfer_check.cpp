#include "app/simlink/transfer_check.h"

#include <algorithm>
#include <optional>

#include "app/common/number_text.h"
#include "app/common/user_dialogs.h"
#include "app/shell/main_window_logic.h"
#include "app/simlink/drive_values.h"

namespace {

constexpr int kTextDrive = 101;
constexpr int kTextOffset = 108;
constexpr int kTextValues = 114;
constexpr int kTextCancel = 140;
constexpr int kTextExport = 150;
constexpr int kTextOverview = 151;
constexpr int kTextZRange = 152;
constexpr int kTextZeroLength = 153;
constexpr int kTextTransfer = 169;
constexpr int kTextWarning = 170;
constexpr int kTextDoubledName = 176;

QString zText(const ResultTable& results, int row) {
  return row >= 0 && row < results.rowCount() ? results.text(row, 0) : QString();
}

void addTreeNodes(const DriveRecord& drive, int index, std::vector<TransferCheckNode>& tree) {
  const ResultTable& results = driveResults(drive);
  const QString top = QStringLiteral("Eintag") + generalText(index);
  const QString child = QStringLiteral("Eintrag") + generalText(index);
  tree.push_back({top, QString(), drive.name});
  tree.push_back({child + QLatin1Char('1'), top,
                  resString(kTextOffset) + QLatin1Char(' ') + generalText(driveOffset(drive))});
  tree.push_back({child + QLatin1Char('2'), top,
                  resString(kTextValues) + QLatin1Char(' ') + generalText(results.rowCount())});
  tree.push_back({child + QLatin1Char('3'), top,
                  resString(kTextZRange) + QLatin1Char(' ') + zText(results, 0) +
                      QStringLiteral(" - ") + zText(results, results.rowCount() - 1)});
}

// The first row where offset + f(z) reaches 0, if any.
std::optional<int> zeroCrossing(const DriveRecord& drive) {
  const ResultTable& results = driveResults(drive);
  const double offset = driveOffset(drive);
  for (int row = 0; row < results.rowCount(); ++row) {
    if (offset + results.value(row, 1) <= 0.0) return row;
  }
  return std::nullopt;
}

// Every drive starts at z = 0 and neighbours in the list end at the same z.
bool zRangesAgree(const std::vector<DriveRecord>& drives) {
  bool ok = true;
  for (std::size_t i = 0; i < drives.size(); ++i) {
    const ResultTable& results = driveResults(drives[i]);
    if (results.isEmpty() || results.value(0, 0) != 0.0) ok = false;
    if (i + 1 < drives.size()) {
      const ResultTable& next = driveResults(drives[i + 1]);
      if (results.isEmpty() || next.isEmpty() ||
          results.value(results.rowCount() - 1, 0) != next.value(next.rowCount() - 1, 0)) {
        ok = false;
      }
    }
  }
  return ok;
}

}  // namespace

TransferCommand transferCommand(const ProjectState& state, const QString& mainCaption) {
  const std::vector<DriveRecord>& drives = state.drives();
  if (drives.empty()) return TransferCommand::NoDrives;
  if (!requireCalculatedDrives(state, mainCaption)) return TransferCommand::NotComputed;
  for (std::size_t i = 0; i < drives.size(); ++i) {
    for (std::size_t j = i + 1; j < drives.size(); ++j) {
      if (drives[i].name == drives[j].name) {
        showMessage(resString(kTextDoubledName), resString(kTextDrive), MessageIcon::Critical);
        return TransferCommand::DoubledName;
      }
    }
  }
  return TransferCommand::OpenCheck;
}

QList<std::pair<QString, QString>> transferCheckCaptions() {
  return {
      {QStringLiteral("frmNullDurchgang"), resString(kTextZeroLength)},
      {QStringLiteral("fraÜbersicht"), resString(kTextOverview)},
      {QStringLiteral("lblAnfLaenge"), resString(kTextOffset)},
      {QStringLiteral("lblTime"), resString(kTextZRange)},
      {QStringLiteral("lblFrames"), QStringLiteral("Frames / sec")},
      {QStringLiteral("cmdTransfer"), resString(kTextTransfer)},
      {QStringLiteral("cmdCancel"), resString(kTextCancel)},
      {QStringLiteral("cmdWerteProtokol"), resString(kTextExport)},
  };
}

QList<StatusText> transferCheckStatus() {
  return {{2, QStringLiteral("Frame: ")}, {3, QStringLiteral("Time: ")}};
}

TransferCheck evaluateTransfer(const std::vector<DriveRecord>& drives, bool frameRateOk) {
  TransferCheck check;
  check.frameRateOk = frameRateOk;
  check.verdict = frameRateOk;
  for (std::size_t i = 0; i < drives.size(); ++i) {
    addTreeNodes(drives[i], static_cast<int>(i), check.tree);
  }
  // Only the first drive with offset 0 is named.
  for (const DriveRecord& drive : drives) {
    if (driveOffset(drive) == 0.0) {
      check.offsetOk = false;
      check.verdict = false;
      check.driveFault = drive.name;
      break;
    }
  }
  for (const DriveRecord& drive : drives) {
    if (const std::optional<int> row = zeroCrossing(drive)) {
      check.verdict = false;
      check.zeroCrossings << drive.name + QStringLiteral("\t z= ") +
                                 zText(driveResults(drive), *row);
    }
  }
  check.zRangeOk = zRangesAgree(drives);
  if (!check.zRangeOk) check.verdict = false;
  for (const DriveRecord& drive : drives) {
    check.transferFrameCount = std::max(check.transferFrameCount, drive.frameCount);
  }
  check.caption =
      QString::fromLatin1(kProductName) +
      (check.verdict ? QStringLiteral(" OK") : QLatin1Char(' ') + resString(kTextWarning));
  check.transferFirst = check.verdict;
  return check;
}

std::optional<TransferCheck> checkTransfer(SimulationGuard& guard, ProjectState& state) {
  state.abortTransfer = false;
  state.transferFrameCount = 0;
  std::optional<bool> frameRateOk;
  guard.run([&](SimulationLink& link) {
    const bool probe = link.FrameRateProbe(state.frameTime());
    link.JumpToFrame(0);
    frameRateOk = probe;
  });
  if (!frameRateOk) return std::nullopt;
  TransferCheck check = evaluateTransfer(state.drives(), *frameRateOk);
  state.transferFrameCount = check.transferFrameCount;
  return check;
}
