// A minimal in-process server: one class (TestCounter) with one interface, its class
// factory, and the exports class activation calls. Built only for the tests.

#include "tests/platform/com/test_server.h"

#include <atomic>
#include <new>

#include "platform/com/ref_counted.h"

namespace {

std::atomic<LONG> gObjects{0};
std::atomic<LONG> gLocks{0};

// Every object of the server counts itself live while it exists.
struct Live {
  Live() { ++gObjects; }
  ~Live() { --gObjects; }
};

class TestCounter final : public RefCounted<Answers<ITestCounter, IID_ITestCounter>> {
 public:
  HRESULT get_value(LONG* value) override { return value ? (*value = value_, S_OK) : E_POINTER; }
  HRESULT put_value(LONG value) override { return value_ = value, S_OK; }

 private:
  Live live_;
  LONG value_ = 0;
};

class Factory final : public RefCounted<Answers<IClassFactory, IID_IClassFactory>> {
 public:
  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return queryNewObject(new (std::nothrow) TestCounter, riid, ppv);
  }
  HRESULT LockServer(BOOL lock) override {
    lock ? ++gLocks : --gLocks;
    return S_OK;
  }

 private:
  Live live_;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(REFCLSID clsid,
                                                                            REFIID riid,
                                                                            void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (clsid != CLSID_TestCounter) return CLASS_E_CLASSNOTAVAILABLE;
  return queryNewObject(new (std::nothrow) Factory, riid, ppv);
}

extern "C" __attribute__((visibility("default"))) HRESULT DllCanUnloadNow() {
  return gObjects == 0 && gLocks == 0 ? S_OK : S_FALSE;
}

extern "C" __attribute__((visibility("default"))) LONG TestServerObjectCount() { return gObjects; }
