// motionsim: loads a mechanism document, computes its frames and serves its object model to
// one client at a time over a Unix-domain socket.
//
//   motionsim [--frames N] [--quiet] [DOCUMENT]

#include <signal.h>

#include <charconv>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "simulator/document_reader.h"
#include "simulator/object_model.h"
#include "simulator/server.h"
#include "simulator/simulation.h"
#include "simulator/socket_path.h"

#ifndef MOTIONSIM_VERSION
#define MOTIONSIM_VERSION "0"
#endif

namespace {

volatile std::sig_atomic_t gStop = 0;

extern "C" void onStopSignal(int) { gStop = 1; }

constexpr int kExitOk = 0;
constexpr int kExitRuntime = 1;
constexpr int kExitUsage = 2;

struct Options {
  std::optional<std::string> document;
  std::int32_t frames = 1;
  bool quiet = false;
  bool help = false;
  bool version = false;
};

void printUsage(std::ostream& out) {
  out << "usage: motionsim [--frames N] [--quiet] [DOCUMENT]\n"
         "  DOCUMENT     mechanism document to load (without one, no document is open)\n"
         "  --frames N   compute frames 0 .. N-1 before serving (default: frame 0 only)\n"
         "  --quiet      print nothing but errors\n"
         "The socket is $KINETRA_SIM_SOCKET, else $XDG_RUNTIME_DIR/motionsim.sock,\n"
         "else /tmp/motionsim-<uid>.sock.\n";
}

bool parseOptions(int argc, char** argv, Options& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--quiet") {
      options.quiet = true;
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg == "--frames") {
      if (i + 1 >= argc) {
        error = "--frames needs a number";
        return false;
      }
      const std::string_view value = argv[++i];
      const auto [end, ec] =
          std::from_chars(value.data(), value.data() + value.size(), options.frames);
      if (ec != std::errc() || end != value.data() + value.size() || options.frames < 1) {
        error = "--frames needs a whole number of at least 1, not \"" + std::string(value) + "\"";
        return false;
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option " + std::string(arg);
      return false;
    } else if (options.document) {
      error = "only one document can be given";
      return false;
    } else {
      options.document = std::string(arg);
    }
  }
  return true;
}

const char* axisName(motionsim::Axis axis) {
  return axis == motionsim::Axis::X ? "x" : axis == motionsim::Axis::Y ? "y" : "z";
}

void describe(const motionsim::Simulation& sim, const std::string& name, std::ostream& out) {
  const motionsim::Mechanism& m = sim.mechanism();
  out << "document " << name << ": step " << m.timeStep << " s, " << m.inputs.size()
      << (m.inputs.size() == 1 ? " input, " : " inputs, ") << m.bodies.size()
      << (m.bodies.size() == 1 ? " body\n" : " bodies\n");
  for (const auto& input : m.inputs) {
    out << "  input " << input.id << " \"" << input.name << "\" = " << input.initialValue << "\n";
  }
  for (const auto& body : m.bodies) {
    out << "  body " << body.id << " \"" << body.name << "\" on "
        << (body.parent < 0 ? std::string("ground")
                            : "body " + std::to_string(m.bodies[body.parent].id));
    switch (body.joint.kind) {
      case motionsim::JointKind::Fixed: out << ", fixed"; break;
      case motionsim::JointKind::Revolute:
        out << ", revolute about " << axisName(body.joint.axis);
        break;
      case motionsim::JointKind::Prismatic:
        out << ", prismatic along " << axisName(body.joint.axis);
        break;
    }
    if (body.joint.input >= 0) {
      out << ", driven by \"" << m.inputs[body.joint.input].name << "\"";
    }
    out << "\n";
  }
  out << "frames 0 .. " << sim.numFrames() - 1 << " computed\n";
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string error;
  if (!parseOptions(argc, argv, options, error)) {
    std::cerr << "motionsim: " << error << "\n";
    printUsage(std::cerr);
    return kExitUsage;
  }
  const std::string versionText = std::string("motionsim ") + MOTIONSIM_VERSION;
  if (options.help) {
    printUsage(std::cout);
    return kExitOk;
  }
  if (options.version) {
    std::cout << versionText << "\n";
    return kExitOk;
  }

  std::unique_ptr<motionsim::Simulation> simulation;
  std::string documentName;
  if (options.document) {
    motionsim::Mechanism mechanism;
    motionsim::DocumentError docError;
    if (!motionsim::loadDocument(*options.document, mechanism, docError)) {
      std::cerr << "motionsim: " << *options.document;
      if (docError.line > 0) std::cerr << ":" << docError.line;
      std::cerr << ": " << docError.message << "\n";
      return kExitUsage;
    }
    simulation = std::make_unique<motionsim::Simulation>(std::move(mechanism));
    if (!simulation->goToFrame(options.frames - 1) || !simulation->goToFrame(0)) {
      std::cerr << "motionsim: --frames " << options.frames << " is beyond the "
                << simulation->frameLimit() + 1 << " frames this document can hold\n";
      return kExitUsage;
    }
    documentName = std::filesystem::path(*options.document).filename().string();
  }

  // The stop signals stay blocked except while the server waits, so none is lost between
  // checking the flag and waiting.
  sigset_t stopSignals;
  sigset_t waitMask;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGHUP);
  sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
  // Output to a closed pipe must not end the server; writes just fail.
  std::signal(SIGPIPE, SIG_IGN);

  motionsim::ObjectModel model(versionText, documentName, simulation.get());
  motionsim::Server server(model, versionText, std::cout, options.quiet);
  const std::string path = motionsim::defaultSocketPath();
  if (!server.listen(path, error)) {
    std::cerr << "motionsim: " << error << "\n";
    return kExitRuntime;
  }
  if (!options.quiet) {
    std::cout << versionText << "\n";
    if (simulation) {
      describe(*simulation, documentName, std::cout);
    } else {
      std::cout << "no document open: ActiveDocument is empty\n";
    }
    std::cout << "serving at " << path << " (one client at a time; stop with Ctrl+C)" << std::endl;
  }
  const bool ok = server.run(gStop, waitMask);
  if (!options.quiet) {
    std::cout << "motionsim: stopped" << std::endl;
  }
  return ok ? kExitOk : kExitRuntime;
}
