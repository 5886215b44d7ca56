#include "simulator/document_reader.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <vector>

namespace motionsim {
namespace {

// Frames the history could ever hold (frame numbers are 32-bit), and the largest time,
// coordinate or distance a document may lead to: far from the overflow, so that sums of a
// few of them and turns stay finite.
constexpr double kFrameHorizon = 2147483647.0;
constexpr double kLargestMagnitude = 1e300;

struct Token {
  std::string text;
  bool quoted = false;
};

std::string quote(std::string_view s) { return "\"" + std::string(s) + "\""; }

// Reads one document statement by statement; the first fault stops it.
class DocumentParser {
 public:
  bool parse(std::string_view text, Mechanism& result, DocumentError& error) {
    const std::string_view kBom = "\xEF\xBB\xBF";
    if (text.substr(0, kBom.size()) == kBom) {
      text.remove_prefix(kBom.size());
    }
    int lineNo = 0;
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      std::string_view line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      line_ = ++lineNo;
      if (!tokenize(line) || !statement()) {
        error = error_;
        return false;
      }
      start = end + 1;
    }
    line_ = lineNo == 0 ? 1 : lineNo;
    if (!sawVersion_) {
      fail("empty document: the first line must be \"motionsim-document 1\"");
    } else if (stepLine_ == 0) {
      fail("no step statement: the document must give the time step (step SECONDS)");
    } else {
      staysFinite();
    }
    if (failed_) {
      error = error_;
      return false;
    }
    result = std::move(mech_);
    return true;
  }

 private:
  bool fail(std::string message) {
    if (!failed_) {
      failed_ = true;
      error_ = {line_, std::move(message)};
    }
    return false;
  }

  // Splits a line into bare words and quoted names; a # outside quotes ends the line.
  bool tokenize(std::string_view line) {
    tokens_.clear();
    std::size_t i = 0;
    while (i < line.size()) {
      const char c = line[i];
      if (c == ' ' || c == '\t') {
        ++i;
      } else if (c == '#') {
        break;
      } else if (c == '"') {
        Token t{"", true};
        ++i;
        bool closed = false;
        while (i < line.size()) {
          const char q = line[i++];
          if (q == '"') {
            closed = true;
            break;
          }
          if (q == '\\') {
            if (i >= line.size() || (line[i] != '"' && line[i] != '\\')) {
              return fail("unknown escape in quoted name (only \\\" and \\\\ are allowed)");
            }
            t.text.push_back(line[i++]);
          } else if (!printable(q)) {
            return fail("control character in quoted name");
          } else {
            t.text.push_back(q);
          }
        }
        if (!closed) return fail("quoted name is not closed");
        tokens_.push_back(std::move(t));
      } else {
        Token t;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '#') {
          if (line[i] == '"') return fail("stray quote inside " + quote(t.text));
          if (!printable(line[i])) return fail("control character in line");
          t.text.push_back(line[i++]);
        }
        tokens_.push_back(std::move(t));
      }
    }
    return true;
  }

  static bool printable(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x20 && u != 0x7F;
  }

  bool statement() {
    if (!sawVersion_) return versionLine();
    if (tokens_.empty()) return true;
    const Token& head = tokens_[0];
    if (!head.quoted) {
      if (head.text == "step") return stepStatement();
      if (head.text == "input") return inputStatement();
      if (head.text == "body") return bodyStatement();
    }
    return fail("unknown statement " + quote(head.text) + " (expected step, input or body)");
  }

  bool versionLine() {
    const std::string expected =
        std::string(kDocumentMagic) + " " + std::to_string(kDocumentVersion);
    if (tokens_.empty() || tokens_[0].quoted || tokens_[0].text != kDocumentMagic) {
      return fail("not a motionsim document: the first line must be \"" + expected + "\"");
    }
    std::int32_t version = 0;
    if (tokens_.size() != 2 || tokens_[1].quoted || !parseWhole(tokens_[1].text, version)) {
      return fail("the first line must be \"" + expected + "\"");
    }
    if (version != kDocumentVersion) {
      return fail("unsupported document version " + std::to_string(version) +
                  " (this motionsim reads version " + std::to_string(kDocumentVersion) + ")");
    }
    sawVersion_ = true;
    return true;
  }

  bool stepStatement() {
    if (stepLine_ != 0) {
      return fail("step given twice (first on line " + std::to_string(stepLine_) + ")");
    }
    double step = 0.0;
    if (tokens_.size() != 2) return fail("step needs exactly one number: step SECONDS");
    if (!number(tokens_[1], step)) return false;
    if (!(step > 0.0)) return fail("step must be greater than 0");
    mech_.timeStep = step;
    stepLine_ = line_;
    return true;
  }

  bool inputStatement() {
    if (tokens_.size() != 4)
      return fail("input needs an ID, a name and an initial value: input ID NAME VALUE");
    InputSpec input;
    if (!wholeNumber(tokens_[1], input.id) || !name(tokens_[2], input.name) ||
        !number(tokens_[3], input.initialValue)) {
      return false;
    }
    if (mech_.inputs.size() >= kMaxInputs) {
      return fail("too many inputs (at most " + std::to_string(kMaxInputs) + ")");
    }
    if (auto it = inputIdLines_.find(input.id); it != inputIdLines_.end()) {
      return fail("input ID " + std::to_string(input.id) + " used twice (first on line " +
                  std::to_string(it->second) + ")");
    }
    if (auto it = inputNames_.find(input.name); it != inputNames_.end()) {
      return fail("input name " + quote(input.name) + " used twice (first on line " +
                  std::to_string(it->second.line) + ")");
    }
    inputIdLines_[input.id] = line_;
    inputNames_[input.name] = {line_, static_cast<int>(mech_.inputs.size())};
    mech_.inputs.push_back(std::move(input));
    return true;
  }

  bool bodyStatement() {
    if (tokens_.size() < 3) return fail("body needs an ID and a name: body ID NAME [CLAUSE...]");
    BodySpec body;
    if (!wholeNumber(tokens_[1], body.id) || !name(tokens_[2], body.name)) return false;
    if (mech_.bodies.size() >= kMaxBodies) {
      return fail("too many bodies (at most " + std::to_string(kMaxBodies) + ")");
    }
    if (auto it = bodyIds_.find(body.id); it != bodyIds_.end()) {
      return fail("body ID " + std::to_string(body.id) + " used twice (first on line " +
                  std::to_string(it->second.line) + ")");
    }
    if (auto it = bodyNames_.find(body.name); it != bodyNames_.end()) {
      return fail("body name " + quote(body.name) + " used twice (first on line " +
                  std::to_string(it->second) + ")");
    }
    std::map<std::string, bool> seen;
    bool hasCoordinateTerms = false;
    bool hasGain = false;
    std::size_t i = 3;
    while (i < tokens_.size()) {
      const Token& key = tokens_[i++];
      if (key.quoted) return fail("expected a body clause, found the name " + quote(key.text));
      if (seen[key.text]) return fail("clause " + quote(key.text) + " given twice");
      seen[key.text] = true;
      if (key.text == "parent") {
        if (!needValues(key.text, i, 1) || !parent(tokens_[i++], body.parent)) return false;
      } else if (key.text == "offset") {
        if (!needValues(key.text, i, 3) || !vector(i, body.offset)) return false;
      } else if (key.text == "angles") {
        if (!needValues(key.text, i, 3) || !vector(i, body.angles)) return false;
      } else if (key.text == "joint") {
        if (!joint(i, body.joint)) return false;
      } else if (key.text == "constant" || key.text == "rate" || key.text == "gain") {
        double& target = key.text == "constant" ? body.joint.constant
                         : key.text == "rate"   ? body.joint.rate
                                                : body.joint.gain;
        if (!needValues(key.text, i, 1) || !number(tokens_[i++], target)) return false;
        hasCoordinateTerms = true;
        hasGain = hasGain || key.text == "gain";
      } else if (key.text == "input") {
        if (!needValues(key.text, i, 1) || !inputRef(tokens_[i++], body.joint.input)) return false;
        hasCoordinateTerms = true;
      } else {
        return fail("unknown body clause " + quote(key.text) +
                    " (expected parent, offset, angles, joint, constant, rate, gain or input)");
      }
    }
    if (hasCoordinateTerms && body.joint.kind == JointKind::Fixed) {
      return fail("constant, rate, gain and input need a revolute or prismatic joint");
    }
    if (hasGain && body.joint.input < 0) {
      return fail("gain needs an input that drives the joint (input NAME)");
    }
    if (!hasGain && body.joint.input >= 0) {
      body.joint.gain = 1.0;
    }
    bodyIds_[body.id] = {line_, static_cast<int>(mech_.bodies.size())};
    bodyNames_[body.name] = line_;
    mech_.bodies.push_back(std::move(body));
    return true;
  }

  bool needValues(const std::string& clause, std::size_t at, std::size_t count) {
    if (tokens_.size() - at < count) {
      return fail("clause " + quote(clause) + " needs " + std::to_string(count) +
                  (count == 1 ? " value" : " values"));
    }
    return true;
  }

  bool vector(std::size_t& at, Vec3& v) {
    if (!number(tokens_[at], v.x) || !number(tokens_[at + 1], v.y) ||
        !number(tokens_[at + 2], v.z)) {
      return false;
    }
    at += 3;
    return true;
  }

  bool parent(const Token& t, int& parentIndex) {
    if (!t.quoted && t.text == "ground") {
      parentIndex = -1;
      return true;
    }
    std::int32_t id = 0;
    if (!wholeNumber(t, id)) return false;
    auto it = bodyIds_.find(id);
    if (it == bodyIds_.end()) {
      return fail("unknown parent body " + std::to_string(id) +
                  " (a parent must be declared before its children)");
    }
    parentIndex = it->second.index;
    return true;
  }

  bool joint(std::size_t& at, Joint& j) {
    if (!needValues("joint", at, 1)) return false;
    const Token& kind = tokens_[at++];
    if (!kind.quoted && kind.text == "fixed") {
      j.kind = JointKind::Fixed;
      return true;
    }
    if (kind.quoted || (kind.text != "revolute" && kind.text != "prismatic")) {
      return fail("unknown joint " + quote(kind.text) + " (expected fixed, revolute or prismatic)");
    }
    j.kind = kind.text == "revolute" ? JointKind::Revolute : JointKind::Prismatic;
    if (at >= tokens_.size()) return fail("joint " + kind.text + " needs an axis: x, y or z");
    const Token& axis = tokens_[at++];
    if (axis.quoted || axis.text.size() != 1 || axis.text[0] < 'x' || axis.text[0] > 'z') {
      return fail("unknown joint axis " + quote(axis.text) + " (expected x, y or z)");
    }
    j.axis = static_cast<Axis>(axis.text[0] - 'x');
    return true;
  }

  bool inputRef(const Token& t, int& input) {
    std::string n;
    if (!name(t, n)) return false;
    auto it = inputNames_.find(n);
    if (it == inputNames_.end()) {
      return fail("unknown input " + quote(n) +
                  " (inputs must be declared before the bodies that use them)");
    }
    input = it->second.index;
    return true;
  }

  bool name(const Token& t, std::string& out) {
    if (t.text.empty()) return fail("empty name");
    if (t.text.size() > kMaxNameBytes) {
      return fail("name longer than " + std::to_string(kMaxNameBytes) + " bytes");
    }
    out = t.text;
    return true;
  }

  bool number(const Token& t, double& out) {
    std::string_view s = t.text;
    if (!s.empty() && s[0] == '+') s.remove_prefix(1);
    double v = 0.0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (t.quoted || s.empty() || ec != std::errc() || end != s.data() + s.size()) {
      if (ec == std::errc::result_out_of_range)
        return fail("number " + quote(t.text) + " is out of range");
      return fail("expected a number, found " + quote(t.text));
    }
    if (!std::isfinite(v)) return fail("number " + quote(t.text) + " is not finite");
    out = v;
    return true;
  }

  // A decimal whole number with an optional sign, nothing else; errc() when it is one.
  static std::errc parseWholeCode(std::string_view s, std::int32_t& out) {
    if (!s.empty() && s[0] == '+') s.remove_prefix(1);
    std::int32_t v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc()) return ec;
    if (s.empty() || end != s.data() + s.size()) return std::errc::invalid_argument;
    out = v;
    return std::errc();
  }
  static bool parseWhole(std::string_view s, std::int32_t& out) {
    return parseWholeCode(s, out) == std::errc();
  }

  bool wholeNumber(const Token& t, std::int32_t& out) {
    const std::errc ec = t.quoted ? std::errc::invalid_argument : parseWholeCode(t.text, out);
    if (ec == std::errc::result_out_of_range)
      return fail("whole number " + quote(t.text) + " is out of range");
    if (ec != std::errc()) return fail("expected a whole number, found " + quote(t.text));
    return true;
  }

  // Every frame the simulation may compute stays finite: its time, every joint coordinate
  // (as far as the document fixes it: the input term with the input's initial value) and
  // every body's distance from the origin, bounded by the offsets and slides along its chain
  // of parents (turns keep distances). A document whose numbers would let them overflow
  // (step 1e308, say) is refused at the line that makes them too large.
  bool staysFinite() {
    const double lastTime = mech_.timeStep * kFrameHorizon;
    if (!(lastTime <= kLargestMagnitude)) {
      line_ = stepLine_;
      return fail("step " + numberText(mech_.timeStep) +
                  " is too large: the time of later frames " + "would not stay finite");
    }
    std::vector<double> reach(mech_.bodies.size(), 0.0);
    for (std::size_t i = 0; i < mech_.bodies.size(); ++i) {
      const BodySpec& body = mech_.bodies[i];
      const Joint& j = body.joint;
      const double input = j.input >= 0 ? mech_.inputs[j.input].initialValue : 0.0;
      const double coordinate =
          std::abs(j.constant) + std::abs(j.rate) * lastTime + std::abs(j.gain) * std::abs(input);
      reach[i] = (body.parent >= 0 ? reach[body.parent] : 0.0) + std::abs(body.offset.x) +
                 std::abs(body.offset.y) + std::abs(body.offset.z) +
                 (j.kind == JointKind::Prismatic ? coordinate : 0.0);
      const bool coordinateTooLarge =
          j.kind != JointKind::Fixed && !(coordinate <= kLargestMagnitude);
      if (coordinateTooLarge || !(reach[i] <= kLargestMagnitude)) {
        line_ = bodyIds_[body.id].line;
        return fail(std::string("body ") + std::to_string(body.id) + " " + quote(body.name) +
                    (coordinateTooLarge ? ": its joint coordinate (constant + rate·t + gain·input) "
                                        : ": its offsets and slides along its parents ") +
                    "would not stay finite over the frames");
      }
    }
    return true;
  }

  static std::string numberText(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
  }

  struct Seen {
    int line = 0;
    int index = 0;
  };

  Mechanism mech_;
  std::vector<Token> tokens_;
  int line_ = 0;
  bool sawVersion_ = false;
  int stepLine_ = 0;
  std::map<std::int32_t, int> inputIdLines_;
  std::map<std::string, Seen> inputNames_;
  std::map<std::int32_t, Seen> bodyIds_;
  std::map<std::string, int> bodyNames_;
  bool failed_ = false;
  DocumentError error_;
};

}  // namespace

bool readDocument(std::string_view text, Mechanism& mechanism, DocumentError& error) {
  return DocumentParser().parse(text, mechanism, error);
}

bool loadDocument(const std::string& path, Mechanism& mechanism, DocumentError& error) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    error = {0, "is a directory, not a document"};
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = {0, "cannot open the document"};
    return false;
  }
  std::string text;
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxDocumentBytes) {
      error = {
          0, "document larger than " + std::to_string(kMaxDocumentBytes / (1024 * 1024)) + " MiB"};
      return false;
    }
  }
  if (in.bad()) {
    error = {0, "cannot read the document"};
    return false;
  }
  return readDocument(text, mechanism, error);
}

}  // namespace motionsim
