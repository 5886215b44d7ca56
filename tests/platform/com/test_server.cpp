// A minimal in-process server: one class (TestCounter) with one interface, its class
// factory, and the exports class activation calls. Built only for the tests.

#include "tests/platform/com/test_server.h"

#include <atomic>
#include <new>

namespace {

std::atomic<LONG> gObjects{0};
std::atomic<LONG> gLocks{0};

// Reference counting shared by the two classes; the count starts at 0.
template <class Ifc>
class Counted : public Ifc {
 public:
  Counted() { ++gObjects; }
  virtual ~Counted() { --gObjects; }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid != IID_IUnknown && riid != ownIid()) return *ppv = nullptr, E_NOINTERFACE;
    *ppv = static_cast<Ifc*>(this);
    AddRef();
    return S_OK;
  }

 private:
  virtual const IID& ownIid() const = 0;
  std::atomic<ULONG> refs_{0};
};

class TestCounter final : public Counted<ITestCounter> {
 public:
  HRESULT get_value(LONG* value) override { return value ? (*value = value_, S_OK) : E_POINTER; }
  HRESULT put_value(LONG value) override { return value_ = value, S_OK; }

 private:
  const IID& ownIid() const override { return IID_ITestCounter; }
  LONG value_ = 0;
};

class Factory final : public Counted<IClassFactory> {
 public:
  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* object = new (std::nothrow) TestCounter;
    if (!object) return E_OUTOFMEMORY;
    object->AddRef();
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
  }
  HRESULT LockServer(BOOL lock) override {
    lock ? ++gLocks : --gLocks;
    return S_OK;
  }

 private:
  const IID& ownIid() const override { return IID_IClassFactory; }
};

}  // namespace

extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(REFCLSID clsid,
                                                                            REFIID riid,
                                                                            void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (clsid != CLSID_TestCounter) return CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new (std::nothrow) Factory;
  if (!factory) return E_OUTOFMEMORY;
  factory->AddRef();
  const HRESULT hr = factory->QueryInterface(riid, ppv);
  factory->Release();
  return hr;
}

extern "C" __attribute__((visibility("default"))) HRESULT DllCanUnloadNow() {
  return gObjects == 0 && gLocks == 0 ? S_OK : S_FALSE;
}

extern "C" __attribute__((visibility("default"))) LONG TestServerObjectCount() { return gObjects; }
