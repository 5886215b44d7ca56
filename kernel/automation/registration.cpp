#include "kernel/automation/registration.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <algorithm>
#include <cstring>

#include "platform/com/bstr.h"
#include "platform/com/categories.h"
#include "platform/com/com_ptr.h"
#include "platform/com/errorinfo.h"
#include "platform/com/registry.h"
#include "platform/com/typelib.h"

namespace {

constexpr LCID kCategoryLanguage = 1033;
constexpr const char kSafeForInitializing[] = "Controls safely initializable from persistent data!";
constexpr const char kSafeForScripting[] = "Controls safely scriptable!";

const char* rootName(int root) {
  return root == kVelRegRootClasses ? "HKEY_CLASSES_ROOT" : nullptr;
}

// Walks a table, giving fn each entry with its full key path and value text (null: none).
// Stops at the first entry fn refuses or whose root is unknown; false then.
template <class Fn>
bool forEachEntry(const VelRegEntry* table, Fn fn) {
  const std::string module = velModulePath();
  std::string base;
  for (const VelRegEntry* e = table; e && e->flags != kVelRegEnd; ++e) {
    std::string path;
    if (e->root != 0) {
      const char* root = rootName(e->root);
      if (!root || !e->key) return false;
      base = std::string(root) + "\\" + e->key;
      path = base;
    } else {
      if (base.empty() || !e->key) return false;
      path = base + "\\" + e->key;
    }
    const char* value = e->value == kVelRegModulePath ? module.c_str() : e->value;
    if (!fn(*e, path, value)) return false;
  }
  return true;
}

ComPtr<ITypeLib> loadOwnTypeLib(const std::string& path) {
  ComPtr<ITypeLib> lib;
  if (path.empty() || FAILED(LoadTypeLib(utf16FromUtf8(path).c_str(), lib.put()))) return nullptr;
  return lib;
}

HRESULT registerOwnTypeLib() {
  const std::string path = velModulePath();
  const ComPtr<ITypeLib> lib = loadOwnTypeLib(path);
  if (!lib) return SELFREG_E_TYPELIB;
  const std::string folder = path.substr(0, path.rfind('/') + 1);
  const HRESULT hr =
      RegisterTypeLib(lib.get(), utf16FromUtf8(path).c_str(), utf16FromUtf8(folder).c_str());
  return FAILED(hr) ? SELFREG_E_TYPELIB : S_OK;
}

HRESULT unregisterOwnTypeLib() {
  const ComPtr<ITypeLib> lib = loadOwnTypeLib(velModulePath());
  if (!lib) return SELFREG_E_TYPELIB;
  TLIBATTR* attr = nullptr;
  if (FAILED(lib->GetLibAttr(&attr)) || !attr) return SELFREG_E_TYPELIB;
  HRESULT hr = UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid,
                                 attr->syskind);
  // Every class record unregisters the library it shares with the others; one that is no
  // longer registered is no failure, as a registry key already removed is none.
  if (hr == TYPE_E_LIBNOTREGISTERED) hr = S_OK;
  lib->ReleaseTLibAttr(attr);
  return FAILED(hr) ? SELFREG_E_TYPELIB : S_OK;
}

void setDescription(CATEGORYINFO& info, const char* text) {
  const std::u16string wide = utf16FromUtf8(text);
  // Descriptions are cut to 127 characters.
  const std::size_t n = std::min<std::size_t>(wide.size(), std::size(info.szDescription) - 1);
  std::copy_n(wide.begin(), n, info.szDescription);
  info.szDescription[n] = u'\0';
}

}  // namespace

std::string velModulePath() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&velModulePath), &info) || !info.dli_fname) return {};
  char resolved[PATH_MAX];
  if (!realpath(info.dli_fname, resolved)) return info.dli_fname;
  return resolved;
}

std::string velModuleSibling(const char* file) {
  const std::string path = velModulePath();
  return path.substr(0, path.rfind('/') + 1) + (file ? file : "");
}

HRESULT velRegisterTable(const VelRegEntry* table, bool typeLib) {
  if (typeLib) {
    const HRESULT hr = registerOwnTypeLib();
    if (FAILED(hr)) return hr;
  }
  // One locked update of the registry file: when any entry fails, the file is not written,
  // which undoes the whole table.
  bool written = true;
  const LONG result = registryUpdate([&](RegistryStore& store) {
    written =
        forEachEntry(table, [&](const VelRegEntry& e, const std::string& path, const char* value) {
          if (e.flags & (kVelRegDeleteOnly | kVelRegDeleteFirst)) {
            const LONG deleted = store.deleteTree(path);
            if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND) return false;
          }
          if (e.flags & kVelRegDeleteOnly) return true;
          if (store.createKey(path) != ERROR_SUCCESS) return false;
          if (!value) return true;
          return store.setValue(path, e.valueName ? e.valueName : "", value) == ERROR_SUCCESS;
        });
    return written ? ERROR_SUCCESS : ERROR_CANTWRITE;
  });
  return written && result == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

HRESULT velUnregisterTable(const VelRegEntry* table, bool typeLib) {
  if (typeLib) {
    const HRESULT hr = unregisterOwnTypeLib();
    if (FAILED(hr)) return hr;
  }
  bool removed = true;
  const LONG result = registryUpdate([&](RegistryStore& store) {
    const bool walked =
        forEachEntry(table, [&](const VelRegEntry& e, const std::string& path, const char*) {
          if (e.flags & (kVelRegKeep | kVelRegDeleteOnly)) return true;
          // A key already removed with its parent is no failure; the walk goes on after one
          // that cannot be removed, so that as much as possible is gone.
          const LONG deleted = store.deleteTree(path);
          if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND) removed = false;
          return true;
        });
    removed = removed && walked;
    return ERROR_SUCCESS;
  });
  return removed && result == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

HRESULT velRegisterSafetyCategories(REFCLSID clsid) {
  CATEGORYINFO infos[2]{};
  infos[0].catid = CATID_SafeForInitializing;
  infos[0].lcid = kCategoryLanguage;
  setDescription(infos[0], kSafeForInitializing);
  infos[1].catid = CATID_SafeForScripting;
  infos[1].lcid = kCategoryLanguage;
  setDescription(infos[1], kSafeForScripting);
  HRESULT hr = RegisterCategories(2, infos);
  const CATID marks[2] = {CATID_SafeForInitializing, CATID_SafeForScripting};
  for (const CATID& mark : marks)
    if (SUCCEEDED(hr)) hr = RegisterClassImplCategories(clsid, 1, &mark);
  return hr;
}

HRESULT velUnregisterSafetyCategories(REFCLSID clsid) {
  const CATID marks[2] = {CATID_SafeForInitializing, CATID_SafeForScripting};
  HRESULT hr = S_OK;
  for (const CATID& mark : marks)
    if (SUCCEEDED(hr)) hr = UnRegisterClassImplCategories(clsid, 1, &mark);
  return hr;
}

namespace {

// One walk over the class records that have a class identifier, in table order, while no
// step failed; returns the last result code.
template <class Step>
HRESULT forEachRegisteredClass(Step step) {
  const VelModule& module = velModule();
  HRESULT hr = S_OK;
  for (int i = 0; i < module.classCount && SUCCEEDED(hr); ++i) {
    const VelClassRecord& record = module.classes[i];
    if (!record.clsid || *record.clsid == CLSID_NULL) continue;
    hr = step(record);
  }
  return hr;
}

// The whole walk as one update of the registry file: one locked read and one write, and
// nothing written unless every step succeeded, so registrations running at the same time
// leave the registry registered or unregistered, never half of each. A fault of the file
// itself is returned as the registry's result code with its text as error information.
template <class Step>
HRESULT inOneRegistryUpdate(Step step) {
  HRESULT hr = S_OK;
  const LONG rc = registryUpdate([&](RegistryStore&) {
    hr = forEachRegisteredClass(step);
    return SUCCEEDED(hr) ? ERROR_SUCCESS : ERROR_CANCELLED;
  });
  if (rc == ERROR_SUCCESS || (rc == ERROR_CANCELLED && FAILED(hr))) return hr;
  SetErrorInfoText(GUID_NULL, "VelDrive.Registration", RegLastErrorText());
  return hresultFromRegistryError(rc);
}

}  // namespace

HRESULT velRegisterServer() {
  return inOneRegistryUpdate([](const VelClassRecord& record) {
    HRESULT hr = velRegisterTable(record.registryTable, true);
    if (SUCCEEDED(hr) && record.safeForScripting) hr = velRegisterSafetyCategories(*record.clsid);
    return hr;
  });
}

HRESULT velUnregisterServer() {
  return inOneRegistryUpdate([](const VelClassRecord& record) {
    HRESULT hr = velUnregisterTable(record.registryTable, true);
    if (SUCCEEDED(hr) && record.safeForScripting) hr = velUnregisterSafetyCategories(*record.clsid);
    return hr;
  });
}
