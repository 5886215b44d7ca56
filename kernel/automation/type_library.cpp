#include "kernel/automation/type_library.h"

#include <type_traits>
#include <utility>

#include "kernel/automation/veldrive_interfaces.h"
#include "platform/com/typelib_invoker.h"

namespace {

// Parameter flags as the member tables state them.
constexpr USHORT kIn = PARAMFLAG_FIN;
constexpr USHORT kOut = PARAMFLAG_FOUT;
constexpr USHORT kInOut = PARAMFLAG_FIN | PARAMFLAG_FOUT;
constexpr USHORT kRetval = PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;

// Name (null: the unnamed value of a put) and flags of one parameter; its type comes from
// the member's C++ signature.
struct Param {
  const char* name;
  USHORT flags;
};

// The interface identifier of an interface parameter type (IVelDriveSeg*, IVelDrive**, ...).
template <class T>
struct InterfaceOf {
  static constexpr const IID* iid = nullptr;
};
template <class T>
struct InterfaceOf<T*> : InterfaceOf<T> {};
template <>
struct InterfaceOf<IVelDriveSeg> {
  static constexpr const IID* iid = &IID_IVelDriveSeg;
};
template <>
struct InterfaceOf<IVelDrive> {
  static constexpr const IID* iid = &IID_IVelDrive;
};

template <class>
struct ParamTypes;
template <class I, class... A>
struct ParamTypes<HRESULT (I::*)(A...)> {
  using Tuple = std::tuple<A...>;
};

template <auto Member, std::size_t... K>
std::vector<TypeLibParamDesc> describeParams(const Param* p, std::index_sequence<K...>) {
  using Tuple = typename ParamTypes<decltype(Member)>::Tuple;
  return {TypeLibParamDesc{p[K].name, typeLibParamVarType<Member, K>(), p[K].flags,
                           InterfaceOf<std::tuple_element_t<K, Tuple>>::iid}...};
}

// One function of the description; the parameter count must match the member's.
template <auto Member, std::size_t N>
TypeLibFuncDesc fn(MEMBERID id, INVOKEKIND kind, const char* name, const char* help,
                   const Param (&params)[N]) {
  static_assert(N == typeLibArity<Member>(), "one Param per parameter of the member");
  return {id,
          kind,
          name,
          help,
          describeParams<Member>(params, std::make_index_sequence<N>{}),
          typeLibInvoker<Member>()};
}
template <auto Member>
TypeLibFuncDesc fn(MEMBERID id, INVOKEKIND kind, const char* name, const char* help) {
  static_assert(typeLibArity<Member>() == 0, "the member takes parameters");
  return {id, kind, name, help, {}, typeLibInvoker<Member>()};
}

constexpr INVOKEKIND kGet = INVOKE_PROPERTYGET;
constexpr INVOKEKIND kPut = INVOKE_PROPERTYPUT;
constexpr INVOKEKIND kFunc = INVOKE_FUNC;

using Seg = IVelDriveSeg;
using Drv = IVelDrive;
using Srv = IVelDriveServer;

std::vector<TypeLibFuncDesc> segmentMembers() {
  return {
      fn<&Seg::get_z0>(0x64, kGet, "z0", "Start z-value of segment", {{"d", kRetval}}),
      fn<&Seg::put_z0>(0x64, kPut, "z0", "Set start z-value of segment", {{nullptr, kIn}}),
      fn<&Seg::get_z1>(0x65, kGet, "z1", "end z-value of segment", {{"d", kRetval}}),
      fn<&Seg::get_f0>(0x66, kGet, "f0", "start f-value of segment", {{"d", kRetval}}),
      fn<&Seg::put_f0>(0x66, kPut, "f0", "set start f-value of segment", {{nullptr, kIn}}),
      fn<&Seg::get_f1>(0x67, kGet, "f1", "end f-value of segment", {{"d", kRetval}}),
      fn<&Seg::get_fd0>(0x68, kGet, "fd0", "start f'-value of segment", {{"d", kRetval}}),
      fn<&Seg::get_fdd0>(0x6a, kGet, "fdd0", "start f''-value of segment", {{"d", kRetval}}),
      fn<&Seg::get_fd1>(0x69, kGet, "fd1", "end f'-value of segment", {{"d", kRetval}}),
      fn<&Seg::get_fdd1>(0x6b, kGet, "fdd1", "end f''-value of segment", {{"d", kRetval}}),
      fn<&Seg::get_fmin>(0x72, kGet, "fmin", "minimum f-value of segment", {{"d", kRetval}}),
      fn<&Seg::get_fdmin>(0x73, kGet, "fdmin", "minimum f'-value of segment", {{"d", kRetval}}),
      fn<&Seg::get_fddmin>(0x74, kGet, "fddmin", "minimum f''-value of segment", {{"d", kRetval}}),
      fn<&Seg::get_fdddmin>(0x75, kGet, "fdddmin", "minimum f'''-value of segment",
                            {{"d", kRetval}}),
      fn<&Seg::get_fmax>(0x6e, kGet, "fmax", "maximum f-value of segment", {{"d", kRetval}}),
      fn<&Seg::get_fdmax>(0x6f, kGet, "fdmax", "maximum f'-value of segment", {{"d", kRetval}}),
      fn<&Seg::get_fddmax>(0x70, kGet, "fddmax", "maximum f''-value of segment", {{"d", kRetval}}),
      fn<&Seg::get_fdddmax>(0x71, kGet, "fdddmax", "maximum f'''-value of segment",
                            {{"d", kRetval}}),
      fn<&Seg::get_next>(0x76, kGet, "next", "next segment in drive", {{"seg", kRetval}}),
      fn<&Seg::get_prev>(0x77, kGet, "prev", "previous segment in drive", {{"seg", kRetval}}),
      fn<&Seg::get_value>(0x78, kGet, "value", "segment's value of type 'type'",
                          {{"type", kIn}, {"val", kRetval}}),
      fn<&Seg::put_value>(0x78, kPut, "value", "set segment's value of type 'type' to newval",
                          {{"type", kIn}, {nullptr, kIn}}),
      fn<&Seg::get_typeName>(0x79, kGet, "typeName", "segment's own type as string",
                             {{"typestr", kRetval}}),
      fn<&Seg::get_clone>(0x7a, kGet, "clone",
                          "the segment returns a cloned segment of it's own type (no values set!)",
                          {{"cloned", kRetval}}),
      fn<&Seg::get__dump>(0x7b, kGet, "_dump", nullptr, {{"str", kRetval}}),
      fn<&Seg::farr>(0xc8, kFunc, "farr",
                     "f,f',f'',f'''-value of segment at z - not yet implemented!",
                     {{"z", kIn}, {"f", kInOut}}),
      fn<&Seg::fderiv>(0xc9, kFunc, "fderiv", "f,f',f'',f'''-value of segment at z",
                       {{"z", kIn}, {"f", kOut}, {"fd", kOut}, {"fdd", kOut}, {"fddd", kOut}}),
      fn<&Seg::f>(0xca, kFunc, "f", "f-value of segment at z", {{"z", kIn}, {"d", kRetval}}),
      fn<&Seg::fd>(0xcb, kFunc, "fd", "f'-value of segment at z", {{"z", kIn}, {"d", kRetval}}),
      fn<&Seg::fdd>(0xcc, kFunc, "fdd", "f''-value of segment at z", {{"z", kIn}, {"d", kRetval}}),
      fn<&Seg::fddd>(0xcd, kFunc, "fddd", "f'''-value of segment at z",
                     {{"z", kIn}, {"d", kRetval}}),
      fn<&Seg::hasValue>(0xce, kFunc, "hasValue", "does the segment support value 'type'?",
                         {{"type", kIn}, {"b", kRetval}}),
      fn<&Seg::isVarValue>(0xcf, kFunc, "isVarValue",
                           "can the segment's value 'type' explicitly be changed?",
                           {{"type", kIn}, {"b", kRetval}}),
  };
}

std::vector<TypeLibFuncDesc> driveMembers() {
  return {
      fn<&Drv::get_name>(0x12c, kGet, "name", "name of drive", {{"n", kRetval}}),
      fn<&Drv::put_name>(0x12c, kPut, "name", "set name of drive", {{nullptr, kIn}}),
      fn<&Drv::get_periodic>(0x12d, kGet, "periodic", "is drive periodical?", {{"p", kRetval}}),
      fn<&Drv::put_periodic>(0x12d, kPut, "periodic", "set drive to periodic?", {{nullptr, kIn}}),
      fn<&Drv::get_head>(0x12e, kGet, "head", "get drive's first segment 'seg'",
                         {{"seg", kRetval}}),
      fn<&Drv::put_segment>(0x12f, kPut, "segment",
                            "add segment to drive specified by the format '<typestr> [, <z0>, <f0> "
                            "[[, valtype, val] ..]'.",
                            {{nullptr, kIn}}),
      fn<&Drv::add>(0x190, kFunc, "add", "add segment 'seg' to drive", {{"seg", kIn}}),
      fn<&Drv::remove>(0x191, kFunc, "remove", "remove segment 'seg' from drive", {{"seg", kIn}}),
      fn<&Drv::compile>(0x192, kFunc, "compile", "compile drive", {{"res", kRetval}}),
      fn<&Drv::decompile>(0x193, kFunc, "decompile", "decompile drive"),
      fn<&Drv::clear>(0x194, kFunc, "clear", "remove all segments from drive"),
      fn<&Drv::htmlTable>(0x195, kFunc, "htmlTable", "create html table", {{"table", kRetval}}),
  };
}

std::vector<TypeLibFuncDesc> serverMembers() {
  return {
      fn<&Srv::get_version>(0x64, kGet, "version", "current version of this server",
                            {{"ver", kRetval}}),
      fn<&Srv::get_driveCount>(0x65, kGet, "driveCount", "# of server's drives",
                               {{"count", kRetval}}),
      fn<&Srv::get_drive>(0x66, kGet, "drive", "drive with index 'idx' in server's container",
                          {{"idx", kIn}, {"drv", kRetval}}),
      fn<&Srv::get_driveByName>(0x67, kGet, "driveByName",
                                "drive with name 'name' in server's container",
                                {{"name", kIn}, {"drv", kRetval}}),
      fn<&Srv::get_segmentTypeCount>(0x68, kGet, "segmentTypeCount",
                                     "# different segment types, that the server supports",
                                     {{"count", kRetval}}),
      fn<&Srv::get_segmentType>(
          0x69, kGet, "segmentType",
          "segment type with index 'idx' (0..count-1), that the server supports.",
          {{"idx", kIn}, {"typeName", kRetval}}),
      fn<&Srv::get_segment>(0x6a, kGet, "segment", "create/support a segment of type 'type'.",
                            {{"type", kIn}, {"seg", kRetval}}),
      fn<&Srv::put_segment>(0x6a, kPut, "segment", nullptr, {{"type", kIn}, {nullptr, kIn}}),
      fn<&Srv::add>(0x190, kFunc, "add", "add drive 'drv' to the servers container.",
                    {{"drv", kIn}}),
      fn<&Srv::remove>(0x191, kFunc, "remove", "remove drive 'drv' from the servers container.",
                       {{"drv", kIn}}),
      fn<&Srv::clear>(0x192, kFunc, "clear", "remove all drives from the servers container."),
      fn<&Srv::newDrive>(0x193, kFunc, "newDrive", "create new drive with name 'name'",
                         {{"name", kIn}, {"drv", kRetval}}),
  };
}

}  // namespace

const TypeLibDesc& velDriveTypeLibDesc() {
  static const TypeLibDesc desc{
      "VelDriveLib",
      "VelDrive 2.0 Type Library",
      &LIBID_VelDriveLib,
      1,
      0,
      1033,
      {
          {"IVelDriveSeg", nullptr, &IID_IVelDriveSeg, true, nullptr, segmentMembers()},
          {"IVelDrive", nullptr, &IID_IVelDrive, true, &IID_IVelDriveSeg, driveMembers()},
          {"IVelDriveServer", nullptr, &IID_IVelDriveServer, true, nullptr, serverMembers()},
      },
      {
          {"VelDrive", "VelDrive Class", &CLSID_VelDrive, &IID_IVelDrive},
          {"VelDriveServer", "VelDrive Server Class", &CLSID_VelDriveServer, &IID_IVelDriveServer},
      },
  };
  return desc;
}

ITypeLib* velDriveTypeLib() {
  // Created once and kept for the life of the process, like a loaded library resource.
  static ITypeLib* const lib = CreateTypeLibFromDesc(velDriveTypeLibDesc());
  if (lib) lib->AddRef();
  return lib;
}
