// Loading type libraries from library files and recording them in the registry.
//   HKCR\TypeLib\{libid}\<major.minor>            = help text
//                            \0\linux64           = full path of the library file
//                            \FLAGS               = "0"
//                            \HELPDIR             = help folder
//   HKCR\Interface\{iid}                          = interface name
//                        \ProxyStubClsid32        = automation marshaller
//                        \TypeLib                 = {libid}, value Version = major.minor

#include <dlfcn.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/com/activation.h"
#include "platform/com/registry.h"
#include "platform/com/typelib.h"

namespace {

const std::string kTypeLibRoot = "HKEY_CLASSES_ROOT\\TypeLib\\";
const std::string kInterfaceRoot = "HKEY_CLASSES_ROOT\\Interface\\";

std::string hexText(unsigned value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%x", value);
  return buf;
}
std::string versionText(WORD major, WORD minor) { return hexText(major) + "." + hexText(minor); }
std::string versionKey(REFGUID libid, WORD major, WORD minor) {
  return kTypeLibRoot + guidToString(libid) + "\\" + versionText(major, minor);
}

const char* platformName(SYSKIND syskind) {
  switch (syskind) {
    case SYS_WIN16: return "win16";
    case SYS_WIN32: return "win32";
    case SYS_MAC: return "mac";
    case SYS_WIN64: return kTypeLibPlatformKey;
  }
  return kTypeLibPlatformKey;
}

HRESULT registryResult(LONG rc) {
  if (rc == ERROR_SUCCESS) return S_OK;
  return TYPE_E_REGISTRYACCESS;
}

LONG removeIfThere(RegistryStore& store, const std::string& path) {
  const LONG rc = store.deleteTree(path);
  return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
}

// Creates the key when needed and sets one of its values.
LONG put(RegistryStore& store, const std::string& key, std::string_view name,
         std::string_view value) {
  const LONG rc = store.createKey(key);
  return rc == ERROR_SUCCESS ? store.setValue(key, name, value) : rc;
}

bool hasSubKeys(const RegistryStore& store, const std::string& path) {
  std::vector<std::string> names;
  return store.subKeys(path, &names) == ERROR_SUCCESS && !names.empty();
}

std::string folderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

HRESULT LoadTypeLib(LPCOLESTR file, ITypeLib** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (!file || !*file) return E_INVALIDARG;
  std::string error;
  void* library = loadServerLibrary(utf8FromOleStr(file), &error);
  if (!library) return TYPE_E_CANTLOADLIBRARY;
  auto resource =
      reinterpret_cast<KinetraGetTypeLibResourceFn>(::dlsym(library, kTypeLibResourceExport));
  if (!resource) return TYPE_E_INVDATAREAD;
  *out = resource(kTypeLibResourceId);
  return *out ? S_OK : TYPE_E_INVDATAREAD;
}

HRESULT LoadRegTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid, ITypeLib** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  const std::string base = versionKey(libid, major, minor);
  std::string path;
  const LONG rc = registryRead([&](const RegistryStore& store) {
    LONG r = store.queryValue(base + "\\" + hexText(lcid) + "\\" + kTypeLibPlatformKey, "", &path);
    if (r == ERROR_FILE_NOT_FOUND && lcid != 0)
      r = store.queryValue(base + "\\0\\" + kTypeLibPlatformKey, "", &path);
    return r;
  });
  if (rc == ERROR_FILE_NOT_FOUND || rc == ERROR_INVALID_PARAMETER ||
      (rc == ERROR_SUCCESS && path.empty()))
    return TYPE_E_LIBNOTREGISTERED;
  if (rc != ERROR_SUCCESS) return TYPE_E_REGISTRYACCESS;
  const std::u16string wide = utf16FromUtf8(path);
  return LoadTypeLib(wide.c_str(), out);
}

HRESULT RegisterTypeLib(ITypeLib* lib, LPCOLESTR fullPath, LPCOLESTR helpDir) {
  if (!lib || !fullPath || !*fullPath) return E_INVALIDARG;
  TLIBATTR* attr = nullptr;
  HRESULT hr = lib->GetLibAttr(&attr);
  if (FAILED(hr)) return hr;
  const TLIBATTR a = *attr;
  lib->ReleaseTLibAttr(attr);
  BSTR helpText = nullptr;
  lib->GetDocumentation(-1, nullptr, &helpText, nullptr, nullptr);
  const std::string help = utf8FromBstr(helpText);
  SysFreeString(helpText);
  const std::string path = utf8FromOleStr(fullPath);
  const std::string helpFolder = helpDir ? utf8FromOleStr(helpDir) : folderOf(path);
  const std::string libidText = guidToString(a.guid);
  const std::string version = versionText(a.wMajorVerNum, a.wMinorVerNum);

  // The interfaces to record: every interface description with its name.
  struct Ifc {
    std::string iid, name;
  };
  std::vector<Ifc> interfaces;
  const UINT count = lib->GetTypeInfoCount();
  for (UINT i = 0; i < count; ++i) {
    TYPEKIND kind;
    if (FAILED(lib->GetTypeInfoType(i, &kind)) ||
        (kind != TKIND_DISPATCH && kind != TKIND_INTERFACE))
      continue;
    ITypeInfo* info = nullptr;
    if (FAILED(lib->GetTypeInfo(i, &info))) continue;
    TYPEATTR* ta = nullptr;
    BSTR name = nullptr;
    if (SUCCEEDED(info->GetTypeAttr(&ta))) {
      info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
      interfaces.push_back({guidToString(ta->guid), utf8FromBstr(name)});
      info->ReleaseTypeAttr(ta);
    }
    SysFreeString(name);
    info->Release();
  }

  const std::string base = versionKey(a.guid, a.wMajorVerNum, a.wMinorVerNum);
  const LONG rc = registryUpdate([&](RegistryStore& store) {
    // This system's libraries hold one language each; they are recorded language-neutral.
    LONG r = put(store, base, "", help);
    if (r == ERROR_SUCCESS) r = put(store, base + "\\0\\" + kTypeLibPlatformKey, "", path);
    if (r == ERROR_SUCCESS) r = put(store, base + "\\FLAGS", "", "0");
    if (r == ERROR_SUCCESS) r = put(store, base + "\\HELPDIR", "", helpFolder);
    for (const Ifc& i : interfaces) {
      const std::string key = kInterfaceRoot + i.iid;
      if (r == ERROR_SUCCESS) r = put(store, key, "", i.name);
      if (r == ERROR_SUCCESS)
        r = put(store, key + "\\ProxyStubClsid32", "", guidToString(CLSID_PSOAInterface));
      if (r == ERROR_SUCCESS) r = put(store, key + "\\TypeLib", "", libidText);
      if (r == ERROR_SUCCESS) r = put(store, key + "\\TypeLib", "Version", version);
    }
    return r;
  });
  return registryResult(rc);
}

HRESULT UnRegisterTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid, SYSKIND syskind) {
  const std::string libKey = kTypeLibRoot + guidToString(libid);
  const std::string base = versionKey(libid, major, minor);
  const std::string version = versionText(major, minor);
  const std::string libidText = guidToString(libid);
  bool registered = true;
  const LONG rc = registryUpdate([&](RegistryStore& store) {
    if (!store.keyExists(base)) {
      registered = false;
      return ERROR_SUCCESS;
    }
    // The platform key under the asked language and under the neutral one it is recorded with.
    for (const std::string& language : {hexText(lcid), std::string("0")}) {
      const std::string languageKey = base + "\\" + language;
      LONG r = removeIfThere(store, languageKey + "\\" + platformName(syskind));
      if (r != ERROR_SUCCESS) return r;
      if (store.keyExists(languageKey) && !hasSubKeys(store, languageKey)) {
        r = removeIfThere(store, languageKey);
        if (r != ERROR_SUCCESS) return r;
      }
    }
    // The version goes once no language is left under it (FLAGS and HELPDIR aside).
    std::vector<std::string> subs;
    store.subKeys(base, &subs);
    bool languageLeft = false;
    for (const std::string& s : subs)
      if (s != "FLAGS" && s != "HELPDIR") languageLeft = true;
    if (!languageLeft) {
      LONG r = removeIfThere(store, base);
      if (r != ERROR_SUCCESS) return r;
      if (store.keyExists(libKey) && !hasSubKeys(store, libKey)) {
        r = removeIfThere(store, libKey);
        if (r != ERROR_SUCCESS) return r;
      }
      // The interfaces that name this library version.
      std::vector<std::string> iids;
      store.subKeys("HKEY_CLASSES_ROOT\\Interface", &iids);
      for (const std::string& iid : iids) {
        const std::string key = kInterfaceRoot + iid;
        std::string owner, ownerVersion;
        if (store.queryValue(key + "\\TypeLib", "", &owner) != ERROR_SUCCESS) continue;
        store.queryValue(key + "\\TypeLib", "Version", &ownerVersion);
        if (guidFromString(owner) != guidFromString(libidText) || ownerVersion != version) continue;
        r = removeIfThere(store, key);
        if (r != ERROR_SUCCESS) return r;
      }
    }
    return ERROR_SUCCESS;
  });
  if (rc != ERROR_SUCCESS) return TYPE_E_REGISTRYACCESS;
  return registered ? S_OK : TYPE_E_LIBNOTREGISTERED;
}
