// Win32-style key handles over the registry file. A handle is the path of its key; every
// call reads (or updates, under the file lock) the current file, so handles of several
// processes see each other's changes.

#include <mutex>
#include <set>

#include "platform/com/registry_node.h"

struct RegKeyHandle {
  std::string path;
};

namespace {

std::mutex gHandlesMutex;
std::set<const RegKeyHandle*>& liveHandles() {
  static auto* handles = new std::set<const RegKeyHandle*>;  // outlives static destruction
  return *handles;
}

bool predefinedRoot(HKEY key, std::string* path) {
  const auto value = reinterpret_cast<std::uintptr_t>(key);
  switch (value) {
    case 0x80000000u: *path = "HKEY_CLASSES_ROOT"; return true;
    case 0x80000001u: *path = "HKEY_CURRENT_USER"; return true;
    case 0x80000002u: *path = "HKEY_LOCAL_MACHINE"; return true;
    case 0x80000003u: *path = "HKEY_USERS"; return true;
    case 0x80000005u: *path = "HKEY_CURRENT_CONFIG"; return true;
    default: return false;
  }
}

// The key path of a handle, an unknown handle giving false (never dereferenced).
bool handlePath(HKEY key, std::string* path) {
  if (predefinedRoot(key, path)) return true;
  std::lock_guard<std::mutex> lock(gHandlesMutex);
  if (!liveHandles().count(key)) return false;
  *path = key->path;
  return true;
}

// key's path joined with subKey; false for a bad handle or an invalid sub path.
LONG joinedPath(HKEY key, const char* subKey, std::string* path) {
  if (!handlePath(key, path)) return ERROR_INVALID_HANDLE;
  if (subKey && *subKey) *path += '\\' + std::string(subKey);
  return registry_detail::splitPath(*path) ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
}

LONG newHandle(const std::string& path, HKEY* result) {
  auto* handle = new (std::nothrow) RegKeyHandle;
  if (!handle) return ERROR_OUTOFMEMORY;
  try {
    handle->path = path;
    std::lock_guard<std::mutex> lock(gHandlesMutex);
    liveHandles().insert(handle);
  } catch (...) {
    delete handle;
    return ERROR_OUTOFMEMORY;
  }
  *result = handle;
  return ERROR_SUCCESS;
}

std::string valueName(const char* name) { return name ? name : ""; }

// A value operation on an existing key: a deleted key is ERROR_KEY_DELETED.
LONG onExistingKey(const std::string& keyPath, LONG rc, const RegistryStore& store) {
  return rc == ERROR_FILE_NOT_FOUND && !store.keyExists(keyPath) ? ERROR_KEY_DELETED : rc;
}

}  // namespace

LONG RegCreateKey(HKEY key, const char* subKey, HKEY* result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::string path;
  LONG rc = joinedPath(key, subKey, &path);
  if (rc != ERROR_SUCCESS) return rc;
  rc = registryUpdate([&](RegistryStore& store) { return store.createKey(path); });
  return rc == ERROR_SUCCESS ? newHandle(path, result) : rc;
}

LONG RegOpenKey(HKEY key, const char* subKey, HKEY* result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::string path;
  LONG rc = joinedPath(key, subKey, &path);
  if (rc != ERROR_SUCCESS) return rc;
  rc = registryRead([&](const RegistryStore& store) {
    return store.keyExists(path) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
  return rc == ERROR_SUCCESS ? newHandle(path, result) : rc;
}

LONG RegCloseKey(HKEY key) {
  std::string path;
  if (predefinedRoot(key, &path)) return ERROR_SUCCESS;
  {
    std::lock_guard<std::mutex> lock(gHandlesMutex);
    if (!liveHandles().erase(key)) return ERROR_INVALID_HANDLE;
  }
  delete key;
  return ERROR_SUCCESS;
}

LONG RegSetValueText(HKEY key, const char* name, std::string_view data) {
  std::string path;
  const LONG rc = joinedPath(key, nullptr, &path);
  if (rc != ERROR_SUCCESS) return rc;
  return registryUpdate([&](RegistryStore& store) {
    return store.keyExists(path) ? store.setValue(path, valueName(name), data) : ERROR_KEY_DELETED;
  });
}

LONG RegQueryValueText(HKEY key, const char* name, std::string* data) {
  std::string path;
  const LONG rc = joinedPath(key, nullptr, &path);
  if (rc != ERROR_SUCCESS) return rc;
  return registryRead([&](const RegistryStore& store) {
    return onExistingKey(path, store.queryValue(path, valueName(name), data), store);
  });
}

LONG RegDeleteValue(HKEY key, const char* name) {
  std::string path;
  const LONG rc = joinedPath(key, nullptr, &path);
  if (rc != ERROR_SUCCESS) return rc;
  return registryUpdate([&](RegistryStore& store) {
    return onExistingKey(path, store.deleteValue(path, valueName(name)), store);
  });
}

LONG RegDeleteTree(HKEY key, const char* subKey) {
  std::string path;
  const LONG rc = joinedPath(key, subKey, &path);
  if (rc != ERROR_SUCCESS) return rc;
  const bool whole = subKey && *subKey;
  return registryUpdate(
      [&](RegistryStore& store) { return whole ? store.deleteTree(path) : store.clearKey(path); });
}

LONG RegDeleteKey(HKEY key, const char* subKey) {
  if (!subKey || !*subKey) return ERROR_INVALID_PARAMETER;
  std::string path;
  const LONG rc = joinedPath(key, subKey, &path);
  if (rc != ERROR_SUCCESS) return rc;
  return registryUpdate([&](RegistryStore& store) {
    std::vector<std::string> children;
    const LONG found = store.subKeys(path, &children);
    if (found != ERROR_SUCCESS) return found;
    return children.empty() ? store.deleteTree(path) : ERROR_ACCESS_DENIED;
  });
}

LONG RegEnumKey(HKEY key, DWORD index, std::string* name) {
  if (!name) return ERROR_INVALID_PARAMETER;
  std::string path;
  const LONG rc = joinedPath(key, nullptr, &path);
  if (rc != ERROR_SUCCESS) return rc;
  return registryRead([&](const RegistryStore& store) {
    std::vector<std::string> names;
    const LONG found = store.subKeys(path, &names);
    if (found != ERROR_SUCCESS) return found == ERROR_FILE_NOT_FOUND ? ERROR_KEY_DELETED : found;
    if (index >= names.size()) return ERROR_NO_MORE_ITEMS;
    *name = names[index];
    return ERROR_SUCCESS;
  });
}

LONG RegEnumValue(HKEY key, DWORD index, std::string* name, std::string* data) {
  if (!name) return ERROR_INVALID_PARAMETER;
  std::string path;
  const LONG rc = joinedPath(key, nullptr, &path);
  if (rc != ERROR_SUCCESS) return rc;
  return registryRead([&](const RegistryStore& store) {
    std::vector<std::pair<std::string, std::string>> entries;
    const LONG found = store.values(path, &entries);
    if (found != ERROR_SUCCESS) return found == ERROR_FILE_NOT_FOUND ? ERROR_KEY_DELETED : found;
    if (index >= entries.size()) return ERROR_NO_MORE_ITEMS;
    *name = entries[index].first;
    if (data) *data = entries[index].second;
    return ERROR_SUCCESS;
  });
}

std::string RegKeyPath(HKEY key) {
  std::string path;
  return handlePath(key, &path) ? path : std::string();
}
