// Registering into a large registry file: one registration (two dozen key and value calls
// inside one update, as DllRegisterServer makes them) against a single read of the same
// file. The update reads the file once and writes it once, so it costs a small multiple of
// one read however many calls it makes; a read of a file four times as large costs about
// four reads, as reading is linear in the file's size.

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/bench_ratio.h"
#include "platform/com/registry.h"

namespace {

constexpr int kClasses = 20000;  // about 4.5 MB of registry text

// A registry of many classes, written as the store writes it.
std::string makeRegistry(const std::string& folder, int classes) {
  RegistryStore store;
  char clsid[64];
  for (int i = 0; i < classes; ++i) {
    std::snprintf(clsid, sizeof clsid, "HKEY_CLASSES_ROOT\\CLSID\\{%08X-0000-0000-0000-%012X}", i,
                  i);
    const std::string key = clsid, server = key + "\\InprocServer32";
    store.createKey(server);
    store.setValue(key, "", "Some class " + std::to_string(i));
    store.setValue(server, "", "/usr/lib/libSomething" + std::to_string(i) + ".so");
    store.setValue(server, "ThreadingModel", "Apartment");
  }
  const std::string path = folder + "/registry" + std::to_string(classes);
  std::string error;
  store.save(path, &error);
  return path;
}

std::string benchFolder() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/kinetra-registry-bench-XXXXXX";
    return std::string(mkdtemp(pattern) ? pattern : "/tmp");
  }();
  return folder;
}

void readWhole(benchmark::State& state) {
  const std::string path = makeRegistry(benchFolder(), static_cast<int>(state.range(0)));
  setenv("KINETRA_REGISTRY", path.c_str(), 1);
  for (auto _ : state) registryRead([](const RegistryStore&) { return ERROR_SUCCESS; });
}

// The calls of one class registration, each through the handle functions.
void registration(benchmark::State& state) {
  const std::string path = makeRegistry(benchFolder(), kClasses);
  setenv("KINETRA_REGISTRY", path.c_str(), 1);
  int round = 0;
  for (auto _ : state) {
    ++round;
    registryUpdate([&](RegistryStore&) {
      for (const char* progId : {"Bench.Class", "Bench.Class.1", "Bench.Other", "Bench.Other.1"}) {
        HKEY key = nullptr, sub = nullptr;
        RegCreateKey(HKEY_CLASSES_ROOT, progId, &key);
        RegSetValueText(key, nullptr, "Bench class " + std::to_string(round));
        RegCreateKey(key, "CLSID", &sub);
        RegSetValueText(sub, nullptr, "{00000001-0000-0000-0000-000000000001}");
        RegCloseKey(sub);
        RegCreateKey(key, "CurVer", &sub);
        RegSetValueText(sub, nullptr, progId);
        RegCloseKey(sub);
        RegCloseKey(key);
      }
      return ERROR_SUCCESS;
    });
  }
}

BENCHMARK(readWhole)->Arg(kClasses)->Arg(4 * kClasses)->Unit(benchmark::kMillisecond);
BENCHMARK(registration)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  const std::string small = "readWhole/" + std::to_string(kClasses);
  const int over = benchratio::runWithRatios(
      argc, argv,
      {{"registration", small, 4.0}, {"readWhole/" + std::to_string(4 * kClasses), small, 5.0}});
  std::error_code ignored;
  std::filesystem::remove_all(benchFolder(), ignored);
  return over;
}
