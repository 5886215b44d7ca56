#pragma once
// Class activation: finding a class by ProgID and creating its objects through the
// in-process server library named in the registry. A class is registered as
//   HKEY_CLASSES_ROOT\<ProgID>\CLSID = {clsid}          (or \CurVer = <versioned ProgID>)
//   HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32 = library file name
// The library is opened by the normal library search (LD_LIBRARY_PATH, the cache, the
// system folders), then from the calling program's own folder; a name ending in ".dll" is
// also tried as "lib<name>.so". Opened libraries stay loaded (CoFreeUnusedLibraries
// unloads those whose DllCanUnloadNow says S_OK). Failures also set the thread's error
// information with a text naming the library and the loader's message.

#include <string>
#include <string_view>

#include "platform/com/interfaces.h"

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
constexpr DWORD CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
constexpr DWORD CLSCTX_SERVER = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
constexpr DWORD CLSCTX_ALL = CLSCTX_INPROC | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;

// The entry points an in-process server library exports (extern "C").
using DllGetClassObjectFn = HRESULT (*)(REFCLSID rclsid, REFIID riid, LPVOID* ppv);
using DllCanUnloadNowFn = HRESULT (*)();
using DllRegisterServerFn = HRESULT (*)();
using DllUnregisterServerFn = HRESULT (*)();

// Per-thread counters; S_OK on the first call of a thread, S_FALSE on nested ones.
HRESULT CoInitialize(LPVOID reserved);
HRESULT CoInitializeEx(LPVOID reserved, DWORD coinit);
void CoUninitialize();

// HKCR\<progId>\CLSID, else through HKCR\<progId>\CurVer. CO_E_CLASSSTRING when the
// ProgID is unknown, REGDB_E_READREGDB when the registry cannot be read, E_INVALIDARG for
// null arguments.
HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid);
HRESULT CLSIDFromProgID(std::string_view progId, CLSID* clsid);
// HKCR\CLSID\{clsid}\ProgID as a CoTaskMemAlloc string; REGDB_E_CLASSNOTREG when absent.
HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* progId);

// The class factory (or another interface of it) of a registered class.
// REGDB_E_CLASSNOTREG: no InprocServer32 entry (or clsctx lacks CLSCTX_INPROC_SERVER);
// CO_E_DLLNOTFOUND: the library cannot be opened; CO_E_ERRORINDLL: it exports no
// DllGetClassObject; else the library's own result.
HRESULT CoGetClassObject(REFCLSID rclsid, DWORD clsctx, LPVOID serverInfo, REFIID riid,
                         LPVOID* ppv);
// CoGetClassObject for IClassFactory, then CreateInstance(outer, riid, ppv).
HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* outer, DWORD clsctx, REFIID riid, LPVOID* ppv);
void CoFreeUnusedLibraries();

// Opens a server library by the search above and keeps it loaded; null with *error set
// when it cannot be found or opened. Tools that register libraries use this.
void* loadServerLibrary(std::string_view fileName, std::string* error);
