#include "kernel/automation/vel_factory.h"

HRESULT VelFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  // The segment record has no creation function: segments come from the drive server only.
  if (!record_.create) return CLASS_E_CLASSNOTAVAILABLE;
  // The new object has count 0: it is destroyed again when it does not answer riid.
  return queryNewObject(record_.create(), riid, ppv);
}

HRESULT VelFactory::LockServer(BOOL lock) {
  std::atomic<long>& count = velModule().lockCount;
  if (lock) {
    ++count;
    return S_OK;
  }
  // An unlock without a lock leaves the count at 0, so DllCanUnloadNow can still say S_OK.
  long n = count.load();
  while (n > 0 && !count.compare_exchange_weak(n, n - 1)) {
  }
  return S_OK;
}
