#include "python/member_info.h"

namespace veldrive {
namespace {

ParamRole roleOf(const ELEMDESC& e) {
  const USHORT f = e.paramdesc.wParamFlags;
  if (f & PARAMFLAG_FRETVAL) return ParamRole::Retval;
  if ((f & PARAMFLAG_FOUT) && (f & PARAMFLAG_FIN)) return ParamRole::InOut;
  if (f & PARAMFLAG_FOUT) return ParamRole::Out;
  return ParamRole::In;
}

std::vector<ParamRole> rolesOf(const FUNCDESC& fd) {
  std::vector<ParamRole> roles;
  for (SHORT i = 0; i < fd.cParams; ++i) roles.push_back(roleOf(fd.lprgelemdescParam[i]));
  return roles;
}

}  // namespace

void describeMember(ITypeInfo* typeInfo, MemberInfo* info) {
  if (!typeInfo) return;
  TYPEATTR* attr = nullptr;
  if (FAILED(typeInfo->GetTypeAttr(&attr)) || !attr) return;
  const WORD count = attr->cFuncs;
  typeInfo->ReleaseTypeAttr(attr);

  bool hasFunc = false, hasGet = false, hasPut = false;
  std::vector<ParamRole> funcRoles, getRoles;
  for (WORD i = 0; i < count; ++i) {
    FUNCDESC* fd = nullptr;
    if (FAILED(typeInfo->GetFuncDesc(i, &fd)) || !fd) continue;
    if (fd->memid == info->id) {
      if (fd->invkind == INVOKE_FUNC && !hasFunc)
        hasFunc = true, funcRoles = rolesOf(*fd);
      else if (fd->invkind == INVOKE_PROPERTYGET && !hasGet)
        hasGet = true, getRoles = rolesOf(*fd);
      else if (fd->invkind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF))
        hasPut = true;
    }
    typeInfo->ReleaseFuncDesc(fd);
  }

  if (hasFunc) {
    info->kind = MemberKind::Callable;
    info->callParams = std::move(funcRoles);
  } else if (hasGet) {
    bool takesArguments = false;
    for (ParamRole r : getRoles) takesArguments |= r != ParamRole::Retval;
    info->kind = takesArguments ? MemberKind::Callable : MemberKind::Property;
    info->callParams = std::move(getRoles);
  } else if (hasPut) {
    info->kind = MemberKind::Property;
  }
}

}  // namespace veldrive
