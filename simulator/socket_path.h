#pragma once
// Where motionsim listens and the link looks for it.

#include <string>

namespace motionsim {

// $KINETRA_SIM_SOCKET when set and not empty, else $XDG_RUNTIME_DIR/motionsim.sock when
// XDG_RUNTIME_DIR is set and not empty, else /tmp/motionsim-<uid>.sock.
std::string defaultSocketPath();

}  // namespace motionsim
