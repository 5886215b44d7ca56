#pragma once
// VelPersistImp: initialisation of a kernel object from a property bag. Its IUnknown
// belongs to the object it is part of.

#include "platform/com/interfaces.h"

class VelPersistImp : public IPersistPropertyBag2 {
 public:
  HRESULT GetClassID(CLSID* out) override;
  HRESULT InitNew() override;
  HRESULT Load(IPropertyBag2* bag, IErrorLog* errorLog) override;
  HRESULT Save(IPropertyBag2* bag, BOOL clearDirty, BOOL saveAll) override;
  HRESULT IsDirty() override;

 protected:
  VelPersistImp() = default;
  virtual ~VelPersistImp() = default;
};
