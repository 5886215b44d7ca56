#pragma once
// An object on the test's stack whose references the test watches: refs starts at 1 (the
// test's own) and nothing is deleted when it falls. It answers IUnknown and its own
// interface.

#include "platform/com/interfaces.h"

template <class I>
class Counted : public I {
 public:
  explicit Counted(const IID& own = IID_IUnknown) : own_(own) {}
  ULONG refs = 1;
  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (iid != IID_IUnknown && iid != own_) return *out = nullptr, E_NOINTERFACE;
    *out = this;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }

 private:
  IID own_;
};
