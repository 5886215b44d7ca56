#pragma once
// Benchmarks that reach the kernel as its clients do register libVelDrive.so beside the
// program into a registry file of their own, then activate "VelDriveServer.1".

#include <dlfcn.h>
#include <stdlib.h>

#include <string>

#include "platform/com/activation.h"

// Points the registry at the file registry and registers the server library there.
inline bool registerKernelLibrary(const std::string& registry) {
  setenv("KINETRA_REGISTRY", registry.c_str(), 1);
  void* library = loadServerLibrary("libVelDrive.so", nullptr);
  const auto registerServer =
      library ? reinterpret_cast<DllRegisterServerFn>(dlsym(library, "DllRegisterServer"))
              : nullptr;
  return registerServer && SUCCEEDED(registerServer());
}
