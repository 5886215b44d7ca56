#include "simulator/socket_path.h"

#include <unistd.h>

#include <cstdlib>

namespace motionsim {

std::string defaultSocketPath() {
  const char* explicitPath = std::getenv("KINETRA_SIM_SOCKET");
  if (explicitPath != nullptr && *explicitPath != '\0') {
    return explicitPath;
  }
  const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
  if (runtimeDir != nullptr && *runtimeDir != '\0') {
    return std::string(runtimeDir) + "/motionsim.sock";
  }
  return "/tmp/motionsim-" + std::to_string(static_cast<unsigned long>(getuid())) + ".sock";
}

}  // namespace motionsim
