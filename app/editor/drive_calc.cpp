#include "app/editor/drive_calc.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "app/common/kernel_client.h"
#include "app/common/number_text.h"
#include "app/common/string_table.h"
#include "app/common/user_dialogs.h"
#include "app/editor/parameter_columns.h"
#include "app/editor/segment_building.h"
#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"

namespace {

constexpr int kUnsolvedMessage = 117;
constexpr int kCompilePasses = 3;
// The tabulation runs to z1 + this, so the end point is not lost to the rounding of z.
constexpr double kEndTolerance = 1e-9;
// The result table is reserved for at most this many rows up front; longer tables grow.
constexpr qint64 kMostReservedRows = 4'000'000;
// The most frames a calculation tabulates: twenty million rows of seven numbers take about
// 1.1 GB. A z range that needs more (a typing slip such as 3600000 for 360) is refused as bad
// input instead of filling memory until the program is killed.
constexpr qint64 kMostFrames = 20'000'000;

// Holds the calculation's drive in the server from add() to the end of the calculation, and
// takes exactly that drive out again, whichever way the calculation ends.
class ServerEntry {
 public:
  ServerEntry(IVelDriveServer* server, IVelDrive* drive)
      : server_(server), drive_(drive), added_(SUCCEEDED(server->add(drive))) {}
  ~ServerEntry() {
    if (added_) server_->remove(drive_);
  }
  ServerEntry(const ServerEntry&) = delete;
  ServerEntry& operator=(const ServerEntry&) = delete;

 private:
  IVelDriveServer* server_;
  IVelDrive* drive_;
  bool added_;
};

// BerechnungZeigen: the segment table gets the input table's rows, numbered as there.
void prepareSegmentRows(DriveDocument& document) {
  document.segmentRows.assign(document.input.dataRows().size(), InputTable::Row{});
  for (std::size_t i = 0; i < document.segmentRows.size(); ++i)
    document.segmentRows[i][InputTable::kNumber] =
        document.input.dataRows()[i][InputTable::kNumber];
}

// One row of the segment table: z0 and f0 as they are, the type name, the twelve parameter
// values rounded. False when a kernel call fails.
bool writeSegmentRow(IVelDriveSeg* segment, int decimals, InputTable::Row& row) {
  double z0 = 0.0, f0 = 0.0;
  Bstr typeName;
  if (FAILED(segment->get_z0(&z0)) || FAILED(segment->get_f0(&f0)) ||
      FAILED(segment->get_typeName(typeName.put())))
    return false;
  row[InputTable::kZ] = generalText(z0);
  row[InputTable::kF] = generalText(f0);
  row[InputTable::kLaw] = toQString(typeName);
  for (const ParameterColumn& parameter : kParameterColumns) {
    double value = 0.0;
    if (FAILED(segment->get_value(Bstr(parameter.kernelName).get(), &value))) return false;
    row[parameter.column] = generalText(displayValue(value, decimals));
  }
  return true;
}

// Fills the segment table from the compiled drive's chain; the last row shows the end
// marker in place of "Linear". False when a kernel call fails or the chain is longer than
// the table.
bool fillSegmentTable(IVelDrive* drive, int decimals, std::vector<InputTable::Row>& rows) {
  ComPtr<IVelDriveSeg> segment;
  if (FAILED(drive->get_head(segment.put()))) return false;
  std::size_t written = 0;
  while (segment) {
    if (written == rows.size()) return false;
    InputTable::Row& row = rows[written++];
    if (!writeSegmentRow(segment.get(), decimals, row)) return false;
    if (written == rows.size() && row[InputTable::kLaw] == QLatin1String("Linear"))
      row[InputTable::kLaw] = endMarker();
    ComPtr<IVelDriveSeg> next;
    if (FAILED(segment->get_next(next.put()))) return false;
    segment = std::move(next);
  }
  return true;
}

enum class Tabulation { Complete, Stopped, TooManyFrames };

// The tabulation: one result row per frame, z = z0, z0 + Δz, … while z <= z1 + 1e-9, eight
// kernel calls per frame, every cell rounded as it is shown. Stopped when a kernel call fails
// or the loop is stopped (the rows written so far stay); nothing is written when the range
// needs more than kMostFrames frames.
Tabulation tabulate(IVelDrive* drive, float stepZ, int decimals, ResultTable& results,
                    LoopControl& loop) {
  double z0 = 0.0, z1 = 0.0;
  if (FAILED(drive->get_z0(&z0)) || FAILED(drive->get_z1(&z1))) return Tabulation::Stopped;
  const double zEnd = z1 + kEndTolerance;
  const double step = stepZ;
  const double steps = std::max(0.0, std::floor((zEnd - z0) / step));
  if (!(steps < static_cast<double>(kMostFrames))) return Tabulation::TooManyFrames;
  const qint64 frames = static_cast<qint64>(steps) + 1;
  results.reserve(static_cast<int>(std::min(frames, kMostReservedRows)));
  loop.begin(frames);
  qint64 done = 0;
  bool complete = true;
  for (double z = z0; z <= zEnd; z += step) {
    double f = 0, fd = 0, fdd = 0, fddd = 0;
    double fdA = 0, fddA = 0, fddB = 0, fdddB = 0;  // the factors of the two products
    if (FAILED(drive->f(z, &f)) || FAILED(drive->fd(z, &fd)) || FAILED(drive->fdd(z, &fdd)) ||
        FAILED(drive->fddd(z, &fddd)) || FAILED(drive->fd(z, &fdA)) ||
        FAILED(drive->fdd(z, &fddA)) || FAILED(drive->fdd(z, &fddB)) ||
        FAILED(drive->fddd(z, &fdddB))) {
      complete = false;
      break;
    }
    results.appendRow({displayValue(z, decimals), displayValue(f, decimals),
                       displayValue(fd, decimals), displayValue(fdd, decimals),
                       displayValue(fddd, decimals), displayValue(fdA * fddA, decimals),
                       displayValue(fddB * fdddB, decimals)});
    ++done;
    // A step below the resolution of z would never reach the end.
    if (z + step == z) {
      complete = false;
      break;
    }
    if (done % kCalcProgressFrames == 0 && !loop.proceed(done)) {
      complete = false;
      break;
    }
  }
  loop.end();
  return complete ? Tabulation::Complete : Tabulation::Stopped;
}

}  // namespace

CalcOutcome DriveCalc(IVelDriveServer* server, DriveDocument& document,
                      const CalcSettings& settings, LoopControl& loop) {
  CalcOutcome outcome;
  if (document.input.rowCount() < 3) return outcome;
  document.results.clear();

  // Δz is held in single precision: 180 × 0.02 is 3.5999999046325684.
  const std::optional<double> speed = parseNumber(document.camSpeedText);
  document.stepZ = static_cast<float>(speed.value_or(0.0) * settings.frameTime);
  const ComPtr<IVelDrive> drive = document.stepZ > 0.0f && std::isfinite(document.stepZ)
                                      ? buildKernelDrive(server, settings.driveName, document.input)
                                      : ComPtr<IVelDrive>();
  if (!drive) {
    outcome.status = CalcStatus::BadInput;
    showInputError();
    return outcome;
  }

  // From here single steps may fail without ending the calculation, up to the compile.
  drive->put_periodic(document.periodic ? 1 : 0);
  prepareSegmentRows(document);
  const ServerEntry entry(server, drive.get());
  Bstr name;
  if (SUCCEEDED(drive->get_name(name.put()))) outcome.kernelDriveName = toQString(name);

  LONG unsolved = 1;
  for (int pass = 0; pass < kCompilePasses; ++pass) {
    unsolved = 1;
    drive->compile(&unsolved);
  }
  if (unsolved != 0) {
    outcome.status = CalcStatus::Unsolved;
    showMessage(resString(kUnsolvedMessage), QString::fromLatin1(kProductName));
    return outcome;
  }

  outcome.status = CalcStatus::Stopped;
  const Tabulation tabulation =
      fillSegmentTable(drive.get(), settings.decimals, document.segmentRows)
          ? tabulate(drive.get(), document.stepZ, settings.decimals, document.results, loop)
          : Tabulation::Stopped;
  outcome.frameCount = document.results.rowCount();
  if (tabulation == Tabulation::TooManyFrames) {
    outcome.status = CalcStatus::BadInput;
    showInputError();
    return outcome;
  }
  if (tabulation != Tabulation::Complete) return outcome;

  LONG count = 0;
  if (SUCCEEDED(server->get_driveCount(&count))) outcome.serverDriveCount = count;
  outcome.status = CalcStatus::Calculated;
  document.needsCalculation = false;
  document.calculated = true;
  return outcome;
}
