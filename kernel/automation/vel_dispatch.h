#pragma once
// The late-bound dispatch every kernel automation object shares (IDispatch, IDispatchEx),
// working on the class record of the object's class. VelBaseImp<Ifc> forwards to these.

#include <string_view>

#include "kernel/automation/vel_member_table.h"
#include "kernel/automation/vel_module.h"
#include "platform/com/errorinfo.h"

// The type description of the class's default interface, loaded on first use from the
// module's type library (or, while the module has loaded none — objects made directly
// inside the kernel — from the compiled-in one). Creates and fills the member table with it.
// Null after "failed to get typeinfo of %s from typelibrary in %s." was reported.
ITypeInfo* velClassTypeInfo(VelClassRecord& record);
// The class's member table (created on first use).
VelMemberTable& velCreateClassMembers(VelClassRecord& record);
inline VelMemberTable& velClassMembers(VelClassRecord& record) {
  return record.members ? *record.members : velCreateClassMembers(record);
}

HRESULT velGetTypeInfo(VelClassRecord& record, UINT index, ITypeInfo** out);
// GetDispID: name lookup; with fdexNameEnsure a missing name becomes a dynamic member.
HRESULT velGetDispID(VelClassRecord& record, std::u16string_view name, DWORD grfdex, DISPID* id);
// GetIDsOfNames: GetDispID with the case-insensitive flag for each name, stopping at the
// first failure (that id and the following ones are DISPID_UNKNOWN).
HRESULT velGetIDsOfNames(VelClassRecord& record, LPOLESTR* names, UINT count, DISPID* ids);
// A call of a dynamic member: put, get, or a method call through an object's default member.
HRESULT velInvokeDynamic(VelMember& member, LCID lcid, WORD flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* excepinfo);

// InvokeEx on the object whose default-interface pointer is self; argErr may be null. A
// type member is called by the class's type description (after clearing the thread's error
// information, unless the caller just did), a dynamic member by velInvokeDynamic. Inline:
// this is the path of every late-bound call.
[[gnu::always_inline]] inline HRESULT velInvokeMember(VelClassRecord& record, void* self, DISPID id,
                                                      LCID lcid, WORD flags, DISPPARAMS* params,
                                                      VARIANT* result, EXCEPINFO* excepinfo,
                                                      UINT* argErr, bool errorInfoCleared) {
  VelMember* m = velClassMembers(record).findById(id);
  if (!m) return DISP_E_MEMBERNOTFOUND;
  if (!m->fromTypeInfo) return velInvokeDynamic(*m, lcid, flags, params, result, excepinfo);
  ITypeInfo* info = record.typeInfo;
  if (!info) return E_FAIL;
  if (!errorInfoCleared) SetErrorInfo(0, nullptr);
  return info->Invoke(self, id, flags, params, result, excepinfo, argErr);
}
inline HRESULT velInvokeEx(VelClassRecord& record, void* self, DISPID id, LCID lcid, WORD flags,
                           DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepinfo,
                           UINT* argErr) {
  return velInvokeMember(record, self, id, lcid, flags, params, result, excepinfo, argErr, false);
}
// Invoke: clears the thread's error information, needs IID_NULL, then InvokeEx (whose own
// clearing is then already done).
inline HRESULT velInvoke(VelClassRecord& record, void* self, DISPID id, REFIID iid, LCID lcid,
                         WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepinfo,
                         UINT* argErr) {
  SetErrorInfo(0, nullptr);
  if (argErr) *argErr = 0;
  if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  return velInvokeMember(record, self, id, lcid, flags, params, result, excepinfo, argErr, true);
}
HRESULT velDeleteMemberByName(VelClassRecord& record, std::u16string_view name);
HRESULT velDeleteMemberByDispID(VelClassRecord& record, DISPID id);
HRESULT velGetMemberName(VelClassRecord& record, DISPID id, BSTR* name);
HRESULT velGetNextDispID(VelClassRecord& record, DISPID id, DISPID* next);
HRESULT velGetNameSpaceParent(IUnknown** parent);

// The view of an automation string (its full length; empty for null).
inline std::u16string_view velBstrView(BSTR s) {
  return s ? std::u16string_view(s, SysStringLen(s)) : std::u16string_view();
}
