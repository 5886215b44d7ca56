#include "kernel/automation/vel_persist.h"

#include "kernel/automation/vel_base.h"

HRESULT VelPersistImp::GetClassID(CLSID* out) {
  if (!out) return E_POINTER;
  IVelBase* base = dynamic_cast<IVelBase*>(this);
  *out = base && base->classId() ? *base->classId() : CLSID_NULL;
  return S_OK;
}

HRESULT VelPersistImp::InitNew() { return S_OK; }

HRESULT VelPersistImp::Load(IPropertyBag2*, IErrorLog*) { return E_NOTIMPL; }

HRESULT VelPersistImp::Save(IPropertyBag2*, BOOL, BOOL) { return S_OK; }

HRESULT VelPersistImp::IsDirty() { return S_FALSE; }
