// veldrive-demo: the characteristic values and derivative extremes of every motion law at
// its default parameters — a first look at what the kernel computes.
#include <cstdio>
#include <memory>

#include "kernel/veldrive.h"

namespace {

struct Entry {
  const char* name;
  std::unique_ptr<kBaseDrive> law;
};

}  // namespace

int main() {
  Entry laws[] = {
      {"Linear", std::make_unique<kDrvLinear>()},
      {"QuadParab", std::make_unique<kDrvQuadParab>()},
      {"InclSine", std::make_unique<kDrvInclSine>()},
      {"SineLinear", std::make_unique<kDrvSineLinear>()},
      {"ModSine", std::make_unique<kDrvModSine>()},
      {"Poly5", std::make_unique<kDrvPoly5>()},
      {"ModTrapezRR", std::make_unique<kDrvModTrapezRR>()},
      {"HarmComb", std::make_unique<kDrvHarmComb>()},
      {"Inverse(ModSine)", std::make_unique<kDrvInverse>(new kDrvModSine)},
  };
  std::printf("%-17s %9s %9s %9s %9s %9s %9s %9s %9s\n", "law", "f'max", "f''max", "f''min",
              "f'''max", "Cv", "Ca", "Cj", "Cmdyn");
  for (Entry& e : laws) {
    kBaseDrive& l = *e.law;
    std::printf("%-17s %9.4f %9.4f %9.4f %9.3f %9.4f %9.4f %9.3f %9.4f\n", e.name, l.fdmax(),
                l.fddmax(), l.fddmin(), l.fdddmax(), l.value(vtCv), l.value(vtCa), l.value(vtCj),
                l.value(vtCmdyn));
  }
  return 0;
}
