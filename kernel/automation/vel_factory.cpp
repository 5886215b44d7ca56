#include "kernel/automation/vel_factory.h"

HRESULT VelFactory::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
  AddRef();
  *ppv = static_cast<IClassFactory*>(this);
  return S_OK;
}

ULONG VelFactory::AddRef() { return ++refs_; }

ULONG VelFactory::Release() {
  const ULONG n = --refs_;
  if (n == 0) delete this;
  return n;
}

HRESULT VelFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  // The segment record has no creation function: segments come from the drive server only.
  if (!record_.create) return CLASS_E_CLASSNOTAVAILABLE;
  IUnknown* object = record_.create();
  if (!object) return E_OUTOFMEMORY;
  // The new object has count 0: a reference held across QueryInterface destroys it again
  // when the interface is not answered.
  object->AddRef();
  const HRESULT hr = object->QueryInterface(riid, ppv);
  object->Release();
  return hr;
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
