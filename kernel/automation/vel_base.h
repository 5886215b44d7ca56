#pragma once
// VelBaseImp<Ifc>: the automation plumbing every kernel object is built on. It gives the
// object its reference count, its share of the library's object count, the interface
// list of QueryInterface, ISupportErrorInfo and the kernel-internal IVelBase.

#include <atomic>

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
template <class Ifc> struct VelClassOf;
template <> struct VelClassOf<IVelDriveSeg> { static constexpr VelClassIndex index = kVelClassSeg; };
template <> struct VelClassOf<IVelDrive> { static constexpr VelClassIndex index = kVelClassDrive; };
template <> struct VelClassOf<IVelDriveServer> {
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

  // ---- IDispatch and IDispatchEx: late-bound calls are not served yet.
  HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
  HRESULT GetDispID(BSTR, DWORD, DISPID*) override { return E_NOTIMPL; }
  HRESULT InvokeEx(DISPID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                   IServiceProvider*) override {
    return E_NOTIMPL;
  }
  HRESULT DeleteMemberByName(BSTR, DWORD) override { return E_NOTIMPL; }
  HRESULT DeleteMemberByDispID(DISPID) override { return E_NOTIMPL; }
  HRESULT GetMemberProperties(DISPID, DWORD, DWORD*) override { return E_NOTIMPL; }
  HRESULT GetMemberName(DISPID, BSTR*) override { return E_NOTIMPL; }
  HRESULT GetNextDispID(DWORD, DISPID, DISPID*) override { return E_NOTIMPL; }
  HRESULT GetNameSpaceParent(IUnknown**) override { return E_NOTIMPL; }

  // ---- ISupportErrorInfo
  HRESULT InterfaceSupportsErrorInfo(REFIID riid) override {
    return riid == *record().defaultIid ? S_OK : S_FALSE;
  }

  // ---- IVelBase
  const CLSID* classId() override { return record().clsid; }
  ITypeInfo* typeInfo() override { return record().typeInfo; }
  HRESULT init() override {
    typeInfo();
    return S_OK;
  }

  virtual ~VelBaseImp() { --velModule().objectCount; }

 protected:
  VelBaseImp() { ++velModule().objectCount; }
  static VelClassRecord& record() { return velClassRecord(VelClassOf<Ifc>::index); }

 private:
  std::atomic<ULONG> refs_{0};
};

// The concrete classes derive from several IUnknown bases; these forwarders give each
// method one final overrider and make unqualified calls unambiguous.
#define VEL_FORWARD_IUNKNOWN(Base)                                             \
  HRESULT QueryInterface(REFIID riid, void** ppv) override {                   \
    return Base::QueryInterface(riid, ppv);                                    \
  }                                                                            \
  ULONG AddRef() override { return Base::AddRef(); }                           \
  ULONG Release() override { return Base::Release(); }
