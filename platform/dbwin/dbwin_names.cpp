#include "platform/dbwin/dbwin_names.h"

#include <cstdlib>

namespace {

constexpr std::size_t kPrefixLimit = 64;

std::string prefixFromEnvironment() {
  std::string prefix;
  const char* value = std::getenv(kDbwinPrefixVariable);
  if (!value) return prefix;
  for (; *value && prefix.size() < kPrefixLimit; ++value)
    if (*value != '/') prefix.push_back(*value);
  return prefix;
}

}  // namespace

DbwinNames dbwinNames() {
  const std::string base = "/" + prefixFromEnvironment();
  return {base + "DBWIN_BUFFER_READY", base + "DBWIN_DATA_READY", base + "DBWIN_BUFFER"};
}
