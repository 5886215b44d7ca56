#include "kernel/automation/vel_entry_points.h"

#include <mutex>
#include <new>
#include <string>

#include "kernel/automation/registration.h"
#include "kernel/automation/vel_factory.h"
#include "kernel/automation/vel_module.h"
#include "kernel/support/auxcom_messages.h"
#include "platform/com/bstr.h"
#include "platform/com/typelib.h"

namespace {

constexpr WORD kTypeLibMajor = 1;
constexpr WORD kTypeLibMinor = 0;
constexpr LCID kLanguageNeutral = 0;

// The type library from its file beside this library, registered; null on failure.
ITypeLib* loadFromFile() {
  const std::string path = velModuleSibling(velModule().typeLibFile);
  const std::u16string widePath = utf16FromUtf8(path);
  ITypeLib* lib = nullptr;
  if (FAILED(LoadTypeLib(widePath.c_str(), &lib)) || !lib) {
    reportError("LoadTypeLib of %s failed.", path.c_str());
    return nullptr;
  }
  const std::string folder = path.substr(0, path.rfind('/') + 1);
  if (FAILED(RegisterTypeLib(lib, widePath.c_str(), utf16FromUtf8(folder).c_str())))
    reportError("RegisterTypeLib of %s failed.", path.c_str());
  return lib;
}

}  // namespace

void velLoadTypeLib() {
  static std::once_flag once;
  std::call_once(once, [] {
    VelModule& module = velModule();
    if (module.typeLib) return;
    ITypeLib* lib = nullptr;
    if (FAILED(LoadRegTypeLib(*module.typeLibId, kTypeLibMajor, kTypeLibMinor, kLanguageNeutral,
                              &lib)))
      lib = nullptr;
    if (!lib) lib = loadFromFile();
    if (!lib) reportError("failed to load typelibrary from %s.", module.typeLibFile);
    module.typeLib = lib;  // kept for the life of the process
  });
}

HRESULT velGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
  velLoadTypeLib();
  const VelModule& module = velModule();
  for (int i = 0; i < module.classCount; ++i) {
    const VelClassRecord& record = module.classes[i];
    // Records without a creation function (segments) are never served, whatever is asked.
    if (!record.create || !record.clsid || *record.clsid != clsid) continue;
    return queryNewObject(new (std::nothrow) VelFactory(record), iid, out);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT velCanUnloadNow() {
  const VelModule& module = velModule();
  return module.objectCount == 0 && module.lockCount == 0 ? S_OK : S_FALSE;
}
