// Any bytes as a mechanism document: the reader either refuses them with a line number or
// returns a mechanism that can be simulated.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "simulator/document_reader.h"
#include "simulator/simulation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  motionsim::Mechanism mechanism;
  motionsim::DocumentError error;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!motionsim::readDocument(text, mechanism, error)) {
    if (error.line < 1 || error.message.empty()) __builtin_trap();
    return 0;
  }
  if (!(mechanism.timeStep > 0.0)) __builtin_trap();
  // A few frames with changing inputs; a small history budget keeps each run short.
  motionsim::Simulation sim(std::move(mechanism), 4096);
  for (std::int32_t f = 1; f <= 5 && f <= sim.frameLimit(); ++f) {
    for (std::size_t i = 0; i < sim.inputCount(); ++i) sim.setInputValue(i, f * 0.5);
    sim.goToFrame(f);
  }
  sim.goToFrame(0);
  return 0;
}
