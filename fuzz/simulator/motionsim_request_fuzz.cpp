// Any bytes as what a client sends: split into frames as the server does, each payload
// decoded and handled by the object model of a small mechanism. Every frame must get one
// well-formed response. The client's decoders read the same bytes too.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "simulator/document_reader.h"
#include "simulator/object_model.h"
#include "simulator/protocol.h"
#include "simulator/simulation.h"

namespace {

const motionsim::Mechanism& mechanism() {
  static const motionsim::Mechanism m = [] {
    motionsim::Mechanism result;
    motionsim::DocumentError error;
    motionsim::readDocument(
        "motionsim-document 1\nstep 0.02\n"
        "input 1 Hub 0\ninput 2 Kipp 0\n"
        "body 1 Scheibe joint revolute z rate 3.141592653589793\n"
        "body 2 Schieber joint prismatic y constant 0.05 gain 0.001 input Hub\n"
        "body 3 Rolle parent 2 joint revolute x input Kipp\n",
        result, error);
    return result;
  }();
  return m;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  motionsim::Simulation sim(mechanism(), 20000);  // at most 1000 frames: runs stay short
  motionsim::ObjectModel model("motionsim fuzz", "fuzz.msim", &sim);
  std::string_view rest = bytes;
  for (;;) {
    std::size_t payloadSize = 0;
    if (motionsim::peekFrame(rest, payloadSize) != motionsim::FrameStatus::Complete) break;
    const std::string_view payload = rest.substr(motionsim::kFrameHeaderBytes, payloadSize);
    std::string out;
    model.handlePayload(payload, out);
    std::size_t outSize = 0;
    motionsim::Response response;
    if (motionsim::peekFrame(out, outSize) != motionsim::FrameStatus::Complete ||
        outSize + motionsim::kFrameHeaderBytes != out.size() ||
        !motionsim::decodeResponse(std::string_view(out).substr(motionsim::kFrameHeaderBytes),
                                   response)) {
      __builtin_trap();
    }
    rest.remove_prefix(motionsim::kFrameHeaderBytes + payloadSize);
  }

  // What a server might send the link.
  motionsim::Response response;
  motionsim::Greeting greeting;
  motionsim::decodeResponse(bytes, response);
  motionsim::decodeGreeting(bytes, greeting);
  return 0;
}
