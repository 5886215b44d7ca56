#include <algorithm>

#include "platform/com/registry_node.h"

namespace registry_detail {

std::size_t utf8SequenceLength(std::string_view t, std::size_t i) {
  const auto b0 = static_cast<unsigned char>(t[i]);
  if (b0 < 0x80) return 1;
  std::size_t n;
  char32_t c, minimum;
  if ((b0 & 0xE0) == 0xC0)
    n = 2, c = b0 & 0x1F, minimum = 0x80;
  else if ((b0 & 0xF0) == 0xE0)
    n = 3, c = b0 & 0x0F, minimum = 0x800;
  else if ((b0 & 0xF8) == 0xF0)
    n = 4, c = b0 & 0x07, minimum = 0x10000;
  else
    return 0;
  if (i + n > t.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    const auto b = static_cast<unsigned char>(t[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    c = (c << 6) | (b & 0x3F);
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return n;
}

bool isValidKeyName(std::string_view name) {
  constexpr std::size_t kMaxKeyName = 255;
  if (name.empty() || name.size() > kMaxKeyName) return false;
  for (std::size_t i = 0; i < name.size();) {
    const auto b = static_cast<unsigned char>(name[i]);
    if (b < 0x20 || b == 0x7F || b == '\\') return false;
    const std::size_t n = utf8SequenceLength(name, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::optional<std::vector<std::string>> splitPath(std::string_view path) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = path.find('\\', start);
    const std::string_view name =
        path.substr(start, end == std::string_view::npos ? end : end - start);
    if (!isValidKeyName(name)) return std::nullopt;
    names.emplace_back(name);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  const auto root = std::find_if(std::begin(kRoots), std::end(kRoots), [&](std::string_view r) {
    return equalsNoCase(r, names.front());
  });
  if (root == std::end(kRoots)) return std::nullopt;
  names.front() = std::string(*root);
  return names;
}

}  // namespace registry_detail

using registry_detail::splitPath;
using Node = RegistryStore::Node;

std::unique_ptr<Node> Node::clone() const {
  auto copy = std::make_unique<Node>();
  copy->values = values;
  copy->comment = comment;
  copy->valueComments = valueComments;
  for (const auto& [name, child] : keys) copy->keys.emplace(name, child->clone());
  return copy;
}

bool Node::equals(const Node& other) const {
  if (values.size() != other.values.size() || keys.size() != other.keys.size() ||
      comment != other.comment || valueComments != other.valueComments)
    return false;
  // Same names (case as stored) and same texts, in the same order.
  if (!std::equal(values.begin(), values.end(), other.values.begin())) return false;
  return std::equal(keys.begin(), keys.end(), other.keys.begin(), [](const auto& a, const auto& b) {
    return a.first == b.first && a.second->equals(*b.second);
  });
}

Node* Node::child(const std::string& name) {
  const registry_detail::CaseLess less;
  if (keys.empty() || less(keys.rbegin()->first, name))
    return keys.emplace_hint(keys.end(), name, std::make_unique<Node>())->second.get();
  if (!less(name, keys.rbegin()->first)) return keys.rbegin()->second.get();  // the last one
  auto it = keys.find(name);
  if (it == keys.end()) it = keys.emplace(name, std::make_unique<Node>()).first;
  return it->second.get();
}

namespace {

std::unique_ptr<Node> emptyTree() {
  auto top = std::make_unique<Node>();
  for (std::string_view r : registry_detail::kRoots)
    top->keys.emplace(std::string(r), std::make_unique<Node>());
  return top;
}

// The node at path, or null when the path is invalid or a key on it is missing.
Node* find(Node* top, std::string_view path) {
  const auto names = splitPath(path);
  if (!names) return nullptr;
  Node* node = top;
  for (const auto& name : *names) {
    const auto it = node->keys.find(name);
    if (it == node->keys.end()) return nullptr;
    node = it->second.get();
  }
  return node;
}

LONG missingOrInvalid(std::string_view path) {
  return splitPath(path) ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_PARAMETER;
}

}  // namespace

RegistryStore::RegistryStore() : root_(emptyTree()) {}
RegistryStore::~RegistryStore() = default;
RegistryStore::RegistryStore(const RegistryStore& other) : root_(other.root_->clone()) {}
RegistryStore& RegistryStore::operator=(const RegistryStore& other) {
  if (this != &other) root_ = other.root_->clone();
  return *this;
}
RegistryStore::RegistryStore(RegistryStore&& other) : root_(std::move(other.root_)) {
  other.root_ = emptyTree();
}
RegistryStore& RegistryStore::operator=(RegistryStore&& other) noexcept {
  std::swap(root_, other.root_);
  return *this;
}

bool RegistryStore::operator==(const RegistryStore& other) const {
  return root_->equals(*other.root_);
}

bool RegistryStore::keyExists(std::string_view path) const {
  return find(root_.get(), path) != nullptr;
}

LONG RegistryStore::createKey(std::string_view path) {
  const auto names = splitPath(path);
  if (!names) return ERROR_INVALID_PARAMETER;
  Node* node = root_.get();
  for (const auto& name : *names) node = node->child(name);
  return ERROR_SUCCESS;
}

LONG RegistryStore::deleteTree(std::string_view path) {
  const auto names = splitPath(path);
  if (!names) return ERROR_INVALID_PARAMETER;
  if (names->size() == 1) return ERROR_ACCESS_DENIED;
  Node* parent = root_.get();
  for (std::size_t i = 0; i + 1 < names->size(); ++i) {
    const auto it = parent->keys.find((*names)[i]);
    if (it == parent->keys.end()) return ERROR_FILE_NOT_FOUND;
    parent = it->second.get();
  }
  return parent->keys.erase(names->back()) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

LONG RegistryStore::clearKey(std::string_view path) {
  Node* node = find(root_.get(), path);
  if (!node) return missingOrInvalid(path);
  node->keys.clear();
  node->values.clear();
  node->valueComments.clear();
  return ERROR_SUCCESS;
}

LONG RegistryStore::setValue(std::string_view path, std::string_view name, std::string_view data) {
  Node* node = find(root_.get(), path);
  if (!node) return missingOrInvalid(path);
  const auto it = node->values.find(name);
  if (it != node->values.end())
    it->second = std::string(data);
  else
    node->values.emplace(std::string(name), std::string(data));
  return ERROR_SUCCESS;
}

LONG RegistryStore::queryValue(std::string_view path, std::string_view name,
                               std::string* data) const {
  const Node* node = find(root_.get(), path);
  if (!node) return missingOrInvalid(path);
  const auto it = node->values.find(name);
  if (it == node->values.end()) return ERROR_FILE_NOT_FOUND;
  if (data) *data = it->second;
  return ERROR_SUCCESS;
}

LONG RegistryStore::deleteValue(std::string_view path, std::string_view name) {
  Node* node = find(root_.get(), path);
  if (!node) return missingOrInvalid(path);
  const auto it = node->values.find(name);
  if (it == node->values.end()) return ERROR_FILE_NOT_FOUND;
  node->valueComments.erase(it->first);
  node->values.erase(it);
  return ERROR_SUCCESS;
}

LONG RegistryStore::subKeys(std::string_view path, std::vector<std::string>* names) const {
  const Node* node = find(root_.get(), path);
  if (!node) return missingOrInvalid(path);
  names->clear();
  for (const auto& entry : node->keys) names->push_back(entry.first);
  return ERROR_SUCCESS;
}

LONG RegistryStore::values(std::string_view path,
                           std::vector<std::pair<std::string, std::string>>* out) const {
  const Node* node = find(root_.get(), path);
  if (!node) return missingOrInvalid(path);
  out->assign(node->values.begin(), node->values.end());
  return ERROR_SUCCESS;
}
