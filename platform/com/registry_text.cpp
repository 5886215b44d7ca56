// The registry file's text form:
//
//   KINETRA REGISTRY 1
//   ; comment lines start with ';' or '#'
//   [HKEY_CLASSES_ROOT\CLSID\{...}]
//   @="default value"
//   "name"="value"
//
// A key line names the key's full path between '[' and the last ']' of the line (key names
// hold no control characters and no backslash, so no escaping is needed there). Value names
// and values are quoted; inside quotes \\ \" \n \r \t and \xHH stand for themselves, other
// bytes (UTF-8 text included) are written as they are. Keys are written when they hold
// values, a comment or no subkeys; parents are implied by their children's paths.
//
// Comment lines a person adds stay with the key or value line below them (those at the end
// stay at the end), so a hand-edited file keeps its notes across writes. A value name given
// twice for one key (in any spelling: names are compared without regard to case) is refused
// rather than merged.

#include <cstdio>

#include "platform/com/registry_node.h"

namespace {

using Node = RegistryStore::Node;
constexpr std::string_view kMagic = "KINETRA REGISTRY 1";
// The note every written file starts with; reading skips it so that it is not kept twice.
constexpr std::string_view kHeaderNote =
    "; Kinetra registry. [key path] lines, then \"name\"=\"value\" lines; @ is the key's "
    "default value.";

void appendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    const auto b = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        ++i;
        continue;
      case '\\':
        out += "\\\\";
        ++i;
        continue;
      case '\n':
        out += "\\n";
        ++i;
        continue;
      case '\r':
        out += "\\r";
        ++i;
        continue;
      case '\t':
        out += "\\t";
        ++i;
        continue;
      default: break;
    }
    const std::size_t n = b < 0x20 || b == 0x7F ? 0 : registry_detail::utf8SequenceLength(text, i);
    if (n == 0) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\x%02X", b);
      out += esc;
      ++i;
    } else {
      out.append(text, i, n);
      i += n;
    }
  }
  out += '"';
}

void writeKey(std::string& out, std::string& path, const Node& node, bool isRoot) {
  if (!node.values.empty() || !node.comment.empty() || (node.keys.empty() && !isRoot)) {
    out += node.comment;
    out += '[';
    out += path;
    out += "]\n";
    for (const auto& [name, data] : node.values) {
      if (const auto note = node.valueComments.find(name); note != node.valueComments.end())
        out += note->second;
      if (name.empty())
        out += '@';
      else
        appendQuoted(out, name);
      out += '=';
      appendQuoted(out, data);
      out += '\n';
    }
  }
  // One path buffer grows and shrinks along the walk instead of a new string per key.
  for (const auto& [name, child] : node.keys) {
    const std::size_t length = path.size();
    path += '\\';
    path += name;
    writeKey(out, path, *child, false);
    path.resize(length);
  }
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted text at line[pos]; pos ends after the closing quote.
bool readQuoted(std::string_view line, std::size_t& pos, std::string* out, std::string* why) {
  if (pos >= line.size() || line[pos] != '"') return *why = "a quoted text was expected", false;
  ++pos;
  out->clear();
  while (pos < line.size()) {
    const char c = line[pos++];
    if (c == '"') return true;
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
      return *why = "a control character stands unescaped inside quotes", false;
    if (c != '\\') {
      *out += c;
      continue;
    }
    if (pos >= line.size()) break;
    const char e = line[pos++];
    switch (e) {
      case '\\': *out += '\\'; break;
      case '"': *out += '"'; break;
      case 'n': *out += '\n'; break;
      case 'r': *out += '\r'; break;
      case 't': *out += '\t'; break;
      case 'x': {
        const int hi = pos < line.size() ? hexDigit(line[pos]) : -1;
        const int lo = pos + 1 < line.size() ? hexDigit(line[pos + 1]) : -1;
        if (hi < 0 || lo < 0) return *why = "\\x must be followed by two hex digits", false;
        *out += static_cast<char>(hi * 16 + lo);
        pos += 2;
        break;
      }
      default: return *why = std::string("unknown escape \\") + e, false;
    }
  }
  return *why = "the closing quote is missing", false;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

}  // namespace

std::string RegistryStore::serialize() const {
  std::string out;
  out += kMagic;
  out += '\n';
  out += kHeaderNote;
  out += '\n';
  for (const auto& [name, root] : root_->keys) {
    std::string path = name;
    writeKey(out, path, *root, true);
  }
  out += root_->comment;
  return out;
}

bool RegistryStore::parse(std::string_view text, std::string* error) {
  RegistryStore fresh;
  std::string why;
  std::size_t lineNo = 0;
  std::string currentKey;
  Node* current = nullptr;
  std::string comment;  // comment lines waiting for the key or value line they stand above
  bool sawMagic = false;
  auto fail = [&](const std::string& what) {
    if (error) *error = "line " + std::to_string(lineNo) + ": " + what;
    *this = RegistryStore();
    return false;
  };
  if (text.substr(0, 3) == "\xEF\xBB\xBF")
    text.remove_prefix(3);  // a byte-order mark an editor may add
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = trim(text.substr(start, end - start));
    start = end + 1;
    ++lineNo;
    if (line.find('\0') != std::string_view::npos) return fail("the line holds a NUL byte");
    if (!sawMagic) {
      if (line.empty()) continue;
      if (line != kMagic)
        return fail("this is no registry file (its first line must be \"" + std::string(kMagic) +
                    "\")");
      sawMagic = true;
      continue;
    }
    if (line.empty()) continue;
    if (line.front() == ';' || line.front() == '#') {
      if (line != kHeaderNote) (comment += line) += '\n';
      continue;
    }
    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      if (close == 0 || close != line.size() - 1) return fail("a key line must end with ']'");
      currentKey = std::string(line.substr(1, close - 1));
      const auto names = registry_detail::splitPath(currentKey);
      if (!names)
        return fail("\"" + currentKey +
                    "\" is no valid key path (it must start with a root such as HKEY_CLASSES_ROOT "
                    "and have no empty names)");
      current = fresh.root_.get();
      for (const auto& name : *names) current = current->child(name);
      current->comment += comment;
      comment.clear();
      continue;
    }
    if (line.front() != '@' && line.front() != '"')
      return fail("expected [key path], \"name\"=\"value\" or @=\"value\"");
    if (!current) return fail("a value stands before the first [key path] line");
    std::size_t pos = 0;
    std::string name, data;
    if (line.front() == '@')
      pos = 1;
    else if (!readQuoted(line, pos, &name, &why))
      return fail("value name: " + why);
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
    if (pos >= line.size() || line[pos] != '=') return fail("'=' expected after the value name");
    ++pos;
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
    if (!readQuoted(line, pos, &data, &why)) return fail("value: " + why);
    if (pos != line.size()) return fail("unexpected text after the value");
    if (const auto it = current->values.find(name); it != current->values.end())
      return fail("the value " + (name.empty() ? std::string("@") : "\"" + name + "\"") + " of [" +
                  currentKey + "] is set twice" +
                  (it->first == name ? ""
                                     : " (as \"" + it->first + "\"; value names are " +
                                           "compared without regard to case)"));
    if (!comment.empty()) current->valueComments.emplace(name, std::move(comment));
    comment.clear();
    current->values.emplace(std::move(name), std::move(data));
  }
  fresh.root_->comment = std::move(comment);
  *this = std::move(fresh);
  return true;
}
