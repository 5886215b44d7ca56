#include "kernel/automation/vel_dispatch.h"

#include <memory>
#include <string>
#include <vector>

#include "kernel/automation/type_library.h"
#include "kernel/support/auxcom.h"
#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"

namespace {

// The member tables of the classes. They live until the process ends; their destruction
// then frees the values of dynamic members (strings, object references). A class asked for
// its table after that (an object outliving the static objects) gets one kept for good.
struct MemberTables {
  std::vector<std::pair<VelClassRecord*, std::unique_ptr<VelMemberTable>>> owned;
  ~MemberTables() {
    gone = true;
    for (auto& [record, table] : owned) record->members = nullptr;
    owned.clear();
  }
  static inline bool gone = false;
};
MemberTables gMemberTables;

// Reports with the texts of the original member names, which are ASCII or UTF-8.
std::string text(std::u16string_view s) { return utf8FromUtf16(s); }

void fillMembers(VelMemberTable& table, ITypeInfo* info) {
  TYPEATTR* attr = nullptr;
  if (FAILED(info->GetTypeAttr(&attr))) return;
  const WORD count = attr->cFuncs;
  info->ReleaseTypeAttr(attr);
  for (UINT i = 0; i < count; ++i) {
    FUNCDESC* fd = nullptr;
    if (FAILED(info->GetFuncDesc(i, &fd))) continue;
    Bstr name;
    UINT n = 0;
    if (SUCCEEDED(info->GetNames(fd->memid, name.put(), 1, &n)) && n == 1)
      table.addTypeMember(fd->memid, name.view());
    info->ReleaseFuncDesc(fd);
  }
}

// A method call on a dynamic member: its value's default member, when it is an object.
HRESULT callDynamic(VelMember& m, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                    EXCEPINFO* excepinfo) {
  IDispatch* target = nullptr;
  const char* via = nullptr;
  if (m.value.vt == VT_DISPATCH) {
    target = m.value.pdispVal;
    via = "VT_DISPATCH";
  } else if (m.value.vt == (VT_DISPATCH | VT_BYREF) && m.value.ppdispVal) {
    target = *m.value.ppdispVal;
    via = "VT_DISPATCH | VT_BYREF";
  }
  if (!target) {
    reportError("invoke of %s failed", text(m.name).c_str());
    return DISP_E_TYPEMISMATCH;
  }
  traceDebug("invoke of %s via %s\n", text(m.name).c_str(), via);
  // The object may be released by what it runs; hold it for the call.
  const ComPtr<IDispatch> held(target);
  return held->Invoke(DISPID_VALUE, IID_NULL, lcid, flags, params, result, excepinfo, nullptr);
}

}  // namespace

HRESULT velInvokeDynamic(VelMember& m, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                         EXCEPINFO* excepinfo) {
  const UINT args = params ? params->cArgs : 0;
  const UINT named = params ? params->cNamedArgs : 0;
  if (flags & DISPATCH_PROPERTYPUT) {
    const bool one = args == 1 && params->rgvarg &&
                     (named == 0 || (named == 1 && params->rgdispidNamedArgs &&
                                     params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT));
    if (!one) return DISP_E_PARAMNOTOPTIONAL;
    // A copy of what a reference points at: the caller's variable does not outlive the call.
    VARIANT copy;
    VariantInit(&copy);
    const HRESULT hr = VariantCopyInd(&copy, &params->rgvarg[0]);
    if (FAILED(hr)) return hr;
    VariantClear(&m.value);
    m.value = copy;
    return S_OK;
  }
  if (flags & DISPATCH_PROPERTYGET) {
    if (!result || args != 0) return E_INVALIDARG;
    // The stored value itself: a reference stays a reference. The caller owns its copy.
    VariantInit(result);
    return VariantCopy(result, &m.value);
  }
  if (flags & DISPATCH_METHOD) return callDynamic(m, lcid, flags, params, result, excepinfo);
  reportError("%d (%s) : calling failed", static_cast<int>(m.id), text(m.name).c_str());
  return S_OK;
}

VelMemberTable& velCreateClassMembers(VelClassRecord& record) {
  if (!record.members) {
    if (MemberTables::gone) {
      record.members = new VelMemberTable;
    } else {
      gMemberTables.owned.emplace_back(&record, std::make_unique<VelMemberTable>());
      record.members = gMemberTables.owned.back().second.get();
    }
  }
  return *record.members;
}

ITypeInfo* velClassTypeInfo(VelClassRecord& record) {
  if (record.typeInfo) return record.typeInfo;
  VelModule& module = velModule();
  const ComPtr<ITypeLib> lib = module.typeLib ? ComPtr<ITypeLib>(module.typeLib)
                                              : ComPtr<ITypeLib>::adopt(velDriveTypeLib());
  ITypeInfo* info = nullptr;  // kept in the record for good; it keeps its library
  if (!lib || FAILED(lib->GetTypeInfoOfGuid(*record.defaultIid, &info)) || !info) {
    reportError("failed to get typeinfo of %s from typelibrary in %s.",
                record.versionIndependentProgId, module.typeLibFile ? module.typeLibFile : "");
    velClassMembers(record);  // dynamic members work without a type description
    return nullptr;
  }
  record.typeInfo = info;
  fillMembers(velClassMembers(record), info);
  return info;
}

HRESULT velGetTypeInfo(VelClassRecord& record, UINT index, ITypeInfo** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  ITypeInfo* info = velClassTypeInfo(record);
  if (!info) return E_FAIL;
  info->AddRef();
  *out = info;
  return S_OK;
}

HRESULT velGetDispID(VelClassRecord& record, std::u16string_view name, DWORD grfdex, DISPID* id) {
  if (!id) return E_INVALIDARG;
  VelMemberTable& table = velClassMembers(record);
  if (VelMember* m = table.lookup(name)) {
    *id = m->id;
    return S_OK;
  }
  if (grfdex & fdexNameEnsure) {
    *id = table.addDynamic(name);
    return S_OK;
  }
  *id = DISPID_UNKNOWN;
  return DISP_E_UNKNOWNNAME;
}

HRESULT velGetIDsOfNames(VelClassRecord& record, LPOLESTR* names, UINT count, DISPID* ids) {
  if ((count && !names) || !ids) return E_INVALIDARG;
  HRESULT hr = S_OK;
  UINT i = 0;
  for (; i < count; ++i) {
    const std::u16string_view name =
        names[i] ? std::u16string_view(names[i]) : std::u16string_view();
    hr = velGetDispID(record, name, fdexNameCaseInsensitive, &ids[i]);
    if (FAILED(hr)) break;
  }
  for (; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  return hr;
}

HRESULT velDeleteMemberByName(VelClassRecord& record, std::u16string_view name) {
  VelMember* m = velClassMembers(record).lookup(name);
  if (!m) return DISP_E_MEMBERNOTFOUND;
  m->deleted = 1;
  return S_OK;
}

HRESULT velDeleteMemberByDispID(VelClassRecord& record, DISPID id) {
  VelMember* m = velClassMembers(record).findById(id);
  if (!m) return DISP_E_MEMBERNOTFOUND;
  m->deleted = 1;
  return S_OK;
}

HRESULT velGetMemberName(VelClassRecord& record, DISPID id, BSTR* name) {
  if (!name) return E_INVALIDARG;
  *name = nullptr;
  VelMember* m = velClassMembers(record).findById(id);
  if (!m || m->deleted) return DISP_E_MEMBERNOTFOUND;
  *name = SysAllocStringLen(m->name.data(), static_cast<unsigned>(m->name.size()));
  return *name ? S_OK : E_OUTOFMEMORY;
}

HRESULT velGetNextDispID(VelClassRecord& record, DISPID id, DISPID* next) {
  if (!next) return E_INVALIDARG;
  VelMemberTable& table = velClassMembers(record);
  *next = DISPID_UNKNOWN;
  std::size_t at = 0;
  if (id != DISPID_STARTENUM) {
    const VelMember* m = table.findById(id);
    if (!m) return S_FALSE;
    at = static_cast<std::size_t>(m - table.members.data()) + 1;
  }
  if (at >= table.members.size()) return S_FALSE;
  *next = table.members[at].id;
  return S_OK;
}

HRESULT velGetNameSpaceParent(IUnknown** parent) {
  if (parent) *parent = nullptr;
  reportError("VelBaseImp<Ifc>::GetNameSpaceParent not implemented!");
  return E_NOTIMPL;
}
