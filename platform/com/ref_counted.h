#pragma once
// RefCounted: reference counting and QueryInterface for an in-process object, written once.
// The object lists the interfaces it derives from, each with the identifiers it answers to;
// IUnknown is answered by the first interface. The count starts at 0 and the object deletes
// itself when the last reference goes.
//
//   class ErrorInfo final : public RefCounted<Answers<IErrorInfo, IID_IErrorInfo>,
//                                             Answers<ICreateErrorInfo, IID_ICreateErrorInfo>> {
//     ...
//   };
//   return queryNewObject(new (std::nothrow) ErrorInfo, riid, out);

#include <atomic>

#include "platform/com/com_ptr.h"
#include "platform/com/interfaces.h"

// One interface of a RefCounted object and the identifiers QueryInterface hands it out for
// (a dual interface answers IDispatch as well as its own identifier).
template <class I, const IID&... Ids>
struct Answers {
  using Interface = I;
  static bool answers(REFIID riid) { return ((riid == Ids) || ...); }
};

template <class First, class... Rest>
class RefCounted : public First::Interface, public Rest::Interface... {
 public:
  RefCounted(const RefCounted&) = delete;
  RefCounted& operator=(const RefCounted&) = delete;

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown) {
      *ppv = static_cast<typename First::Interface*>(this);
    } else {
      // The first listed interface that answers riid.
      (void)(tryAnswer<First>(riid, ppv) || ... || tryAnswer<Rest>(riid, ppv));
    }
    if (!*ppv) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  RefCounted() = default;
  virtual ~RefCounted() = default;

 private:
  template <class Entry>
  bool tryAnswer(REFIID riid, void** ppv) {
    if (!Entry::answers(riid)) return false;
    *ppv = static_cast<typename Entry::Interface*>(this);
    return true;
  }

  std::atomic<ULONG> refs_{0};
};

// Hands out interface riid of a newly made object whose count is still 0. The object is
// destroyed again when it does not answer riid; a null object (allocation failed) gives
// E_OUTOFMEMORY.
template <class T>
HRESULT queryNewObject(T* object, REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!object) return E_OUTOFMEMORY;
  const ComPtr<T> hold(object);  // the first reference, given back on the way out
  return object->QueryInterface(riid, out);
}
