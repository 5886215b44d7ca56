#pragma once
// The registry store: a hierarchical key/value store kept in one human-readable text file.
// The file is $KINETRA_REGISTRY, else $XDG_CONFIG_HOME/kinetra/registry, else
// ~/.config/kinetra/registry. Top-level keys are the roots HKEY_CLASSES_ROOT,
// HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS and HKEY_CURRENT_CONFIG.
//
// Key names are printable text without backslash (the path separator), compared without
// regard to ASCII case and stored as first written; values are named texts, the empty name
// being the key's default value. Texts are UTF-8. Comments written into the file by hand
// are kept across writes.
//
// Every change is one locked read-modify-write of the file (flock on "<file>.lock"), written
// to a temporary file and renamed over the old one, so readers always see a whole file and
// concurrent writers do not lose each other's changes. A file that cannot be read as a
// registry is never overwritten: calls fail with ERROR_REGISTRY_CORRUPT and
// RegLastErrorText() tells the file, line and fault. A symbolic link is followed and its
// target replaced; a path that names no regular file (a pipe, a device, a folder) is
// refused unopened (ERROR_CANTREAD), and a file without write permission is not replaced
// (ERROR_CANTWRITE), both with a RegLastErrorText() that says so.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/com/hresult.h"
#include "platform/com/types.h"

// Win32 error numbers that the registry functions return.
constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;  // key or value does not exist
constexpr LONG ERROR_ACCESS_DENIED = 5;   // e.g. deleting a root or a key with subkeys
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_OUTOFMEMORY = 14;
constexpr LONG ERROR_INVALID_PARAMETER = 87;  // bad key name, null pointer
constexpr LONG ERROR_LOCK_FAILED = 167;
constexpr LONG ERROR_NO_MORE_ITEMS = 259;
constexpr LONG ERROR_CANTOPEN = 1011;  // no registry location (no home directory)
constexpr LONG ERROR_CANTREAD = 1012;
constexpr LONG ERROR_CANTWRITE = 1013;
constexpr LONG ERROR_REGISTRY_CORRUPT = 1015;
constexpr LONG ERROR_KEY_DELETED = 1018;  // the handle's key was deleted meanwhile
constexpr LONG ERROR_CANCELLED = 1223;    // an update's function gave up; nothing written

// One key tree in memory. Paths are backslash-separated and start with a root name:
// "HKEY_CLASSES_ROOT\\CLSID\\{...}". Path functions return ERROR_* codes.
class RegistryStore {
 public:
  RegistryStore();
  ~RegistryStore();
  RegistryStore(const RegistryStore& other);
  RegistryStore& operator=(const RegistryStore& other);
  RegistryStore(RegistryStore&&);
  RegistryStore& operator=(RegistryStore&&) noexcept;

  // The file this process uses (environment as above); empty when there is no home.
  static std::string defaultPath();

  // Text form. parse replaces the tree; on a fault it returns false, leaves the tree empty
  // and writes "line N: what" into *error.
  bool parse(std::string_view text, std::string* error);
  std::string serialize() const;

  // Reads a file; a missing file is an empty store. ERROR_CANTREAD or ERROR_REGISTRY_CORRUPT
  // with *error set ("<file>:<line>: <what>") otherwise.
  LONG load(const std::string& path, std::string* error);
  // Writes the file atomically (temporary file + rename), creating its folder.
  LONG save(const std::string& path, std::string* error) const;

  bool keyExists(std::string_view path) const;
  // Creates the key and any missing parents.
  LONG createKey(std::string_view path);
  // Removes the key with everything under it; roots cannot be removed (ERROR_ACCESS_DENIED).
  LONG deleteTree(std::string_view path);
  // Removes every subkey and value of the key, keeping the key itself.
  LONG clearKey(std::string_view path);
  LONG setValue(std::string_view path, std::string_view name, std::string_view data);
  LONG queryValue(std::string_view path, std::string_view name, std::string* data) const;
  LONG deleteValue(std::string_view path, std::string_view name);
  // Names as stored, in ascending case-insensitive order.
  LONG subKeys(std::string_view path, std::vector<std::string>* names) const;
  LONG values(std::string_view path, std::vector<std::pair<std::string, std::string>>* out) const;

  bool operator==(const RegistryStore& other) const;

  struct Node;

 private:
  std::unique_ptr<Node> root_;
};

// Runs fn on the registry file's contents under the file lock and writes the store back
// when fn returned ERROR_SUCCESS and changed it. Returns fn's result or the file's fault.
// Registry calls that fn makes on the same thread (registryUpdate, registryRead, the Reg*
// handle functions) work on fn's store: a whole registration wrapped in one update is one
// locked read, one write, and all or nothing. When the file does not exist, fn first runs
// on an empty store, and nothing is created when it changes nothing; fn then runs a second
// time only if another process created the file in between.
LONG registryUpdate(const std::function<LONG(RegistryStore&)>& fn);
// Runs fn on the registry file's current contents (no lock needed: files are replaced whole).
LONG registryRead(const std::function<LONG(const RegistryStore&)>& fn);
// What the last failing registry call of this thread found wrong (file, line, cause).
std::string RegLastErrorText();
// A registry error as a result code: S_OK; REGDB_E_READREGDB for an unreadable or damaged
// file; REGDB_E_WRITEREGDB when it cannot be locked or written (or has no location);
// REGDB_E_KEYMISSING for a missing key or value; else HRESULT_FROM_WIN32(error).
HRESULT hresultFromRegistryError(LONG error);

// ---- Win32-style handle functions over the same file -----------------------------------

struct RegKeyHandle;
using HKEY = RegKeyHandle*;
#define KINETRA_PREDEFINED_HKEY(n) (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(n)))
#define HKEY_CLASSES_ROOT KINETRA_PREDEFINED_HKEY(0x80000000u)
#define HKEY_CURRENT_USER KINETRA_PREDEFINED_HKEY(0x80000001u)
#define HKEY_LOCAL_MACHINE KINETRA_PREDEFINED_HKEY(0x80000002u)
#define HKEY_USERS KINETRA_PREDEFINED_HKEY(0x80000003u)
#define HKEY_CURRENT_CONFIG KINETRA_PREDEFINED_HKEY(0x80000005u)

// subKey may be null or empty (the key itself) or a backslash path below key. Opened
// handles are closed with RegCloseKey; predefined roots need no closing.
LONG RegCreateKey(HKEY key, const char* subKey, HKEY* result);
LONG RegOpenKey(HKEY key, const char* subKey, HKEY* result);
LONG RegCloseKey(HKEY key);
// Value name null or "" is the default value. All values are text.
LONG RegSetValueText(HKEY key, const char* valueName, std::string_view data);
LONG RegQueryValueText(HKEY key, const char* valueName, std::string* data);
LONG RegDeleteValue(HKEY key, const char* valueName);
// With a subKey: removes that key and everything below it. Without: removes everything
// below key and its values, keeping key.
LONG RegDeleteTree(HKEY key, const char* subKey);
// Removes a key that has no subkeys (ERROR_ACCESS_DENIED when it has some).
LONG RegDeleteKey(HKEY key, const char* subKey);
LONG RegEnumKey(HKEY key, DWORD index, std::string* name);
LONG RegEnumValue(HKEY key, DWORD index, std::string* name, std::string* data);
// The full path of a handle's key ("HKEY_CLASSES_ROOT\\CLSID"); empty for a bad handle.
std::string RegKeyPath(HKEY key);
