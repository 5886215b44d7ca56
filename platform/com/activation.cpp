#include "platform/com/activation.h"

#include <dlfcn.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <new>
#include <vector>

#include "platform/com/categories.h"
#include "platform/com/errorinfo.h"
#include "platform/com/registry.h"
#include "platform/com/text_case.h"

namespace {

constexpr std::string_view kErrorSource = "Kinetra.ClassActivation";
constexpr std::string_view kClassesRoot = "HKEY_CLASSES_ROOT\\";

thread_local int tlsInitCount = 0;

HRESULT fail(HRESULT hr, const std::string& text) {
  SetErrorInfoText(GUID_NULL, kErrorSource, text);
  return hr;
}

HRESULT registryFailure(LONG rc) {
  return fail(hresultFromRegistryError(rc), "cannot read the registry: " + RegLastErrorText());
}

// The default value of a key below HKEY_CLASSES_ROOT; nullopt when the key or value is
// missing, *rc the registry's fault otherwise.
std::optional<std::string> classesValue(const std::string& key, LONG* rc) {
  std::string text;
  *rc = registryRead([&](const RegistryStore& store) {
    return store.queryValue(std::string(kClassesRoot) + key, "", &text);
  });
  if (*rc == ERROR_FILE_NOT_FOUND || *rc == ERROR_INVALID_PARAMETER) {
    *rc = ERROR_SUCCESS;
    return std::nullopt;
  }
  if (*rc != ERROR_SUCCESS) return std::nullopt;
  return text;
}

bool endsWithNoCase(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && equalsNoCase(s.substr(s.size() - tail.size()), tail);
}

std::string programFolder() {
  std::vector<char> buf(4096);
  const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return {};
  std::string exe(buf.data(), static_cast<std::size_t>(n));
  const auto slash = exe.rfind('/');
  return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}

// Libraries opened so far, by the name they were asked for; they stay loaded.
std::mutex gLibrariesMutex;
std::map<std::string, void*>& openLibraries() {
  static auto* libraries = new std::map<std::string, void*>;  // outlives static destruction
  return *libraries;
}

void* openLibrary(const std::string& fileName, std::string* error) {
  // A registration written for the original platform names "X.dll"; here it is libX.so.
  std::vector<std::string> names{fileName};
  if (endsWithNoCase(fileName, ".dll")) {
    const auto slash = fileName.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : fileName.substr(0, slash + 1);
    const std::string base = fileName.substr(folder.size());
    names.push_back(folder + "lib" + base.substr(0, base.size() - 4) + ".so");
  }
  std::string firstError;
  for (const auto& name : names) {
    std::vector<std::string> tries{name};
    if (name.find('/') == std::string::npos) {
      const std::string folder = programFolder();
      if (!folder.empty()) tries.push_back(folder + "/" + name);
    }
    for (const auto& path : tries) {
      if (void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) return handle;
      if (firstError.empty()) {
        const char* why = ::dlerror();
        firstError = why ? why : "unknown loader error";
      }
    }
  }
  *error = "cannot load the server library \"" + fileName + "\": " + firstError;
  return nullptr;
}

// The component-categories manager is part of this subset, not of a server library.
class BuiltinFactory final : public IClassFactory {
 public:
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) return *ppv = nullptr, E_NOINTERFACE;
    *ppv = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  ULONG AddRef() override { return 1; }  // lives as long as the program
  ULONG Release() override { return 1; }
  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return createCategoryManager(riid, ppv);
  }
  HRESULT LockServer(BOOL) override { return S_OK; }
};

}  // namespace

HRESULT CoInitialize(LPVOID reserved) { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }

HRESULT CoInitializeEx(LPVOID, DWORD) { return tlsInitCount++ == 0 ? S_OK : S_FALSE; }

void CoUninitialize() {
  if (tlsInitCount > 0) --tlsInitCount;
}

HRESULT CLSIDFromProgID(std::string_view progId, CLSID* clsid) {
  if (!clsid) return E_INVALIDARG;
  *clsid = GUID_NULL;
  if (progId.empty() || progId.find('\\') != std::string_view::npos) return CO_E_CLASSSTRING;
  try {
    LONG rc;
    std::string name(progId);
    auto text = classesValue(name + "\\CLSID", &rc);
    if (!text && rc == ERROR_SUCCESS) {
      // A version-independent ProgID names its current version.
      if (const auto current = classesValue(name + "\\CurVer", &rc);
          current && !current->empty() && current->find('\\') == std::string::npos)
        text = classesValue(*current + "\\CLSID", &rc);
    }
    if (rc != ERROR_SUCCESS) return registryFailure(rc);
    if (!text) return fail(CO_E_CLASSSTRING, "the ProgID \"" + name + "\" is not registered");
    const auto guid = guidFromString(*text);
    if (!guid)
      return fail(CO_E_CLASSSTRING, "the ProgID \"" + name + "\" names no valid class identifier");
    *clsid = *guid;
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid) {
  if (!progId) return E_INVALIDARG;
  try {
    return CLSIDFromProgID(std::string_view(utf8FromOleStr(progId)), clsid);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* progId) {
  if (!progId) return E_INVALIDARG;
  *progId = nullptr;
  try {
    LONG rc;
    const auto text = classesValue("CLSID\\" + guidToString(clsid) + "\\ProgID", &rc);
    if (rc != ERROR_SUCCESS) return registryFailure(rc);
    if (!text) return REGDB_E_CLASSNOTREG;
    const std::u16string wide = utf16FromUtf8(*text);
    auto* out = static_cast<LPOLESTR>(CoTaskMemAlloc((wide.size() + 1) * sizeof(OLECHAR)));
    if (!out) return E_OUTOFMEMORY;
    std::copy(wide.begin(), wide.end(), out);
    out[wide.size()] = 0;
    *progId = out;
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

void* loadServerLibrary(std::string_view fileName, std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  try {
    const std::string name(fileName);
    if (name.empty()) return *error = "no server library named", nullptr;
    std::lock_guard<std::mutex> lock(gLibrariesMutex);
    auto& libraries = openLibraries();
    if (const auto it = libraries.find(name); it != libraries.end()) return it->second;
    void* handle = openLibrary(name, error);
    if (handle) libraries.emplace(name, handle);
    return handle;
  } catch (const std::bad_alloc&) {
    *error = "out of memory";
    return nullptr;
  }
}

HRESULT CoGetClassObject(REFCLSID rclsid, DWORD clsctx, LPVOID, REFIID riid, LPVOID* ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (rclsid == CLSID_StdComponentCategoriesMgr) {
    static BuiltinFactory factory;
    return factory.QueryInterface(riid, ppv);
  }
  try {
    const std::string clsidText = guidToString(rclsid);
    if (!(clsctx & CLSCTX_INPROC_SERVER))
      return fail(REGDB_E_CLASSNOTREG,
                  "the class " + clsidText + " can only be created in process");
    LONG rc;
    const auto library = classesValue("CLSID\\" + clsidText + "\\InprocServer32", &rc);
    if (rc != ERROR_SUCCESS) return registryFailure(rc);
    if (!library) return fail(REGDB_E_CLASSNOTREG, "the class " + clsidText + " is not registered");
    std::string error;
    void* handle = loadServerLibrary(*library, &error);
    if (!handle) return fail(CO_E_DLLNOTFOUND, error);
    auto getClassObject =
        reinterpret_cast<DllGetClassObjectFn>(::dlsym(handle, "DllGetClassObject"));
    if (!getClassObject)
      return fail(CO_E_ERRORINDLL,
                  "the server library \"" + *library + "\" exports no DllGetClassObject");
    return getClassObject(rclsid, riid, ppv);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* outer, DWORD clsctx, REFIID riid, LPVOID* ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  IClassFactory* factory = nullptr;
  HRESULT hr = CoGetClassObject(rclsid, clsctx, nullptr, IID_IClassFactory,
                                reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  if (!factory) return E_UNEXPECTED;
  hr = factory->CreateInstance(outer, riid, ppv);
  factory->Release();
  if (FAILED(hr)) *ppv = nullptr;
  return hr;
}

void CoFreeUnusedLibraries() {
  std::lock_guard<std::mutex> lock(gLibrariesMutex);
  auto& libraries = openLibraries();
  for (auto it = libraries.begin(); it != libraries.end();) {
    auto canUnload = reinterpret_cast<DllCanUnloadNowFn>(::dlsym(it->second, "DllCanUnloadNow"));
    if (canUnload && canUnload() == S_OK) {
      ::dlclose(it->second);
      it = libraries.erase(it);
    } else {
      ++it;
    }
  }
}
