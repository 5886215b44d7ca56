// The exported entry points of libVelDrive.so, the kernel's in-process automation server.
// Everything else in the library is hidden (see the version script beside this file).

#include "kernel/automation/registration.h"
#include "kernel/automation/type_library.h"
#include "kernel/automation/vel_entry_points.h"

#define VEL_EXPORT extern "C" __attribute__((visibility("default")))

VEL_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  return velGetClassObject(rclsid, riid, ppv);
}

VEL_EXPORT HRESULT DllCanUnloadNow() { return velCanUnloadNow(); }

VEL_EXPORT HRESULT DllRegisterServer() { return velRegisterServer(); }

VEL_EXPORT HRESULT DllUnregisterServer() { return velUnregisterServer(); }

// The library file's type-library resource: number 1 is the compiled-in description of the
// three interfaces (one reference for the caller); there are no others.
VEL_EXPORT ITypeLib* KinetraGetTypeLibResource(int id) {
  return id == 1 ? velDriveTypeLib() : nullptr;
}
