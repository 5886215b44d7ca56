#include "platform/com/typelib.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/activation.h"
#include "platform/com/dispid_index.h"
#include "platform/com/ref_counted.h"
#include "platform/com/text_case.h"
#include "platform/com/typelib_call.h"

namespace {

// Size of the IDispatchEx part of a dual interface's virtual table (3 + 4 + 8 entries).
constexpr int kDispatchExSlots = 15;

// A UTF-16 name against a description's name (ASCII), ignoring case; no name matches none.
bool sameNameNoCase(std::u16string_view a, const char* b) { return b && equalsNoCase(a, b); }

std::u16string_view oleView(LPCOLESTR s) {
  return s ? std::u16string_view(s) : std::u16string_view();
}

HRESULT giveText(const char* text, BSTR* out) {
  if (!out) return S_OK;
  *out = text ? SysAllocStringUtf8(text) : nullptr;
  return !text || *out ? S_OK : E_OUTOFMEMORY;
}

class TypeLibImp;

// The type description of one interface or coclass. Its reference count is its library's:
// a type description keeps its library alive and the other way round.
class TypeInfoImp final : public ITypeInfo {
 public:
  TypeInfoImp(TypeLibImp* lib, UINT index, const TypeLibInterfaceDesc* ifc,
              const TypeLibCoclassDesc* coclass);
  void link();  // resolves the base interface once every type description exists

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_ITypeInfo) return E_NOINTERFACE;
    AddRef();
    *ppv = static_cast<ITypeInfo*>(this);
    return S_OK;
  }
  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT GetTypeAttr(TYPEATTR** out) override {
    if (!out) return E_INVALIDARG;
    *out = &attr_;
    return S_OK;
  }
  HRESULT GetTypeComp(ITypeComp** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT GetFuncDesc(UINT index, FUNCDESC** out) override {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (index >= funcs_.size()) return TYPE_E_ELEMENTNOTFOUND;
    *out = &funcs_[index].desc;
    return S_OK;
  }
  HRESULT GetVarDesc(UINT, VARDESC** out) override {
    if (out) *out = nullptr;
    return TYPE_E_ELEMENTNOTFOUND;
  }
  HRESULT GetNames(MEMBERID memid, BSTR* names, UINT maxNames, UINT* count) override;
  HRESULT GetRefTypeOfImplType(UINT index, HREFTYPE* out) override {
    if (!out) return E_INVALIDARG;
    if (index >= attr_.cImplTypes) return TYPE_E_ELEMENTNOTFOUND;
    *out = implRef_;
    return S_OK;
  }
  HRESULT GetImplTypeFlags(UINT index, INT* out) override {
    if (!out) return E_INVALIDARG;
    if (index >= attr_.cImplTypes) return TYPE_E_ELEMENTNOTFOUND;
    *out = coclass_ ? 1 /* IMPLTYPEFLAG_FDEFAULT */ : 0;
    return S_OK;
  }
  HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) override;
  HRESULT Invoke(PVOID instance, MEMBERID memid, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* excepinfo, UINT* argErr) override;
  HRESULT GetDocumentation(MEMBERID memid, BSTR* name, BSTR* doc, DWORD* helpContext,
                           BSTR* helpFile) override;
  HRESULT GetDllEntry(MEMBERID, INVOKEKIND, BSTR*, BSTR*, WORD*) override {
    return TYPE_E_BADMODULEKIND;
  }
  HRESULT GetRefTypeInfo(HREFTYPE ref, ITypeInfo** out) override;
  HRESULT AddressOfMember(MEMBERID, INVOKEKIND, PVOID* out) override {
    if (out) *out = nullptr;
    return TYPE_E_BADMODULEKIND;
  }
  HRESULT CreateInstance(IUnknown* outer, REFIID riid, PVOID* out) override {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (!coclass_) return TYPE_E_WRONGTYPEKIND;
    return CoCreateInstance(*coclass_->clsid, outer, CLSCTX_INPROC_SERVER, riid, out);
  }
  HRESULT GetMops(MEMBERID, BSTR* out) override {
    if (out) *out = nullptr;
    return S_OK;
  }
  HRESULT GetContainingTypeLib(ITypeLib** lib, UINT* index) override;
  void ReleaseTypeAttr(TYPEATTR*) override {}
  void ReleaseFuncDesc(FUNCDESC*) override {}
  void ReleaseVarDesc(VARDESC*) override {}

  const char* name() const { return ifc_ ? ifc_->name : coclass_->name; }
  const char* help() const { return ifc_ ? ifc_->help : coclass_->help; }
  const GUID& guid() const { return attr_.guid; }
  const TypeLibInterfaceDesc* interfaceDesc() const { return ifc_; }
  // Functions in description order (base interface first).
  std::size_t funcCount() const { return funcs_.size(); }
  const TypeLibFuncDesc& func(std::size_t i) const { return *funcs_[i].source; }

 private:
  // A function with its FUNCDESC and the storage the FUNCDESC points into.
  struct Func {
    const TypeLibFuncDesc* source = nullptr;
    FUNCDESC desc{};
    std::vector<ELEMDESC> params;
    std::vector<TYPEDESC> pointees;  // reserved up front: ELEMDESCs point into it
  };
  void addFunc(const TypeLibFuncDesc& fn, int vtableSlot);
  TYPEDESC typeOf(const TypeLibParamDesc& p, Func* f);

  TypeLibImp* lib_;
  UINT index_;
  const TypeLibInterfaceDesc* ifc_;
  const TypeLibCoclassDesc* coclass_;
  TYPEATTR attr_{};
  HREFTYPE implRef_ = 0;
  std::vector<Func> funcs_;
  // memid -> first function index, for the call path.
  DispIdIndex byId_;
};

class TypeLibImp final : public RefCounted<Answers<ITypeLib, IID_ITypeLib>> {
 public:
  explicit TypeLibImp(const TypeLibDesc& desc) : desc_(desc) {
    attr_.guid = desc.libid ? *desc.libid : GUID_NULL;
    attr_.lcid = desc.lcid;
    attr_.syskind = kTypeLibSysKind;
    attr_.wMajorVerNum = desc.majorVersion;
    attr_.wMinorVerNum = desc.minorVersion;
    attr_.wLibFlags = 0;
    UINT index = 0;
    infos_.reserve(desc.interfaces.size() + desc.coclasses.size());
    for (const TypeLibInterfaceDesc& i : desc.interfaces)
      infos_.push_back(std::make_unique<TypeInfoImp>(this, index++, &i, nullptr));
    for (const TypeLibCoclassDesc& c : desc.coclasses)
      infos_.push_back(std::make_unique<TypeInfoImp>(this, index++, nullptr, &c));
    for (auto& info : infos_) info->link();
  }

  UINT GetTypeInfoCount() override { return static_cast<UINT>(infos_.size()); }
  HRESULT GetTypeInfo(UINT index, ITypeInfo** out) override {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (index >= infos_.size()) return TYPE_E_ELEMENTNOTFOUND;
    *out = infos_[index].get();
    (*out)->AddRef();
    return S_OK;
  }
  HRESULT GetTypeInfoType(UINT index, TYPEKIND* out) override {
    if (!out) return E_INVALIDARG;
    if (index >= infos_.size()) return TYPE_E_ELEMENTNOTFOUND;
    TYPEATTR* a = nullptr;
    infos_[index]->GetTypeAttr(&a);
    *out = a->typekind;
    return S_OK;
  }
  HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** out) override {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    TypeInfoImp* info = find(guid);
    if (!info) return TYPE_E_ELEMENTNOTFOUND;
    info->AddRef();
    *out = info;
    return S_OK;
  }
  HRESULT GetLibAttr(TLIBATTR** out) override {
    if (!out) return E_INVALIDARG;
    *out = &attr_;
    return S_OK;
  }
  HRESULT GetTypeComp(ITypeComp** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT GetDocumentation(INT index, BSTR* name, BSTR* doc, DWORD* helpContext,
                           BSTR* helpFile) override {
    if (helpContext) *helpContext = 0;
    if (helpFile) *helpFile = nullptr;
    if (index == -1) {
      HRESULT hr = giveText(desc_.name, name);
      if (SUCCEEDED(hr)) hr = giveText(desc_.help, doc);
      return hr;
    }
    if (index < 0 || static_cast<std::size_t>(index) >= infos_.size())
      return TYPE_E_ELEMENTNOTFOUND;
    return infos_[index]->GetDocumentation(MEMBERID_NIL, name, doc, helpContext, helpFile);
  }
  HRESULT IsName(LPOLESTR name, ULONG, BOOL* found) override {
    if (!name || !found) return E_INVALIDARG;
    ITypeInfo* info = nullptr;
    MEMBERID id = 0;
    USHORT n = 1;
    FindName(name, 0, &info, &id, &n);
    if (info) info->Release();
    *found = n > 0;
    return S_OK;
  }
  // Type descriptions whose name, or one of whose functions' names, is szNameBuf (ASCII
  // case ignored); MEMBERID_NIL for a type's own name.
  HRESULT FindName(LPOLESTR name, ULONG, ITypeInfo** infos, MEMBERID* ids, USHORT* count) override {
    if (!name || !infos || !ids || !count) return E_INVALIDARG;
    const std::u16string_view wanted = oleView(name);
    USHORT found = 0;
    for (auto& info : infos_) {
      if (found >= *count) break;
      MEMBERID id = MEMBERID_NIL;
      bool hit = sameNameNoCase(wanted, info->name());
      for (std::size_t f = 0; !hit && f < info->funcCount(); ++f)
        if (sameNameNoCase(wanted, info->func(f).name)) hit = true, id = info->func(f).memid;
      if (!hit) continue;
      info->AddRef();
      infos[found] = info.get();
      ids[found] = id;
      ++found;
    }
    *count = found;
    return S_OK;
  }
  void ReleaseTLibAttr(TLIBATTR*) override {}

  TypeInfoImp* find(REFGUID guid) {
    for (auto& info : infos_)
      if (info->guid() == guid) return info.get();
    return nullptr;
  }
  TypeInfoImp* at(std::size_t index) {
    return index < infos_.size() ? infos_[index].get() : nullptr;
  }
  std::size_t indexOf(REFGUID guid) {
    for (std::size_t i = 0; i < infos_.size(); ++i)
      if (infos_[i]->guid() == guid) return i;
    return infos_.size();
  }

 private:
  ~TypeLibImp() override = default;

  const TypeLibDesc& desc_;
  TLIBATTR attr_{};
  std::vector<std::unique_ptr<TypeInfoImp>> infos_;
};

TypeInfoImp::TypeInfoImp(TypeLibImp* lib, UINT index, const TypeLibInterfaceDesc* ifc,
                         const TypeLibCoclassDesc* coclass)
    : lib_(lib), index_(index), ifc_(ifc), coclass_(coclass) {
  attr_.memidConstructor = MEMBERID_NIL;
  attr_.memidDestructor = MEMBERID_NIL;
  attr_.cbAlignment = alignof(void*);
  if (ifc) {
    attr_.guid = *ifc->iid;
    attr_.typekind = ifc->dual ? TKIND_DISPATCH : TKIND_INTERFACE;
    attr_.wTypeFlags =
        TYPEFLAG_FDISPATCHABLE | TYPEFLAG_FOLEAUTOMATION | (ifc->dual ? TYPEFLAG_FDUAL : 0);
    attr_.cbSizeInstance = sizeof(void*);
  } else {
    attr_.guid = *coclass->clsid;
    attr_.typekind = TKIND_COCLASS;
    attr_.wTypeFlags = TYPEFLAG_FCANCREATE;
    attr_.cImplTypes = 1;
  }
}

void TypeInfoImp::link() {
  if (coclass_) {
    implRef_ = static_cast<HREFTYPE>(lib_->indexOf(*coclass_->defaultIid));
    return;
  }
  // A dual interface's description lists its base's functions first.
  std::vector<const TypeLibInterfaceDesc*> chain{ifc_};
  for (const IID* base = ifc_->base; base;) {
    TypeInfoImp* b = lib_->find(*base);
    if (!b || !b->ifc_ || chain.size() > 16) break;
    if (chain.size() == 1) {
      attr_.cImplTypes = 1;
      implRef_ = b->index_;
    }
    chain.push_back(b->ifc_);
    base = b->ifc_->base;
  }
  std::size_t total = 0;
  for (const TypeLibInterfaceDesc* d : chain) total += d->funcs.size();
  funcs_.reserve(total);
  int slot = kDispatchExSlots;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    for (const TypeLibFuncDesc& fn : (*it)->funcs) addFunc(fn, slot++);
  attr_.cFuncs = static_cast<WORD>(funcs_.size());
  attr_.cbSizeVft = static_cast<WORD>(slot * sizeof(void*));
}

TYPEDESC TypeInfoImp::typeOf(const TypeLibParamDesc& p, Func* f) {
  TYPEDESC t{};
  if (p.vt == VT_DISPATCH && p.iid && lib_->find(*p.iid)) {
    // An interface pointer: a pointer to the user-defined interface type.
    TYPEDESC ud{};
    ud.vt = VT_USERDEFINED;
    ud.hreftype = static_cast<HREFTYPE>(lib_->indexOf(*p.iid));
    f->pointees.push_back(ud);
    t.vt = VT_PTR;
    t.lptdesc = &f->pointees.back();
  } else {
    t.vt = p.vt;
  }
  if (p.flags & (PARAMFLAG_FOUT | PARAMFLAG_FRETVAL)) {
    f->pointees.push_back(t);
    TYPEDESC ptr{};
    ptr.vt = VT_PTR;
    ptr.lptdesc = &f->pointees.back();
    return ptr;
  }
  return t;
}

void TypeInfoImp::addFunc(const TypeLibFuncDesc& fn, int vtableSlot) {
  Func& f = funcs_.emplace_back();
  f.source = &fn;
  f.pointees.reserve(2 * fn.params.size());  // never reallocated: ELEMDESCs point into it
  f.params.resize(fn.params.size());
  for (std::size_t k = 0; k < fn.params.size(); ++k) {
    f.params[k].tdesc = typeOf(fn.params[k], &f);
    f.params[k].paramdesc.pparamdescex = nullptr;
    f.params[k].paramdesc.wParamFlags = fn.params[k].flags;
  }
  FUNCDESC& d = f.desc;
  d.memid = fn.memid;
  d.lprgscode = nullptr;
  d.lprgelemdescParam = f.params.empty() ? nullptr : f.params.data();
  d.funckind = FUNC_DISPATCH;
  d.invkind = fn.kind;
  d.callconv = CC_STDCALL;
  d.cParams = static_cast<SHORT>(fn.params.size());
  d.cParamsOpt = 0;
  d.oVft = static_cast<SHORT>(vtableSlot * sizeof(void*));
  d.cScodes = 0;
  d.elemdescFunc.tdesc.vt = VT_HRESULT;
  d.wFuncFlags = 0;
  byId_.add(fn.memid, funcs_.size() - 1);
}

ULONG TypeInfoImp::AddRef() { return lib_->AddRef(); }
ULONG TypeInfoImp::Release() { return lib_->Release(); }

HRESULT TypeInfoImp::GetNames(MEMBERID memid, BSTR* names, UINT maxNames, UINT* count) {
  if (!names || !count) return E_INVALIDARG;
  *count = 0;
  const std::size_t at = byId_.find(memid);
  if (at == DispIdIndex::kNone) return TYPE_E_ELEMENTNOTFOUND;
  const TypeLibFuncDesc& fn = *funcs_[at].source;
  UINT n = 0;
  if (n < maxNames) names[n++] = SysAllocStringUtf8(fn.name);
  for (const TypeLibParamDesc& p : fn.params)
    if (p.name && n < maxNames) names[n++] = SysAllocStringUtf8(p.name);
  *count = n;
  return S_OK;
}

// The first name is a member's, the others its parameters' (their ids are their positions).
// Names compare without regard to ASCII case, as the system's type descriptions do.
HRESULT TypeInfoImp::GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) {
  if (!names || !ids) return E_INVALIDARG;
  for (UINT i = 0; i < count; ++i) ids[i] = MEMBERID_NIL;
  if (count == 0) return S_OK;
  const std::u16string_view wanted = oleView(names[0]);
  const TypeLibFuncDesc* found = nullptr;
  for (const Func& f : funcs_)
    if (sameNameNoCase(wanted, f.source->name)) {
      found = f.source;
      break;
    }
  if (!found) return DISP_E_UNKNOWNNAME;
  ids[0] = found->memid;
  HRESULT hr = S_OK;
  for (UINT i = 1; i < count; ++i) {
    const std::u16string_view param = oleView(names[i]);
    bool hit = false;
    // Parameter names of every function with this id (get and put share it).
    for (const Func& f : funcs_) {
      if (f.source->memid != found->memid) continue;
      for (std::size_t k = 0; k < f.source->params.size() && !hit; ++k)
        if (sameNameNoCase(param, f.source->params[k].name)) {
          ids[i] = static_cast<MEMBERID>(k);
          hit = true;
        }
      if (hit) break;
    }
    if (!hit) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT TypeInfoImp::Invoke(PVOID instance, MEMBERID memid, WORD flags, DISPPARAMS* params,
                            VARIANT* result, EXCEPINFO* excepinfo, UINT* argErr) {
  if (!instance) return E_INVALIDARG;
  if (!ifc_) return TYPE_E_WRONGTYPEKIND;
  const std::size_t at = byId_.find(memid);
  if (at == DispIdIndex::kNone) return DISP_E_MEMBERNOTFOUND;
  // The first function with the id whose kind the caller allows (a get and a put share it).
  for (std::size_t i = at; i < funcs_.size(); ++i) {
    const TypeLibFuncDesc& fn = *funcs_[i].source;
    if (fn.memid != memid || !(fn.kind & flags)) continue;
    return invokeDescribedFunction(fn, ifc_->name, instance, params, result, excepinfo, argErr);
  }
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT TypeInfoImp::GetDocumentation(MEMBERID memid, BSTR* name, BSTR* doc, DWORD* helpContext,
                                      BSTR* helpFile) {
  if (helpContext) *helpContext = 0;
  if (helpFile) *helpFile = nullptr;
  const char* n = nullptr;
  const char* h = nullptr;
  if (memid == MEMBERID_NIL) {
    n = this->name();
    h = help();
  } else {
    const std::size_t at = byId_.find(memid);
    if (at == DispIdIndex::kNone) return TYPE_E_ELEMENTNOTFOUND;
    const TypeLibFuncDesc& fn = *funcs_[at].source;
    n = fn.name;
    // A put without help text of its own shares the get's.
    for (std::size_t i = at; i < funcs_.size() && !h; ++i)
      if (funcs_[i].source->memid == memid) h = funcs_[i].source->help;
  }
  HRESULT hr = giveText(n, name);
  if (SUCCEEDED(hr)) hr = giveText(h, doc);
  return hr;
}

HRESULT TypeInfoImp::GetRefTypeInfo(HREFTYPE ref, ITypeInfo** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  TypeInfoImp* info = lib_->at(ref);
  if (!info) return TYPE_E_ELEMENTNOTFOUND;
  info->AddRef();
  *out = info;
  return S_OK;
}

HRESULT TypeInfoImp::GetContainingTypeLib(ITypeLib** lib, UINT* index) {
  if (lib) {
    lib_->AddRef();
    *lib = lib_;
  }
  if (index) *index = index_;
  return S_OK;
}

}  // namespace

ITypeLib* CreateTypeLibFromDesc(const TypeLibDesc& desc) {
  auto* lib = new (std::nothrow) TypeLibImp(desc);
  if (lib) lib->AddRef();  // the caller's reference
  return lib;
}
