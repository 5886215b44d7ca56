#pragma once
// Inside of the registry store: the key tree and the rules for names and paths. Only the
// registry units include this.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/registry.h"
#include "platform/com/text_case.h"

namespace registry_detail {

// Key and value names order and compare ignoring ASCII case.
struct CaseLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return compareNoCase(a, b) < 0; }
};

// The roots in their canonical spelling.
inline constexpr std::string_view kRoots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                              "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                                              "HKEY_CURRENT_CONFIG"};

// Length of the valid UTF-8 sequence starting at text[i], 0 when the bytes there are none.
std::size_t utf8SequenceLength(std::string_view text, std::size_t i);

// A key name: 1 to 255 bytes of valid UTF-8, no control characters, no backslash.
bool isValidKeyName(std::string_view name);
// Splits a path into names and checks them; the first must be a root (it is returned in
// its canonical spelling). nullopt for an invalid path.
std::optional<std::vector<std::string>> splitPath(std::string_view path);

// Sets the text RegLastErrorText() gives on this thread.
void setLastError(std::string text);

}  // namespace registry_detail

struct RegistryStore::Node {
  std::map<std::string, std::unique_ptr<Node>, registry_detail::CaseLess> keys;
  std::map<std::string, std::string, registry_detail::CaseLess> values;
  // Comment lines a person wrote above the key line ("; ...\n" each), and above value lines
  // by value name; on the top node, those after the last line of the file.
  std::string comment;
  std::map<std::string, std::string, registry_detail::CaseLess> valueComments;

  std::unique_ptr<Node> clone() const;
  bool equals(const Node& other) const;
  // The subkey called name, created when missing. A name that sorts after (or is) the last
  // subkey, as they arrive when a file in the written order is read, is found without a
  // search, so reading a file is linear in its size.
  Node* child(const std::string& name);
};
