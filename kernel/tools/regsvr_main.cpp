// kinetra-regsvr [-u] [--] LIBRARY: registers (or with -u unregisters) an in-process server
// library by calling its DllRegisterServer (DllUnregisterServer), as an installer would.
// The registry is the current one ($KINETRA_REGISTRY, else the user's). Prints the result
// code and, on failure, the reason the library left as error information; exit status 0 on
// success, 1 on failure, 2 for a wrong command line.

#include <dlfcn.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/com/activation.h"
#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"
#include "platform/com/errorinfo.h"

namespace {

int usage() {
  std::fprintf(stderr, "usage: kinetra-regsvr [-u] [--] LIBRARY\n");
  return 2;
}

const char* describe(HRESULT hr) {
  if (hr == SELFREG_E_TYPELIB) return "the type library could not be registered";
  if (hr == SELFREG_E_CLASS) return "the class entries could not be written";
  if (hr == REGDB_E_READREGDB) return "the registry could not be read";
  if (hr == REGDB_E_WRITEREGDB) return "the registry could not be written";
  if (hr == E_OUTOFMEMORY) return "out of memory";
  return SUCCEEDED(hr) ? "succeeded" : "failed";
}

// The description of the error information the call left on this thread; empty if none.
std::string errorText() {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.put()) != S_OK || !info) return {};
  Bstr text;
  info->GetDescription(text.put());
  return utf8FromBstr(text.get());
}

}  // namespace

int main(int argc, char** argv) {
  bool unregister = false, options = true;
  const char* library = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (options && std::strcmp(argv[i], "--") == 0)
      options = false;
    else if (options && std::strcmp(argv[i], "-u") == 0 && !unregister && !library)
      unregister = true;
    else if ((options && argv[i][0] == '-') || library)
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
  SetErrorInfo(0, nullptr);
  const HRESULT hr = call();
  std::printf("%s in %s: 0x%08X (%s)\n", entry, library, static_cast<unsigned>(hr), describe(hr));
  if (FAILED(hr)) {
    if (const std::string why = errorText(); !why.empty())
      std::fprintf(stderr, "kinetra-regsvr: %s\n", why.c_str());
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "kinetra-regsvr: cannot write the result: %s\n", std::strerror(errno));
    return 1;
  }
  return FAILED(hr) ? 1 : 0;
}
