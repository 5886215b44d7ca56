#pragma once
// VelBaseImp<Ifc>: the automation plumbing every kernel object is built on. It gives the
// object its reference count, its share of the library's object count, the interface
// list of QueryInterface, ISupportErrorInfo and the kernel-internal IVelBase.

#include <atomic>

#include "kernel/automation/vel_dispatch.h"
#include "kernel/automation/vel_module.h"
#include "kernel/automation/veldrive_interfaces.h"

struct IVelBase : IUnknown {
  // The class identifier of the object's class record.
  virtual const CLSID* classId() = 0;
  // The type description of the class's default interface, loaded on first use.
  virtual ITypeInfo* typeInfo() = 0;
  virtual HRESULT init() = 0;
};

// Which class record belongs to an interface.
template <class Ifc>
struct VelClassOf;
template <>
struct VelClassOf<IVelDriveSeg> {
  static constexpr VelClassIndex index = kVelClassSeg;
};
template <>
struct VelClassOf<IVelDrive> {
  static constexpr VelClassIndex index = kVelClassDrive;
};
template <>
struct VelClassOf<IVelDriveServer> {
  static constexpr VelClassIndex index = kVelClassServer;
};

template <class Ifc>
class VelBaseImp : public Ifc, public ISupportErrorInfo, public IVelBase {
 public:
  VelBaseImp(const VelBaseImp&) = delete;
  VelBaseImp& operator=(const VelBaseImp&) = delete;

  // ---- IUnknown
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    IUnknown* found = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IDispatchEx ||
        riid == *record().defaultIid) {
      found = static_cast<Ifc*>(this);
    } else if (riid == IID_ISupportErrorInfo) {
      found = static_cast<ISupportErrorInfo*>(this);
    } else if (riid == IID_IPersist || riid == IID_IPersistPropertyBag2) {
      // The persistence base is a sibling of this one in the complete object.
      found = dynamic_cast<IPersistPropertyBag2*>(static_cast<IVelBase*>(this));
    }
    if (!found) return E_NOINTERFACE;
    found->AddRef();
    *ppv = found;
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }

  // ---- IDispatch and IDispatchEx: late-bound calls through the class's member table and
  // the type description of its default interface (kernel/automation/vel_dispatch.h).
  HRESULT GetTypeInfoCount(UINT* count) override {
    if (!count) return E_INVALIDARG;
    *count = 1;
    return S_OK;
  }
  HRESULT GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
    return velGetTypeInfo(record(), index, out);
  }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    return velGetIDsOfNames(record(), names, count, ids);
  }
  HRESULT Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* excepinfo, UINT* argErr) override {
    return velInvoke(record(), static_cast<Ifc*>(this), id, iid, lcid, flags, params, result,
                     excepinfo, argErr);
  }
  HRESULT GetDispID(BSTR name, DWORD grfdex, DISPID* id) override {
    return velGetDispID(record(), velBstrView(name), grfdex, id);
  }
  HRESULT InvokeEx(DISPID id, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excepinfo, IServiceProvider*) override {
    return velInvokeEx(record(), static_cast<Ifc*>(this), id, lcid, flags, params, result,
                       excepinfo, nullptr);
  }
  HRESULT DeleteMemberByName(BSTR name, DWORD) override {
    return velDeleteMemberByName(record(), velBstrView(name));
  }
  HRESULT DeleteMemberByDispID(DISPID id) override { return velDeleteMemberByDispID(record(), id); }
  // Every member can be got, put, put by reference, called, constructed and source events.
  HRESULT GetMemberProperties(DISPID, DWORD, DWORD* props) override {
    if (!props) return E_INVALIDARG;
    *props = fdexPropCanGet | fdexPropCanPut | fdexPropCanPutRef | fdexPropCanCall |
             fdexPropCanConstruct | fdexPropCanSourceEvents;
    return S_OK;
  }
  HRESULT GetMemberName(DISPID id, BSTR* name) override {
    return velGetMemberName(record(), id, name);
  }
  HRESULT GetNextDispID(DWORD, DISPID id, DISPID* next) override {
    return velGetNextDispID(record(), id, next);
  }
  HRESULT GetNameSpaceParent(IUnknown** parent) override { return velGetNameSpaceParent(parent); }

  // ---- ISupportErrorInfo
  HRESULT InterfaceSupportsErrorInfo(REFIID riid) override {
    return riid == *record().defaultIid ? S_OK : S_FALSE;
  }

  // ---- IVelBase
  const CLSID* classId() override { return record().clsid; }
  ITypeInfo* typeInfo() override { return velClassTypeInfo(record()); }
  HRESULT init() override {
    typeInfo();
    return S_OK;
  }

  virtual ~VelBaseImp() { --velModule().objectCount; }

 protected:
  VelBaseImp() { ++velModule().objectCount; }
  static VelClassRecord& record() {
    static VelClassRecord& r = velClassRecord(VelClassOf<Ifc>::index);  // looked up once
    return r;
  }

 private:
  std::atomic<ULONG> refs_{0};
};

// The concrete classes derive from several IUnknown bases; these forwarders give each
// method one final overrider and make unqualified calls unambiguous.
#define VEL_FORWARD_IUNKNOWN(Base)                           \
  HRESULT QueryInterface(REFIID riid, void** ppv) override { \
    return Base::QueryInterface(riid, ppv);                  \
  }                                                          \
  ULONG AddRef() override { return Base::AddRef(); }         \
  ULONG Release() override { return Base::Release(); }
