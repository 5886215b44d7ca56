// kinetra-regsvr [-u] LIBRARY: registers (or with -u unregisters) an in-process server
// library by calling its DllRegisterServer (DllUnregisterServer), as an installer would.
// The registry is the current one ($KINETRA_REGISTRY, else the user's). Prints the result
// code; exit status 0 on success, 1 on failure, 2 for a wrong command line.

#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/com/activation.h"

namespace {

int usage() {
  std::fprintf(stderr, "usage: kinetra-regsvr [-u] LIBRARY\n");
  return 2;
}

const char* describe(HRESULT hr) {
  if (hr == SELFREG_E_TYPELIB) return "the type library could not be registered";
  if (hr == SELFREG_E_CLASS) return "the class entries could not be written";
  if (hr == E_OUTOFMEMORY) return "out of memory";
  return SUCCEEDED(hr) ? "succeeded" : "failed";
}

}  // namespace

int main(int argc, char** argv) {
  bool unregister = false;
  const char* library = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-u") == 0 && !unregister && !library)
      unregister = true;
    else if (argv[i][0] == '-' || library)
      return usage();
    else
      library = argv[i];
  }
  if (!library) return usage();

  std::string error;
  void* handle = loadServerLibrary(library, &error);
  if (!handle) {
    std::fprintf(stderr, "kinetra-regsvr: cannot load %s: %s\n", library, error.c_str());
    return 1;
  }
  const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
  const auto call = reinterpret_cast<DllRegisterServerFn>(dlsym(handle, entry));
  if (!call) {
    std::fprintf(stderr, "kinetra-regsvr: %s exports no %s\n", library, entry);
    return 1;
  }
  const HRESULT hr = call();
  std::printf("%s in %s: 0x%08X (%s)\n", entry, library, static_cast<unsigned>(hr), describe(hr));
  return FAILED(hr) ? 1 : 0;
}
