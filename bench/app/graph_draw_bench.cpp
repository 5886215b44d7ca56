// Drawing a drive's graphs after a calculation of 1,000,000 frames, against drawing every
// point of the same curves in the same run:
// - the six graphs and the normalised graph from the document into window-sized images
//   (six of 300 × 150, one of 600 × 200), curves reduced per pixel column: under 300 ms;
// - one graph zoomed into a tenth of its z range and drawn again: under 100 ms.
// Afterwards it counts the pixels in which the reduced images differ from drawing every
// point; any difference fails the run.

#include <QGuiApplication>
#include <QImage>

#include <cmath>
#include <cstdio>
#include <vector>

#include "app/graph/drawing_painter.h"
#include "app/graph/drive_graph.h"
#include "bench/bench_ratio.h"

namespace {

constexpr int kFrames = 1000000;
constexpr double kFrameTime = 0.02;
constexpr double kPi = 3.141592653589793;
const QSize kGraphSize(300, 150);
const QSize kNormalisedSize(600, 200);

// A cam drive over 0 … 360 degrees: a cycloidal rise of 40 and fall back, with a little
// ripple so that every pixel column holds a spread of values. Eight input rows.
const DriveDocument& drive() {
  static const DriveDocument d = [] {
    DriveDocument doc;
    doc.results.reserve(kFrames);
    const double step = 360.0 / (kFrames - 1);
    for (int i = 0; i < kFrames; ++i) {
      const double z = i * step;
      const double u = z / 180.0;  // 0 … 2
      const double phase = 2 * kPi * u;
      const double rise =
          u <= 1 ? u - std::sin(phase) / (2 * kPi) : 2 - u + std::sin(phase) / (2 * kPi);
      const double ripple = 0.01 * std::sin(z * 7.3);
      const double f = 40 * rise + ripple;
      const double fd =
          (u <= 1 ? 1 : -1) * 40 / 180.0 * (1 - std::cos(phase)) + 0.073 * std::cos(z * 7.3);
      const double fdd = (u <= 1 ? 1 : -1) * 40 * 2 * kPi / (180.0 * 180.0) * std::sin(phase);
      const double fddd =
          (u <= 1 ? 1 : -1) * 40 * 4 * kPi * kPi / std::pow(180.0, 3) * std::cos(phase);
      doc.results.appendRow({z, f, fd, fdd, fddd, fd * fdd, fdd * fddd});
    }
    doc.input.truncate(0);
    for (int r = 0; r < 8; ++r) {
      doc.input.appendRow();
      doc.input.setCell(doc.input.lastRow(), InputTable::kZ, QString::number(r * 45 + 7.5));
      doc.input.setCell(doc.input.lastRow(), InputTable::kF, QString::number(r * 5));
    }
    doc.colorBgr = 0x000000C0;
    return doc;
  }();
  return d;
}

struct Images {
  std::vector<QImage> graphs;
  QImage normalised;
};

// What the drive window does after a calculation: takes the curves, draws the six graphs
// and the normalised graph, and paints each at its window size.
Images drawAll(CurveDetail detail) {
  const DriveCurves curves = driveCurves(drive(), kFrameTime);
  const DriveGraphs graphs = grafik(curves);
  Images out;
  for (const Drawing& graph : graphs)
    out.graphs.push_back(renderDrawing(graph, kGraphSize, detail));
  out.normalised = renderDrawing(Normiert(curves), kNormalisedSize, detail);
  return out;
}

const DriveCurves& sharedCurves() {
  static const DriveCurves curves = driveCurves(drive(), kFrameTime);
  return curves;
}

// Graph 0 zoomed into the tenth number `part` of its z range and painted again.
QImage drawZoomed(int part, CurveDetail detail) {
  const DriveCurves& curves = sharedCurves();
  Drawing graph;
  const UserScale full = graphScale(curves.ranges, 0);
  const double width = full.width / 10;
  zoomGraph(graph, 0, curves, {full.left + part * width, full.top * 0.8, width, full.height * 0.8});
  return renderDrawing(graph, kGraphSize, detail);
}

void BM_DrawAllGraphs(benchmark::State& state) {
  const CurveDetail detail = static_cast<CurveDetail>(state.range(0));
  for (auto _ : state) {
    Images images = drawAll(detail);
    benchmark::DoNotOptimize(images.normalised.constBits());
  }
}
BENCHMARK(BM_DrawAllGraphs)
    ->ArgName("every")
    ->Arg(static_cast<int>(CurveDetail::Reduced))
    ->Arg(static_cast<int>(CurveDetail::Every));

void BM_RedrawZoomedGraph(benchmark::State& state) {
  const CurveDetail detail = static_cast<CurveDetail>(state.range(0));
  sharedCurves();
  int part = 0;
  for (auto _ : state) {
    QImage image = drawZoomed(part, detail);
    part = (part + 1) % 10;
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_RedrawZoomedGraph)
    ->ArgName("every")
    ->Arg(static_cast<int>(CurveDetail::Reduced))
    ->Arg(static_cast<int>(CurveDetail::Every));

// The reduced images against drawing every point: all seven graphs and every zoomed tenth.
qint64 countDifferences() {
  const Images reduced = drawAll(CurveDetail::Reduced);
  const Images every = drawAll(CurveDetail::Every);
  qint64 differing = differingPixels(reduced.normalised, every.normalised);
  for (std::size_t k = 0; k < reduced.graphs.size(); ++k)
    differing += differingPixels(reduced.graphs[k], every.graphs[k]);
  for (int part = 0; part < 10; ++part)
    differing += differingPixels(drawZoomed(part, CurveDetail::Reduced),
                                 drawZoomed(part, CurveDetail::Every));
  return differing;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchratio::RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const int over = benchratio::printRatios(
      reporter, {{"BM_DrawAllGraphs/every:0", "BM_DrawAllGraphs/every:1", 1.0},
                 {"BM_RedrawZoomedGraph/every:0", "BM_RedrawZoomedGraph/every:1", 1.0},
                 {"BM_DrawAllGraphs/every:0", "", 300e6},
                 {"BM_RedrawZoomedGraph/every:0", "", 100e6}});
  const qint64 differing = countDifferences();
  std::printf("pixels in which the reduced drawing differs from drawing every point: %lld\n",
              static_cast<long long>(differing));
  return differing == 0 && over == 0 ? 0 : 1;
}
