// Round trip of one member call, and playing 10,000 frames with 8 inputs, through the
// simulation link to a real motionsim; each beside its baseline: the same calls encoded,
// handled by motionsim's object model and decoded in this process, without the socket.
// A summary with medians and ratios follows the benchmark table.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/simlink/simulation_link.h"
#include "simulator/document_reader.h"
#include "simulator/object_model.h"
#include "tests/simulator/motionsim_process.h"

namespace {

constexpr int kInputs = 8;
constexpr int kFrames = 10000;

// Eight inputs, each driving a slider; a plate turning; a roller on the first slider.
std::string eightInputDocument() {
  std::string text = "motionsim-document 1\nstep 0.02\n";
  for (int i = 1; i <= kInputs; ++i) {
    text += "input " + std::to_string(i) + " Hub" + std::to_string(i) + " 0\n";
  }
  text += "body 100 Scheibe joint revolute z rate 3.141592653589793\n";
  for (int i = 1; i <= kInputs; ++i) {
    text += "body " + std::to_string(i) + " Schieber" + std::to_string(i) + " offset " +
            std::to_string(i) + " 0 0 joint prismatic y constant 0.05 gain 0.001 input Hub" +
            std::to_string(i) + "\n";
  }
  text += "body 200 Rolle parent 1\n";
  return text;
}

double hubValue(int frame, int input, int round) {
  return 10.0 + std::sin(0.01 * frame + input + 0.1 * round);
}

// One member call through the link, or through the object model in this process.
class Caller {
 public:
  virtual ~Caller() = default;
  virtual double numFrames() = 0;
  virtual void setInput(int input, double value) = 0;
  virtual void setInputByName(int input, double value) = 0;
  // A put whose answer is read with the next call's; in process the same as setInput.
  virtual void queueInput(int input, double value) { setInput(input, value); }
  virtual void runToFrame(int frame) = 0;
};

class LinkCaller : public Caller {
 public:
  explicit LinkCaller(SimulationLink& link) : link_(link) {
    for (qint16 i = 1; i <= kInputs; ++i) inputs_.push_back(link_.Item(link_.inputs(), i));
  }
  double numFrames() override { return link_.NumFrames(); }
  void setInput(int input, double value) override { link_.setInputValue(inputs_[input], value); }
  void setInputByName(int input, double value) override {
    link_.setInputValue(link_.Item(link_.inputs(), QStringLiteral("Hub%1").arg(input + 1)), value);
  }
  void queueInput(int input, double value) override {
    link_.queueInputValue(inputs_[input], value);
  }
  void runToFrame(int frame) override { link_.RunToFrame(frame); }

 private:
  SimulationLink& link_;
  std::vector<SimRef> inputs_;
};

class InProcessCaller : public Caller {
 public:
  InProcessCaller() {
    motionsim::Mechanism m;
    motionsim::DocumentError error;
    motionsim::readDocument(eightInputDocument(), m, error);
    sim_ = std::make_unique<motionsim::Simulation>(std::move(m));
    model_ = std::make_unique<motionsim::ObjectModel>("motionsim", "bench.msim", sim_.get());
  }
  double numFrames() override {
    motionsim::Request q;
    q.object = motionsim::makeRef(motionsim::ObjectKind::Document);
    q.memberId = 7;
    return std::get<std::int32_t>(roundTrip(q).result);
  }
  void setInput(int input, double value) override {
    motionsim::Request q;
    q.object = motionsim::makeRef(motionsim::ObjectKind::Input, static_cast<std::uint32_t>(input));
    q.invokeKind = motionsim::kInvokePut;
    q.byName = true;
    q.memberName = "InputValue";
    q.args = {{value, false}};
    roundTrip(q);
  }
  void setInputByName(int input, double value) override {
    motionsim::Request q;
    q.object = motionsim::makeRef(motionsim::ObjectKind::InputCollection);
    q.byName = true;
    q.memberName = "Item";
    q.args = {{"Hub" + std::to_string(input + 1), false}};
    const auto ref = std::get<motionsim::ObjectRef>(roundTrip(q).result);
    setInput(static_cast<int>(ref.index()), value);
  }
  void runToFrame(int frame) override {
    motionsim::Request q;
    q.object = motionsim::makeRef(motionsim::ObjectKind::Document);
    q.invokeKind = motionsim::kInvokeMethod;
    q.memberId = 22;
    q.args = {{std::int32_t{frame}, false}};
    roundTrip(q);
  }

 private:
  // Encode, handle, decode: everything of a call but the socket.
  motionsim::Response roundTrip(const motionsim::Request& q) {
    request_.clear();
    response_.clear();
    motionsim::encodeRequest(q, request_);
    model_->handlePayload(std::string_view(request_).substr(motionsim::kFrameHeaderBytes),
                          response_);
    motionsim::Response r;
    motionsim::decodeResponse(std::string_view(response_).substr(motionsim::kFrameHeaderBytes), r);
    return r;
  }

  std::unique_ptr<motionsim::Simulation> sim_;
  std::unique_ptr<motionsim::ObjectModel> model_;
  std::string request_;
  std::string response_;
};

// The simulator process and the attached link, shared by all socket benchmarks.
struct Served {
  MotionsimProcess process;
  SimulationLink link;
  std::unique_ptr<LinkCaller> caller;
  bool ok = false;

  Served() {
    const std::string doc = process.writeFile("bench.msim", eightInputDocument());
    ok = process.start({"--quiet", doc}) &&
         link.AttachSimulation(QString::fromStdString(process.socketPath()));
    if (ok) caller = std::make_unique<LinkCaller>(link);
  }
};

Served& served() {
  static Served s;
  return s;
}

InProcessCaller& inProcess() {
  static InProcessCaller c;
  return c;
}

struct Result {
  double medianUs = 0.0;
  double secondsPerPlay = 0.0;
};
Result gRoundTrip[2];  // [0] socket, [1] in process
Result gPlay[2];
Result gPlayByName[2];
Result gPlayQueued[2];

Caller* callerFor(benchmark::State& state, bool socket) {
  if (!socket) return &inProcess();
  if (!served().ok) {
    state.SkipWithError("motionsim did not start or the link did not attach");
    return nullptr;
  }
  return served().caller.get();
}

void roundTrip(benchmark::State& state, bool socket) {
  Caller* caller = callerFor(state, socket);
  if (caller == nullptr) return;
  std::vector<double> samples;
  samples.reserve(1 << 20);
  double sink = 0.0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    sink += caller->numFrames();
    const auto t1 = std::chrono::steady_clock::now();
    samples.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
  }
  benchmark::DoNotOptimize(sink);
  std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
  const double median = samples[samples.size() / 2];
  state.counters["median_us"] = median;
  gRoundTrip[socket ? 0 : 1].medianUs = median;
}

// Each frame: set 8 inputs, run one frame; the values change from round to round so every
// frame is computed anew.
enum class Put { Wait, ByName, Queued };

void play(benchmark::State& state, bool socket, Put put) {
  Caller* caller = callerFor(state, socket);
  if (caller == nullptr) return;
  int round = 0;
  double total = 0.0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    caller->runToFrame(0);
    for (int f = 0; f < kFrames; ++f) {
      for (int i = 0; i < kInputs; ++i) {
        switch (put) {
          case Put::Wait: caller->setInput(i, hubValue(f, i, round)); break;
          case Put::ByName: caller->setInputByName(i, hubValue(f, i, round)); break;
          case Put::Queued: caller->queueInput(i, hubValue(f, i, round)); break;
        }
      }
      caller->runToFrame(f);
    }
    total += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    ++round;
  }
  Result* results = put == Put::Wait ? gPlay : put == Put::ByName ? gPlayByName : gPlayQueued;
  Result& r = results[socket ? 0 : 1];
  r.secondsPerPlay = total / std::max(1, round);
  state.counters["s_per_10000_frames"] = r.secondsPerPlay;
}

void BM_RoundTripSocket(benchmark::State& s) { roundTrip(s, true); }
void BM_RoundTripInProcess(benchmark::State& s) { roundTrip(s, false); }
void BM_Play10000Frames8InputsSocket(benchmark::State& s) { play(s, true, Put::Wait); }
void BM_Play10000Frames8InputsInProcess(benchmark::State& s) { play(s, false, Put::Wait); }
void BM_Play10000Frames8InputsByNameSocket(benchmark::State& s) { play(s, true, Put::ByName); }
void BM_Play10000Frames8InputsByNameInProcess(benchmark::State& s) { play(s, false, Put::ByName); }
void BM_Play10000Frames8InputsQueuedSocket(benchmark::State& s) { play(s, true, Put::Queued); }
void BM_Play10000Frames8InputsQueuedInProcess(benchmark::State& s) { play(s, false, Put::Queued); }

BENCHMARK(BM_RoundTripSocket)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_RoundTripInProcess)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_Play10000Frames8InputsSocket)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Play10000Frames8InputsInProcess)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Play10000Frames8InputsByNameSocket)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Play10000Frames8InputsByNameInProcess)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Play10000Frames8InputsQueuedSocket)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Play10000Frames8InputsQueuedInProcess)->Unit(benchmark::kMillisecond)->Iterations(3);

double ratio(const Result* r, double Result::*field) {
  return r[1].*field > 0.0 ? r[0].*field / r[1].*field : 0.0;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("\nsummary (target: round trip median < 50 us; 10,000 frames x 8 inputs < 2 s)\n");
  std::printf("  round trip median:         socket %8.2f us   in process %8.2f us   ratio %6.1f\n",
              gRoundTrip[0].medianUs, gRoundTrip[1].medianUs, ratio(gRoundTrip, &Result::medianUs));
  std::printf("  10,000 frames x 8 inputs:  socket %8.3f s    in process %8.3f s    ratio %6.1f\n",
              gPlay[0].secondsPerPlay, gPlay[1].secondsPerPlay,
              ratio(gPlay, &Result::secondsPerPlay));
  std::printf("  same, Item(name) per value: socket %7.3f s    in process %8.3f s    ratio %6.1f\n",
              gPlayByName[0].secondsPerPlay, gPlayByName[1].secondsPerPlay,
              ratio(gPlayByName, &Result::secondsPerPlay));
  std::printf("  same, queued puts:         socket %8.3f s    in process %8.3f s    ratio %6.1f\n",
              gPlayQueued[0].secondsPerPlay, gPlayQueued[1].secondsPerPlay,
              ratio(gPlayQueued, &Result::secondsPerPlay));
  return 0;
}
