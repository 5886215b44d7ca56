// Late-bound f(z) by dispatch id against the early-bound call through the interface, on the
// same compiled three-segment drive and the same z values. The name is looked up once,
// outside the timed loop, as a client caches its dispatch ids.

#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_ratio.h"
#include "kernel/automation/vel_drive.h"
#include "kernel/support/auxcom.h"
#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"

namespace {

constexpr int kPoints = 257;

ComPtr<VelDrive> benchDrive() {
  ComPtr<VelDrive> d(new VelDrive("bench"));
  for (const char* s : {"\"Linear\", 0, 0", "\"ModSine\", 1, 0.5", "\"Linear\", 2, 0"})
    d->put_segment(Bstr(s).get());
  LONG res = 0;
  d->compile(&res);
  return d;
}

std::vector<double> zValues() {
  std::vector<double> z(kPoints);
  for (int i = 0; i < kPoints; ++i) z[i] = 3.0 * i / (kPoints - 1);  // over the whole drive
  return z;
}

void earlyBound(benchmark::State& state) {
  const ComPtr<VelDrive> drive = benchDrive();
  IVelDrive* ifc = drive.get();
  const std::vector<double> z = zValues();
  std::size_t i = 0;
  double sum = 0;
  for (auto _ : state) {
    double f = 0;
    ifc->f(z[i], &f);
    sum += f;
    i = i + 1 == z.size() ? 0 : i + 1;
  }
  benchmark::DoNotOptimize(sum);
}

void lateBound(benchmark::State& state) {
  const ComPtr<VelDrive> drive = benchDrive();
  IDispatch* disp = static_cast<IVelDrive*>(drive.get());
  OLECHAR name[] = u"f";
  LPOLESTR names[] = {name};
  DISPID id = DISPID_UNKNOWN;
  disp->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  const std::vector<double> z = zValues();
  std::size_t i = 0;
  double sum = 0;
  VARIANT arg;
  VariantInit(&arg);
  arg.vt = VT_R8;
  DISPPARAMS params{&arg, nullptr, 1, 0};
  VARIANT result;
  for (auto _ : state) {
    arg.dblVal = z[i];
    result.vt = VT_EMPTY;  // the result variant starts empty, as a client leaves it
    disp->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr,
                 nullptr);
    sum += result.dblVal;
    i = i + 1 == z.size() ? 0 : i + 1;
  }
  benchmark::DoNotOptimize(sum);
}

BENCHMARK(earlyBound)->Name("f(z)/early");
BENCHMARK(lateBound)->Name("f(z)/late");

}  // namespace

int main(int argc, char** argv) {
  // Compile traces go nowhere near a running debug monitor.
  setenv("KINETRA_DBWIN_PREFIX", "dispatch_bench", 0);
  return benchratio::runWithRatios(argc, argv, {{"f(z)/late", "f(z)/early", 5.0}});
}
