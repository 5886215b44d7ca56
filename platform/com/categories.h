#pragma once
// Component categories: category descriptions under
// HKEY_CLASSES_ROOT\Component Categories\{CATID} (one text value per locale, named by the
// locale in hex, "409" for 1033) and the categories a class implements or requires, as keys
// HKEY_CLASSES_ROOT\CLSID\{clsid}\Implemented Categories\{CATID} (Required Categories).
// The functions behave as the ICatRegister members of the same names; the standard
// manager object (CLSID_StdComponentCategoriesMgr) answers ICatRegister with them.

#include <string>

#include "platform/com/interfaces.h"

DEFINE_GUID(CATID_SafeForScripting, 0x7DD95801, 0x9882, 0x11CF, 0x9F, 0xA9, 0x00, 0xAA, 0x00, 0x6C,
            0x42, 0xC4);
DEFINE_GUID(CATID_SafeForInitializing, 0x7DD95802, 0x9882, 0x11CF, 0x9F, 0xA9, 0x00, 0xAA, 0x00,
            0x6C, 0x42, 0xC4);
DEFINE_GUID(CLSID_StdComponentCategoriesMgr, 0x0002E005, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00,
            0x00, 0x00, 0x00, 0x46);

// Results: S_OK, E_INVALIDARG for null arrays with a count, hresultFromRegistryError()
// of the registry's failure otherwise (RegLastErrorText() tells why). Removing a mark or
// category that is not there is no failure.
HRESULT RegisterCategories(ULONG count, const CATEGORYINFO* infos);
HRESULT UnRegisterCategories(ULONG count, const CATID* catids);
HRESULT RegisterClassImplCategories(REFCLSID clsid, ULONG count, const CATID* catids);
HRESULT UnRegisterClassImplCategories(REFCLSID clsid, ULONG count, const CATID* catids);
HRESULT RegisterClassReqCategories(REFCLSID clsid, ULONG count, const CATID* catids);
HRESULT UnRegisterClassReqCategories(REFCLSID clsid, ULONG count, const CATID* catids);

// Queries: S_OK when the class is marked as implementing the category, else S_FALSE.
HRESULT IsClassOfCategory(REFCLSID clsid, REFCATID catid);
// The category's description for lcid (falling back to 409, then to any locale) as a
// CoTaskMemAlloc string; CAT_E_CATIDNOEXIST / CAT_E_NODESCRIPTION when missing.
constexpr HRESULT CAT_E_CATIDNOEXIST = static_cast<HRESULT>(0x80040160u);
constexpr HRESULT CAT_E_NODESCRIPTION = static_cast<HRESULT>(0x80040161u);
HRESULT GetCategoryDesc(REFCATID catid, LCID lcid, LPOLESTR* description);

// A new standard manager object (one reference) answering IUnknown and ICatRegister.
HRESULT createCategoryManager(REFIID riid, void** out);
