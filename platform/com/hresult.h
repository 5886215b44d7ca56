#pragma once
// Result codes of the automation subset. Bit 31 set means failure; the values are the
// well-known ones so that numbers in messages and logs read the same on every platform.

#include <cstdint>

using HRESULT = std::int32_t;
using SCODE = std::int32_t;

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

namespace com_detail {
constexpr HRESULT code(std::uint32_t bits) { return static_cast<HRESULT>(bits); }
}  // namespace com_detail

// A Win32 error number (as the registry functions return) wrapped as a result code.
constexpr HRESULT HRESULT_FROM_WIN32(std::int32_t err) {
  return err <= 0 ? err
                  : com_detail::code((static_cast<std::uint32_t>(err) & 0xFFFFu) | 0x80070000u);
}

// General.
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = com_detail::code(0x80004001u);
constexpr HRESULT E_NOINTERFACE = com_detail::code(0x80004002u);
constexpr HRESULT E_POINTER = com_detail::code(0x80004003u);
constexpr HRESULT E_ABORT = com_detail::code(0x80004004u);
constexpr HRESULT E_FAIL = com_detail::code(0x80004005u);
constexpr HRESULT E_UNEXPECTED = com_detail::code(0x8000FFFFu);
constexpr HRESULT E_ACCESSDENIED = com_detail::code(0x80070005u);
constexpr HRESULT E_HANDLE = com_detail::code(0x80070006u);
constexpr HRESULT E_OUTOFMEMORY = com_detail::code(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = com_detail::code(0x80070057u);

// Dispatch (late-bound calls).
constexpr HRESULT DISP_E_UNKNOWNINTERFACE = com_detail::code(0x80020001u);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = com_detail::code(0x80020003u);
constexpr HRESULT DISP_E_PARAMNOTFOUND = com_detail::code(0x80020004u);
constexpr HRESULT DISP_E_TYPEMISMATCH = com_detail::code(0x80020005u);
constexpr HRESULT DISP_E_UNKNOWNNAME = com_detail::code(0x80020006u);
constexpr HRESULT DISP_E_NONAMEDARGS = com_detail::code(0x80020007u);
constexpr HRESULT DISP_E_BADVARTYPE = com_detail::code(0x80020008u);
constexpr HRESULT DISP_E_EXCEPTION = com_detail::code(0x80020009u);
constexpr HRESULT DISP_E_OVERFLOW = com_detail::code(0x8002000Au);
constexpr HRESULT DISP_E_BADINDEX = com_detail::code(0x8002000Bu);
constexpr HRESULT DISP_E_UNKNOWNLCID = com_detail::code(0x8002000Cu);
constexpr HRESULT DISP_E_ARRAYISLOCKED = com_detail::code(0x8002000Du);
constexpr HRESULT DISP_E_BADPARAMCOUNT = com_detail::code(0x8002000Eu);
constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = com_detail::code(0x8002000Fu);
constexpr HRESULT DISP_E_BADCALLEE = com_detail::code(0x80020010u);
constexpr HRESULT DISP_E_NOTACOLLECTION = com_detail::code(0x80020011u);
constexpr HRESULT DISP_E_DIVBYZERO = com_detail::code(0x80020012u);
constexpr HRESULT DISP_E_BUFFERTOOSMALL = com_detail::code(0x80020013u);

// Type libraries and type descriptions.
constexpr HRESULT TYPE_E_BUFFERTOOSMALL = com_detail::code(0x80028016u);
constexpr HRESULT TYPE_E_FIELDNOTFOUND = com_detail::code(0x80028017u);
constexpr HRESULT TYPE_E_INVDATAREAD = com_detail::code(0x80028018u);
constexpr HRESULT TYPE_E_UNSUPFORMAT = com_detail::code(0x80028019u);
constexpr HRESULT TYPE_E_REGISTRYACCESS = com_detail::code(0x8002801Cu);
constexpr HRESULT TYPE_E_LIBNOTREGISTERED = com_detail::code(0x8002801Du);
constexpr HRESULT TYPE_E_UNDEFINEDTYPE = com_detail::code(0x80028027u);
constexpr HRESULT TYPE_E_QUALIFIEDNAMEDISALLOWED = com_detail::code(0x80028028u);
constexpr HRESULT TYPE_E_INVALIDSTATE = com_detail::code(0x80028029u);
constexpr HRESULT TYPE_E_WRONGTYPEKIND = com_detail::code(0x8002802Au);
constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = com_detail::code(0x8002802Bu);
constexpr HRESULT TYPE_E_AMBIGUOUSNAME = com_detail::code(0x8002802Cu);
constexpr HRESULT TYPE_E_NAMECONFLICT = com_detail::code(0x8002802Du);
constexpr HRESULT TYPE_E_UNKNOWNLCID = com_detail::code(0x8002802Eu);
constexpr HRESULT TYPE_E_DLLFUNCTIONNOTFOUND = com_detail::code(0x8002802Fu);
constexpr HRESULT TYPE_E_BADMODULEKIND = com_detail::code(0x800288BDu);
constexpr HRESULT TYPE_E_SIZETOOBIG = com_detail::code(0x800288C5u);
constexpr HRESULT TYPE_E_DUPLICATEID = com_detail::code(0x800288C6u);
constexpr HRESULT TYPE_E_INVALIDID = com_detail::code(0x800288CFu);
constexpr HRESULT TYPE_E_TYPEMISMATCH = com_detail::code(0x80028CA0u);
constexpr HRESULT TYPE_E_OUTOFBOUNDS = com_detail::code(0x80028CA1u);
constexpr HRESULT TYPE_E_IOERROR = com_detail::code(0x80028CA2u);
constexpr HRESULT TYPE_E_CANTCREATETMPFILE = com_detail::code(0x80028CA3u);
constexpr HRESULT TYPE_E_CANTLOADLIBRARY = com_detail::code(0x80029C4Au);
constexpr HRESULT TYPE_E_INCONSISTENTPROPFUNCS = com_detail::code(0x80029C83u);
constexpr HRESULT TYPE_E_CIRCULARTYPE = com_detail::code(0x80029C84u);

// Class factories and class activation.
constexpr HRESULT CLASS_E_NOAGGREGATION = com_detail::code(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = com_detail::code(0x80040111u);
constexpr HRESULT CLASS_E_NOTLICENSED = com_detail::code(0x80040112u);
constexpr HRESULT REGDB_E_READREGDB = com_detail::code(0x80040150u);
constexpr HRESULT REGDB_E_WRITEREGDB = com_detail::code(0x80040151u);
constexpr HRESULT REGDB_E_KEYMISSING = com_detail::code(0x80040152u);
constexpr HRESULT REGDB_E_INVALIDVALUE = com_detail::code(0x80040153u);
constexpr HRESULT REGDB_E_CLASSNOTREG = com_detail::code(0x80040154u);
constexpr HRESULT REGDB_E_IIDNOTREG = com_detail::code(0x80040155u);
constexpr HRESULT CO_E_NOTINITIALIZED = com_detail::code(0x800401F0u);
constexpr HRESULT CO_E_CLASSSTRING = com_detail::code(0x800401F3u);
constexpr HRESULT CO_E_APPNOTFOUND = com_detail::code(0x800401F5u);
constexpr HRESULT CO_E_DLLNOTFOUND = com_detail::code(0x800401F8u);
constexpr HRESULT CO_E_ERRORINDLL = com_detail::code(0x800401F9u);

// Self-registration of server libraries.
constexpr HRESULT SELFREG_E_TYPELIB = com_detail::code(0x80040200u);
constexpr HRESULT SELFREG_E_CLASS = com_detail::code(0x80040201u);
