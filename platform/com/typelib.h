#pragma once
// Type libraries: ITypeLib / ITypeInfo over a description compiled into the library that
// owns the interfaces, plus the standard calls that load, find and register them.
//
// A server library describes its interfaces with the structures below (names, dispatch ids,
// kinds, parameters, help texts) and gives every function an invoker: a small function that
// calls the member through the C++ interface pointer. ITypeInfo::Invoke does what
// automation does with a late-bound call: it checks the kind and the argument count, takes
// DISPID_PROPERTYPUT as the named argument of a put, converts each argument (passed in
// reverse order) to the declared type, hands the converted values to the invoker and puts
// the [out, retval] value into the result.
//
// A library file publishes its type library through an exported function
//   extern "C" ITypeLib* KinetraGetTypeLibResource(int id);
// which LoadTypeLib asks for resource 1 (the "TYPELIB" resource), returning a new reference.

#include <vector>

#include "platform/com/interfaces.h"

// ---- The compiled-in description ---------------------------------------------------------

// One parameter. vt is the value's type: VT_I2, VT_I4, VT_R8, VT_BSTR, VT_BOOL or
// VT_DISPATCH (an interface pointer, of interface *iid when iid is given). A parameter with
// PARAMFLAG_FOUT is a pointer to such a value; PARAMFLAG_FRETVAL marks the one a scripting
// client sees as the result (always the last parameter).
struct TypeLibParamDesc {
  const char* name;
  VARTYPE vt;
  USHORT flags;
  const IID* iid = nullptr;
};

// Calls one member. args holds one variant per parameter in declaration order: an [in]
// parameter's variant holds the argument already converted to the declared type; an
// [in, out] parameter's variant holds the input and receives the output; an [out]
// parameter's variant is empty and receives the output with the declared type (objects as
// VT_DISPATCH carrying the member's reference). The invoker returns the member's result.
using TypeLibInvoker = HRESULT (*)(void* instance, VARIANT* args);

struct TypeLibFuncDesc {
  MEMBERID memid;
  INVOKEKIND kind;
  const char* name;
  const char* help;  // null: none
  std::vector<TypeLibParamDesc> params;
  TypeLibInvoker invoke;
};

// An interface. funcs are its own functions in virtual-table order; a dual interface's
// type description lists the functions of its base (when base names an interface of the
// same library) first, then its own.
struct TypeLibInterfaceDesc {
  const char* name;
  const char* help;  // null: none
  const IID* iid;
  bool dual;
  const IID* base;  // null: derives from IDispatchEx directly
  std::vector<TypeLibFuncDesc> funcs;
};

struct TypeLibCoclassDesc {
  const char* name;
  const char* help;
  const CLSID* clsid;
  const IID* defaultIid;
};

struct TypeLibDesc {
  const char* name;
  const char* help;
  const GUID* libid;
  WORD majorVersion;
  WORD minorVersion;
  LCID lcid;
  std::vector<TypeLibInterfaceDesc> interfaces;
  std::vector<TypeLibCoclassDesc> coclasses;
};

// A type library over desc, which must outlive it (a static description does). Returns a
// new object with one reference; type descriptions are indexed interfaces first, then
// coclasses.
ITypeLib* CreateTypeLibFromDesc(const TypeLibDesc& desc);

// ---- The standard calls -----------------------------------------------------------------

// The platform this system registers type libraries for: HKCR\TypeLib\{libid}\<maj.min>\0\linux64.
// Its SYSKIND is SYS_WIN64 (the 64-bit platform), written under the name "linux64".
inline constexpr const char kTypeLibPlatformKey[] = "linux64";
inline constexpr SYSKIND kTypeLibSysKind = SYS_WIN64;

// Name and resource number of the export LoadTypeLib asks a library file for.
inline constexpr const char kTypeLibResourceExport[] = "KinetraGetTypeLibResource";
inline constexpr int kTypeLibResourceId = 1;
using KinetraGetTypeLibResourceFn = ITypeLib* (*)(int id);

// Opens the library file (dlopen, normal library search for a bare name) and asks it for its
// type library. TYPE_E_CANTLOADLIBRARY when it cannot be opened, TYPE_E_INVDATAREAD when it
// has no type-library export or resource 1, E_INVALIDARG for null arguments. The library
// file stays loaded.
HRESULT LoadTypeLib(LPCOLESTR file, ITypeLib** out);
// Reads HKCR\TypeLib\{libid}\<major.minor>\<lcid hex>\linux64 (falling back to lcid 0) and
// loads the library named there. TYPE_E_LIBNOTREGISTERED when there is no such entry.
HRESULT LoadRegTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid, ITypeLib** out);
// Writes HKCR\TypeLib\{libid}\<major.minor> = help text, with \0\linux64 = fullPath (this
// system's libraries hold one language each and are recorded language-neutral),
// \FLAGS = "0", \HELPDIR = helpDir (or the folder of fullPath), and for every interface
// HKCR\Interface\{iid} = name with the subkeys TypeLib = {libid} (value Version = major.minor)
// and ProxyStubClsid32 = the automation marshaller's class identifier.
// TYPE_E_REGISTRYACCESS when the registry cannot be written.
HRESULT RegisterTypeLib(ITypeLib* lib, LPCOLESTR fullPath, LPCOLESTR helpDir);
// Removes what RegisterTypeLib wrote for that library version and platform (under the given
// language and the neutral one): the platform key, the version key once it holds no
// language any more, and then the interface keys that name this library version.
// TYPE_E_REGISTRYACCESS when the registry cannot be written; TYPE_E_LIBNOTREGISTERED when the
// library version is not registered.
HRESULT UnRegisterTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid, SYSKIND syskind);

// Class identifier written as ProxyStubClsid32 of automation-compatible interfaces
// ({00020424-0000-0000-C000-000000000046}, the standard automation marshaller).
DEFINE_GUID(CLSID_PSOAInterface, 0x00020424, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00,
            0x00, 0x46);
