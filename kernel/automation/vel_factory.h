#pragma once
// VelFactory: the class factory that DllGetClassObject hands out for one class record.

#include "kernel/automation/vel_module.h"
#include "platform/com/ref_counted.h"

class VelFactory final : public RefCounted<Answers<IClassFactory, IID_IClassFactory>> {
 public:
  // A new factory with reference count 0; whoever creates it takes the first reference.
  explicit VelFactory(const VelClassRecord& record) : record_(record) {}

  // ---- IClassFactory
  // CLASS_E_NOAGGREGATION for an outer object; E_OUTOFMEMORY when the record's creation
  // function made nothing; CLASS_E_CLASSNOTAVAILABLE for a record without one; else the new
  // object's QueryInterface(riid, ppv) (the object is destroyed when that fails).
  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
  // Raises (lock non-zero) or lowers the module's lock count.
  HRESULT LockServer(BOOL lock) override;

 private:
  ~VelFactory() override = default;

  const VelClassRecord& record_;
};
