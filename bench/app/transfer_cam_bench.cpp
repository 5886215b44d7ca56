// The desktop program's frame loops against a real motionsim, timed by the wall clock:
// - the transfer run playing 8 drives of 10,000 frames, beside the bare link loop (8 queued
//   puts and one RunToFrame per frame) in the same run: at most 1.5 times it, under 2 s;
// - recording a cam of 10,000 frames: under 2 s.
// Both loops hand their status to a sink that wants it at most every 50 ms, as the windows'
// do. The played values change from round to round, so every frame is computed anew.

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/cam/cam_session.h"
#include "app/simlink/transfer_run.h"
#include "bench/bench_ratio.h"
#include "tests/simulator/motionsim_process.h"

namespace {

constexpr int kDrives = 8;
constexpr int kFrames = 10000;

std::string benchDocument() {
  return std::string(KINETRA_SOURCE_DIR) + "/bench/app/eight_drives.msim";
}

// A motionsim with the eight-drive mechanism holding `frames` frames, and the attached link.
struct Served {
  MotionsimProcess process;
  SimulationLink link;
  SimulationGuard guard{link,
                        [] { std::fprintf(stderr, "transfer_cam_bench: motionsim is gone\n"); }};
  bool ok = false;

  explicit Served(int frames) {
    ok = process.start({"--quiet", "--frames", std::to_string(frames), benchDocument()}) &&
         link.AttachSimulation(QString::fromStdString(process.socketPath()));
    if (!ok) std::fprintf(stderr, "transfer_cam_bench: motionsim did not start or attach\n");
  }
};

Served& served() {
  static Served s(1);
  return s;
}

// Eight calculated drives "Hub1" .. "Hub8" of 10,000 frames each.
ProjectState& project() {
  static ProjectState state;
  if (state.driveCount() == 0) {
    for (int d = 0; d < kDrives; ++d) {
      DriveRecord drive;
      drive.name = QStringLiteral("Hub%1").arg(d + 1);
      drive.frameCount = kFrames;
      for (int f = 0; f < kFrames; ++f) {
        drive.document->results.appendRow({3.6 * f, 5 + 4 * std::sin(0.01 * f + d), 0, 0, 0, 0, 0});
      }
      state.addDrive(std::move(drive));
    }
    state.transferFrameCount = kFrames;
  }
  return state;
}

// Times one iteration by the wall clock: the loops wait for motionsim, whose work their own
// CPU time leaves out.
class WallClock {
 public:
  explicit WallClock(benchmark::State& state)
      : state_(state), start_(std::chrono::steady_clock::now()) {}
  ~WallClock() {
    state_.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count());
  }

 private:
  benchmark::State& state_;
  std::chrono::steady_clock::time_point start_;
};

// The status a window shows: taken at most every 50 ms, painted nowhere here.
class QuietStatus : public ThrottledStatusSink {
 public:
  void showStatus(const QList<StatusText>&) override {}
};

// Offsets alternate between rounds, so the simulation drops and recomputes its frames.
QString offsetOfRound(int round) { return round % 2 ? QStringLiteral("11") : QStringLiteral("10"); }

void BM_TransferRun(benchmark::State& state) {
  if (!served().ok) return state.SkipWithError("no simulation");
  ProjectState& p = project();
  UnstoppableLoop loop;
  QuietStatus status;
  TransferOptions options;
  options.status = &status;
  int round = 0;
  for (auto _ : state) {
    for (DriveRecord& drive : p.drives()) drive.document->offsetText = offsetOfRound(round);
    const WallClock clock(state);
    if (runTransfer(served().guard, p, loop, options) != TransferEnd::Completed) {
      return state.SkipWithError("transfer did not complete");
    }
    ++round;
  }
}

void BM_BareLinkLoop(benchmark::State& state) {
  if (!served().ok) return state.SkipWithError("no simulation");
  SimulationLink& link = served().link;
  const ProjectState& p = project();
  std::vector<SimRef> inputs;
  for (const DriveRecord& drive : p.drives())
    inputs.push_back(link.Item(link.inputs(), drive.name));
  int round = 0;
  for (auto _ : state) {
    const double offset = offsetOfRound(round).toDouble();
    const WallClock clock(state);
    link.JumpToFrame(0);
    for (int f = 0; f < kFrames; ++f) {
      for (int d = 0; d < kDrives; ++d) {
        link.queueInputValue(inputs[d], p.drives()[d].document->results.value(f, 1) + offset);
      }
      link.RunToFrame(f);
    }
    link.EndRun();
    ++round;
  }
}

void BM_CamRecording(benchmark::State& state) {
  static Served sim(kFrames);
  if (!sim.ok) return state.SkipWithError("no simulation");
  CamSession session(sim.guard);
  session.BodyList();
  const std::vector<BodyEntry>& bodies = session.bodies();
  for (int row = 0; row < static_cast<int>(bodies.size()); ++row) {
    if (bodies[row].text.endsWith(QStringLiteral("\tRolle")))
      session.pickBody(CamBody::Roller, row);
    if (bodies[row].text.endsWith(QStringLiteral("\tScheibe")))
      session.pickBody(CamBody::Plate, row);
  }
  UnstoppableLoop loop;
  QuietStatus status;
  const QString last = QString::number(kFrames - 1);
  for (auto _ : state) {
    const WallClock clock(state);
    if (session.run(last, QStringLiteral("1"), 10, loop, &status) != CamRunEnd::Completed) {
      return state.SkipWithError("cam run did not complete");
    }
  }
  state.counters["rows"] = session.table().rowCount();
}

BENCHMARK(BM_BareLinkLoop)->UseManualTime()->Iterations(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TransferRun)->UseManualTime()->Iterations(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CamRecording)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  constexpr double kTwoSecondsNs = 2e9;
  return benchratio::runWithRatios(
      argc, argv,
      {{"BM_TransferRun/iterations:4/manual_time", "BM_BareLinkLoop/iterations:4/manual_time", 1.5},
       {"BM_TransferRun/iterations:4/manual_time", "", kTwoSecondsNs},
       {"BM_CamRecording/iterations:3/manual_time", "", kTwoSecondsNs}});
}
