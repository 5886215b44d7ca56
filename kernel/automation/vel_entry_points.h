#pragma once
// The behaviour behind the server library's exports DllGetClassObject and DllCanUnloadNow,
// kept apart from the exports themselves so that the static core can be tested directly.

#include "platform/com/interfaces.h"

// A class factory for the class record of clsid, answering iid (IUnknown or IClassFactory
// only, else E_NOINTERFACE). The first call loads the module's type library (velLoadTypeLib).
// CLASS_E_CLASSNOTAVAILABLE when no creatable record has clsid; E_OUTOFMEMORY.
HRESULT velGetClassObject(REFCLSID clsid, REFIID iid, void** out);
// S_OK when no object of the library lives and no client holds a lock, else S_FALSE.
HRESULT velCanUnloadNow();
// Loads the type library into the module record, once per process: from the registry
// (identifier, version 1.0, language-neutral), else from the type-library file beside this
// library, which is then registered. Failures are reported and leave the record empty.
void velLoadTypeLib();
