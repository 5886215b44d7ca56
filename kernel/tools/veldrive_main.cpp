// veldrive: a batch tool for people who script drive design. It reads one segment format
// string per line ("ModSine", 0, 0, "fd1", 0.5), builds the drive through the kernel's
// automation interfaces exactly as any client does (server from the class factory of
// "VelDriveServer.1", newDrive, segment put, compile) and prints a table of
// z f f' f'' f''' (tab-separated, 17 significant digits) on standard output.
//
// Exit status: 0 solved, 3 segments stay unsolved (count on standard error), 2 bad input or
// command line (line number and the kernel's message on standard error), 1 the server
// cannot be created, 4 the output cannot be written (standard output closed or full).
// Kernel messages go to standard error; trace lines only with --trace.

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "kernel/automation/veldrive_interfaces.h"
#include "kernel/support/numeric.h"
#include "platform/com/activation.h"
#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"
#include "platform/dbwin/dbwin_client.h"
#include "platform/msgbox/message_box.h"

namespace {

constexpr int kExitSolved = 0;
constexpr int kExitNoServer = 1;
constexpr int kExitBadInput = 2;
constexpr int kExitUnsolved = 3;
constexpr int kExitNoOutput = 4;

constexpr int kDefaultSteps = 100;
// More rows than this are taken for a mistyped step.
constexpr double kMaxRows = 1e8;
constexpr char kServerProgId[] = "VelDriveServer.1";

const char kUsage[] =
    "usage: veldrive [--periodic] [--step DZ | --at Z,Z,...] [--dump] [--html] [--trace] [FILE]\n"
    "  FILE        one segment format string per line (standard input when absent or \"-\"),\n"
    "              e.g. \"ModSine\", 0, 0, \"fd1\", 0.5; blank lines and # comments are skipped,\n"
    "              a line \"periodic\" makes the drive periodic\n"
    "  --periodic  make the drive periodic\n"
    "  --step DZ   tabulate z from z0 to z1 in steps of DZ (default: 100 steps)\n"
    "  --at Z,...  evaluate at the given points\n"
    "  --dump      print each segment's dump (before the table when --step or --at is given)\n"
    "  --html      print the drive's HTML table (likewise before the table)\n"
    "  --trace     kernel trace lines to standard error\n"
    "Columns: z f f' f'' f''' (tab-separated). Exit 0 solved, 3 unsolved, 2 bad input,\n"
    "4 output not written.\n";

// ---- messages and traces --------------------------------------------------------------

// Kernel messages wait here until the tool knows which input line they belong to.
std::vector<std::string>& pendingMessages() {
  static std::vector<std::string> messages;
  return messages;
}

int collectMessage(const char* text, const char* title) {
  std::string line = std::string(title) + ": " + text;
  while (!line.empty() && line.back() == '\n') line.pop_back();
  pendingMessages().push_back(line);
  return kMessageBoxOk;
}

// Writes the waiting messages to standard error; a message repeated by successive compile
// passes is written once with its count.
void flushMessages() {
  const std::vector<std::string>& all = pendingMessages();
  for (std::size_t i = 0; i < all.size();) {
    std::size_t same = 1;
    while (i + same < all.size() && all[i + same] == all[i]) ++same;
    if (same == 1)
      std::fprintf(stderr, "%s\n", all[i].c_str());
    else
      std::fprintf(stderr, "%s (%zu times)\n", all[i].c_str(), same);
    i += same;
  }
  pendingMessages().clear();
}

void traceToStderr(const char* text) { std::fputs(text, stderr); }
void traceDiscard(const char*) {}

// ---- command line ---------------------------------------------------------------------

struct Options {
  bool periodic = false;
  bool dump = false;
  bool html = false;
  bool trace = false;
  double step = 0.0;       // > 0 when --step was given
  std::vector<double> at;  // the --at points
  bool haveAt = false;
  std::string file = "-";
};

bool parseNumber(const std::string& text, double* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text.c_str(), &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

bool parsePoints(const std::string& text, std::vector<double>* out) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    double v;
    if (!parseNumber(text.substr(start, comma - start), &v)) return false;
    out->push_back(v);
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

// False with *message set for a command line that cannot be used.
bool parseOptions(int argc, char** argv, Options* o, std::string* message) {
  bool haveFile = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--periodic") {
      o->periodic = true;
    } else if (arg == "--dump") {
      o->dump = true;
    } else if (arg == "--html") {
      o->html = true;
    } else if (arg == "--trace") {
      o->trace = true;
    } else if (arg == "--step") {
      if (!hasValue || !parseNumber(argv[++i], &o->step) || !(o->step > 0.0))
        return *message = "--step needs a positive number", false;
    } else if (arg == "--at") {
      if (!hasValue || !parsePoints(argv[++i], &o->at))
        return *message = "--at needs numbers separated by commas", false;
      o->haveAt = true;
    } else if (arg == "-h" || arg == "--help") {
      return *message = "", false;
    } else if ((arg.size() > 1 && arg[0] == '-') || haveFile) {
      return *message = "unexpected argument \"" + arg + "\"", false;
    } else {
      o->file = arg;
      haveFile = true;
    }
  }
  if (o->step > 0.0 && o->haveAt) return *message = "--step and --at exclude each other", false;
  return true;
}

// ---- the server -----------------------------------------------------------------------

std::string programFolder() {
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  path[n] = '\0';
  std::string s(path);
  return s.substr(0, s.rfind('/'));
}

// Registers the libVelDrive.so beside this program into the current registry, as
// kinetra-regsvr would, and tells the user so.
bool registerServerBesideProgram() {
  const std::string library = programFolder() + "/libVelDrive.so";
  std::string error;
  void* handle = loadServerLibrary(library, &error);
  const auto registerServer =
      handle ? reinterpret_cast<DllRegisterServerFn>(dlsym(handle, "DllRegisterServer")) : nullptr;
  if (!registerServer) {
    std::fprintf(stderr, "veldrive: cannot load %s%s%s\n", library.c_str(),
                 error.empty() ? "" : ": ", error.c_str());
    return false;
  }
  const HRESULT hr = registerServer();
  flushMessages();
  if (FAILED(hr)) {
    std::fprintf(stderr, "veldrive: registering %s failed: 0x%08X\n", library.c_str(),
                 static_cast<unsigned>(hr));
    return false;
  }
  std::fprintf(stderr, "veldrive: %s was not registered; registered %s\n", kServerProgId,
               library.c_str());
  return true;
}

HRESULT createServer(ComPtr<IVelDriveServer>* server) {
  CLSID clsid{};
  HRESULT hr = CLSIDFromProgID(kServerProgId, &clsid);
  if (FAILED(hr)) {
    if (!registerServerBesideProgram()) return hr;
    hr = CLSIDFromProgID(kServerProgId, &clsid);
    if (FAILED(hr)) return hr;
  }
  return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IVelDriveServer,
                          server->putVoid());
}

// ---- reading the drive ----------------------------------------------------------------

std::string trimmed(const std::string& line) {
  const char* space = " \t\r\n\v\f";
  const std::size_t first = line.find_first_not_of(space);
  if (first == std::string::npos) return {};
  return line.substr(first, line.find_last_not_of(space) - first + 1);
}

// What the tool knows of the chain while it reads: its two ends and its length, so that it
// can tell whether a put added a segment. A segment lands behind the tail when its z0 lies
// beyond the tail's and in front of the head when it lies before the head's; both show
// without a walk, so reading a drive in z0 order costs the same for every line. Only a
// segment that lands inside the chain, where the kernel walked to place it, or a line that
// added nothing is counted by a walk. Each segment's input line is kept for messages.
class ChainWatch {
 public:
  int count() const { return count_; }
  // The input line a segment of the chain came from.
  int lineOf(IVelDriveSeg* seg) const {
    const auto it = lines_.find(seg);
    return it == lines_.end() ? 0 : it->second;
  }

  // True when the put of the given line added a segment to the drive.
  bool grew(IVelDrive* drive, int line) {
    ComPtr<IVelDriveSeg> behindTail;
    if (tail_) tail_->get_next(behindTail.put());
    if (behindTail) {
      tail_ = std::move(behindTail);
      lines_[tail_.get()] = line;
      ++count_;
      return true;
    }
    ComPtr<IVelDriveSeg> head;
    drive->get_head(head.put());
    if (head != head_) {  // puts only add, so a new head is the new segment
      head_ = std::move(head);
      if (!tail_) tail_ = head_;
      lines_[head_.get()] = line;
      ++count_;
      return true;
    }
    const int before = count_;
    recount(std::move(head), line);
    return count_ > before;
  }

 private:
  // The walk also finds a segment that landed inside the chain: the one without a line.
  void recount(ComPtr<IVelDriveSeg> head, int line) {
    head_ = head;
    tail_ = nullptr;
    count_ = 0;
    for (ComPtr<IVelDriveSeg> seg = std::move(head); seg;) {
      ++count_;
      lines_.try_emplace(seg.get(), line);
      ComPtr<IVelDriveSeg> next;
      seg->get_next(next.put());
      if (!next) tail_ = seg;
      seg = std::move(next);
    }
  }

  ComPtr<IVelDriveSeg> head_, tail_;
  int count_ = 0;
  std::unordered_map<const IVelDriveSeg*, int> lines_;  // the drive holds the segments
};

// Puts one segment format string into the drive. False with *why set when the kernel did
// not take it whole: it refused the line, added nothing, or reported an error meanwhile
// (a segment added from a line read only in part is not the segment the user wrote).
bool putSegment(IVelDrive* drive, const std::string& text, int number, ChainWatch* chain,
                std::string* why) {
  Bstr line(text);
  const HRESULT hr = drive->put_segment(line.get());
  const bool added = chain->grew(drive, number);
  if (SUCCEEDED(hr) && added && pendingMessages().empty()) return true;
  if (!pendingMessages().empty()) {
    for (const std::string& m : pendingMessages()) *why += (why->empty() ? "" : "; ") + m;
  } else if (!added) {
    *why = "not a segment: expected \"Type\", z0, f0 [, \"value\", number]... with a known type";
  } else {
    *why = "a value name is unknown or cannot be set on this segment type";
  }
  // The kernel's result code when it was a failure; a success code beside a message would
  // say nothing about what went wrong.
  if (FAILED(hr)) {
    char code[32];
    std::snprintf(code, sizeof code, " (0x%08X)", static_cast<unsigned>(hr));
    *why += code;
  }
  pendingMessages().clear();
  return false;
}

// Reads the input into the drive; kExitSolved or kExitBadInput.
int readDrive(std::istream& in, IVelDrive* drive, bool* periodic, ChainWatch& chain) {
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    const std::string text = trimmed(line);
    if (text.empty() || text[0] == '#') continue;
    if (text == "periodic") {
      *periodic = true;
      continue;
    }
    std::string why;
    if (!putSegment(drive, text, number, &chain, &why)) {
      std::fprintf(stderr, "veldrive: line %d: %s\n", number, why.c_str());
      return kExitBadInput;
    }
    flushMessages();
  }
  if (in.bad()) {
    std::fprintf(stderr, "veldrive: cannot read the input: %s\n", std::strerror(errno));
    return kExitBadInput;
  }
  if (chain.count() == 0) {
    std::fprintf(stderr, "veldrive: no segments in the input\n");
    return kExitBadInput;
  }
  return kExitSolved;
}

// A drive the kernel would evaluate into plainly wrong numbers is bad input: a segment of no
// length (the next one starts where it starts, or so close that the kernel takes the length
// for zero and evaluates the law unscaled), a length that overflows, and, once compiled,
// values that are not finite. The message names the segment's input line.
bool checkSegments(IVelDrive* drive, const ChainWatch& chain, bool compiled) {
  struct Value {
    const char* name;
    HRESULT (IVelDriveSeg::*get)(double*);
  };
  static constexpr Value kValues[] = {
      {"fd0", &IVelDriveSeg::get_fd0},         {"fd1", &IVelDriveSeg::get_fd1},
      {"fdd0", &IVelDriveSeg::get_fdd0},       {"fdd1", &IVelDriveSeg::get_fdd1},
      {"fmin", &IVelDriveSeg::get_fmin},       {"fmax", &IVelDriveSeg::get_fmax},
      {"fdmin", &IVelDriveSeg::get_fdmin},     {"fdmax", &IVelDriveSeg::get_fdmax},
      {"fddmin", &IVelDriveSeg::get_fddmin},   {"fddmax", &IVelDriveSeg::get_fddmax},
      {"fdddmin", &IVelDriveSeg::get_fdddmin}, {"fdddmax", &IVelDriveSeg::get_fdddmax},
  };
  const std::span<const Value> values =
      compiled ? std::span<const Value>(kValues) : std::span<const Value>();
  ComPtr<IVelDriveSeg> seg;
  drive->get_head(seg.put());
  while (seg) {
    ComPtr<IVelDriveSeg> next;
    seg->get_next(next.put());
    const int line = chain.lineOf(seg.get());
    if (next) {
      double z0 = 0.0, z1 = 0.0;
      seg->get_z0(&z0);
      next->get_z0(&z1);
      const double length = z1 - z0;
      if (!std::isfinite(length)) {
        std::fprintf(stderr,
                     "veldrive: line %d: the segment from z0 = %g to %g has no finite length\n",
                     line, z0, z1);
        return false;
      }
      if (veldrive::isZero(length)) {
        std::fprintf(stderr,
                     "veldrive: line %d: the segment is %g long, which counts as no length: the "
                     "segment of line %d starts at z0 = %.17g\n",
                     line, length, chain.lineOf(next.get()), z1);
        return false;
      }
    }
    for (const Value& v : values) {
      double value = 0.0;
      (seg.get()->*v.get)(&value);
      if (!std::isfinite(value)) {
        std::fprintf(stderr,
                     "veldrive: line %d: the segment's %s is %g: its values are out of range\n",
                     line, v.name, value);
        return false;
      }
    }
    seg = std::move(next);
  }
  return true;
}

// ---- output ---------------------------------------------------------------------------

// Standard output is the tool's result: the first write that fails is remembered with its
// reason, and the run ends with kExitNoOutput instead of losing the table silently.
int gOutputError = 0;

void wrote(bool ok) {
  if (!ok && gOutputError == 0) gOutputError = errno != 0 ? errno : EIO;
}

void printRow(IVelDrive* drive, double z) {
  double v[4] = {0, 0, 0, 0};
  drive->fderiv(z, &v[0], &v[1], &v[2], &v[3]);
  wrote(std::printf("%.17g\t%.17g\t%.17g\t%.17g\t%.17g\n", z, v[0], v[1], v[2], v[3]) >= 0);
}

void printDumps(IVelDrive* drive) {
  ComPtr<IVelDriveSeg> seg;
  drive->get_head(seg.put());
  while (seg) {
    Bstr dump;
    seg->get__dump(dump.put());
    std::string text = dump.utf8();
    if (!text.empty() && text.back() != '\n') text += '\n';
    wrote(std::fputs(text.c_str(), stdout) >= 0);
    ComPtr<IVelDriveSeg> next;
    seg->get_next(next.put());
    seg = std::move(next);
  }
}

// kExitSolved, or kExitBadInput for a step that would give absurdly many rows.
int printTable(IVelDrive* drive, const Options& o) {
  if (o.haveAt) {
    for (double z : o.at) printRow(drive, z);
    return kExitSolved;
  }
  double z0 = 0.0, z1 = 0.0;
  drive->get_z0(&z0);
  drive->get_z1(&z1);
  const double span = z1 - z0;
  const double step = o.step > 0.0 ? o.step : span / kDefaultSteps;
  // Rows z0 + i·step for i = 0..n, n = ⌊span / step⌋ (a last row that misses z1 by rounding
  // only is kept); a drive of no length gives the one row z0.
  const double rows = step > 0.0 ? std::floor(span / step * (1 + 1e-12)) : 0.0;
  if (rows > kMaxRows) {
    std::fprintf(stderr, "veldrive: --step %g gives more than %.0f rows\n", step, kMaxRows);
    return kExitBadInput;
  }
  const long n = static_cast<long>(rows);
  for (long i = 0; i <= n && gOutputError == 0; ++i)
    printRow(drive, i == n && o.step <= 0.0 ? z1 : z0 + i * step);
  return kExitSolved;
}

int run(const Options& o) {
  std::ifstream file;
  if (o.file != "-") {
    if (struct stat st{}; stat(o.file.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      std::fprintf(stderr, "veldrive: %s is a directory, not a drive file\n", o.file.c_str());
      return kExitBadInput;
    }
    file.open(o.file);
    if (!file) {
      std::fprintf(stderr, "veldrive: cannot open %s: %s\n", o.file.c_str(), std::strerror(errno));
      return kExitBadInput;
    }
  }
  std::istream& in = o.file == "-" ? std::cin : file;

  ComPtr<IVelDriveServer> server;
  const HRESULT created = createServer(&server);
  flushMessages();
  if (FAILED(created) || !server) {
    std::fprintf(stderr,
                 "veldrive: cannot create %s: 0x%08X (register libVelDrive.so with "
                 "kinetra-regsvr)\n",
                 kServerProgId, static_cast<unsigned>(created));
    return kExitNoServer;
  }
  ComPtr<IVelDrive> drive;
  Bstr name(o.file == "-" ? std::string("stdin") : o.file);
  if (FAILED(server->newDrive(name.get(), drive.put())) || !drive) return kExitNoServer;

  bool periodic = o.periodic;
  ChainWatch chain;
  if (const int status = readDrive(in, drive.get(), &periodic, chain); status != kExitSolved)
    return status;
  if (!checkSegments(drive.get(), chain, false)) return kExitBadInput;
  drive->put_periodic(periodic ? 1 : 0);

  // One compile runs its passes until every segment is solved or a pass solves none more.
  LONG unsolved = 0;
  drive->compile(&unsolved);
  flushMessages();
  std::fflush(stderr);
  if (unsolved == 0 && !checkSegments(drive.get(), chain, true)) return kExitBadInput;

  if (o.dump) printDumps(drive.get());
  if (o.html) {
    Bstr table;
    drive->htmlTable(table.put());
    wrote(std::fputs(table.utf8().c_str(), stdout) >= 0);
  }
  if (unsolved != 0) {
    std::fflush(stdout);
    std::fprintf(stderr, "veldrive: %ld segment%s unsolved\n", static_cast<long>(unsolved),
                 unsolved == 1 ? "" : "s");
    return kExitUnsolved;
  }
  int status = kExitSolved;
  // A report asked for alone is the whole output; with --step or --at the table follows.
  if (!(o.dump || o.html) || o.step > 0.0 || o.haveAt) status = printTable(drive.get(), o);
  flushMessages();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  // Without a standard output the table would go nowhere, or into whatever file the process
  // opened next in its place.
  if (fcntl(STDOUT_FILENO, F_GETFD) < 0) {
    std::fprintf(stderr, "veldrive: standard output is closed\n");
    return kExitNoOutput;
  }
  Options options;
  std::string message;
  if (!parseOptions(argc, argv, &options, &message)) {
    if (message.empty()) {
      std::fputs(kUsage, stdout);
      return kExitSolved;
    }
    std::fprintf(stderr, "veldrive: %s\n%s", message.c_str(), kUsage);
    return kExitBadInput;
  }
  setMessageBoxHandler(collectMessage);
  setDbwinRedirect(options.trace ? traceToStderr : traceDiscard);
  CoInitialize(nullptr);
  int status = run(options);
  wrote(std::fflush(stdout) == 0 && !std::ferror(stdout));
  CoUninitialize();
  if (gOutputError != 0) {
    std::fprintf(stderr, "veldrive: cannot write the output: %s\n", std::strerror(gOutputError));
    status = kExitNoOutput;
  }
  return status;
}
