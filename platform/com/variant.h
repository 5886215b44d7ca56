#pragma once
// Automation variants: a type code and a value, as late-bound calls pass their arguments
// and results. The owner of a variant clears it: strings are freed, interfaces released.

#include "platform/com/bstr.h"
#include "platform/com/guid.h"
#include "platform/com/hresult.h"
#include "platform/com/types.h"

struct IUnknown;
struct IDispatch;
struct SAFEARRAY;  // arrays are not supported by this subset; the pointer type is declared only

using VARTYPE = std::uint16_t;
using VARIANT_BOOL = std::int16_t;
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;
using DATE = double;
using DISPID = LONG;
using MEMBERID = DISPID;

// Currency: a 64-bit integer scaled by 10,000.
union CY {
  LONGLONG int64;
};

enum VARENUM {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_DECIMAL = 14,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_VOID = 24,
  VT_HRESULT = 25,
  VT_PTR = 26,
  VT_SAFEARRAY = 27,
  VT_CARRAY = 28,
  VT_USERDEFINED = 29,
  VT_LPSTR = 30,
  VT_LPWSTR = 31,
  VT_RECORD = 36,
  VT_VECTOR = 0x1000,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
  VT_RESERVED = 0x8000,
  VT_TYPEMASK = 0x0fff,
};

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONGLONG llVal;
    ULONGLONG ullVal;
    LONG lVal;
    ULONG ulVal;
    BYTE bVal;
    CHAR cVal;
    SHORT iVal;
    USHORT uiVal;
    INT intVal;
    UINT uintVal;
    FLOAT fltVal;
    DOUBLE dblVal;
    VARIANT_BOOL boolVal;
    SCODE scode;
    CY cyVal;
    DATE date;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    SAFEARRAY* parray;
    BYTE* pbVal;
    CHAR* pcVal;
    SHORT* piVal;
    USHORT* puiVal;
    LONG* plVal;
    ULONG* pulVal;
    LONGLONG* pllVal;
    ULONGLONG* pullVal;
    INT* pintVal;
    UINT* puintVal;
    FLOAT* pfltVal;
    DOUBLE* pdblVal;
    VARIANT_BOOL* pboolVal;
    SCODE* pscode;
    CY* pcyVal;
    DATE* pdate;
    BSTR* pbstrVal;
    IUnknown** ppunkVal;
    IDispatch** ppdispVal;
    SAFEARRAY** pparray;
    VARIANT* pvarVal;
    PVOID byref;
  };
};
using VARIANTARG = VARIANT;
using LPVARIANT = VARIANT*;
using LPVARIANTARG = VARIANT*;

// Arguments of a late-bound call: rgvarg holds them in reverse order (the last argument
// first); the first cNamedArgs of them are named by rgdispidNamedArgs.
struct DISPPARAMS {
  VARIANTARG* rgvarg;
  DISPID* rgdispidNamedArgs;
  UINT cArgs;
  UINT cNamedArgs;
};

// What a member that failed with DISP_E_EXCEPTION tells its caller.
struct EXCEPINFO {
  WORD wCode;
  WORD wReserved;
  BSTR bstrSource;
  BSTR bstrDescription;
  BSTR bstrHelpFile;
  DWORD dwHelpContext;
  PVOID pvReserved;
  HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
  SCODE scode;
};

// Flags of VariantChangeType.
constexpr WORD VARIANT_NOVALUEPROP = 0x01;  // do not ask an object for its default value
constexpr WORD VARIANT_ALPHABOOL = 0x02;    // booleans to text as "True"/"False"
constexpr WORD VARIANT_NOUSEROVERRIDE = 0x04;
constexpr WORD VARIANT_LOCALBOOL = 0x10;  // as VARIANT_ALPHABOOL (texts are English)

// Sets vt to VT_EMPTY.
void VariantInit(VARIANTARG* v);
// Frees what the variant owns (string, interface reference) and sets it to VT_EMPTY;
// references (VT_BYREF) are left alone. DISP_E_BADVARTYPE, leaving the variant as it is,
// for a type this subset does not know or hold (arrays, records, decimals).
HRESULT VariantClear(VARIANTARG* v);
// Clears dest, then makes it a copy of src: strings duplicated, interfaces add-referenced,
// references copied as references. Copying a variant onto itself does nothing.
HRESULT VariantCopy(VARIANTARG* dest, const VARIANTARG* src);
// As VariantCopy, but a reference (VT_BYREF) is replaced by a copy of what it refers to.
HRESULT VariantCopyInd(VARIANT* dest, const VARIANTARG* src);
// Converts src to type vt into dest (dest may be src). Numbers round to the nearest
// integer, halves to even; values outside the target's range give DISP_E_OVERFLOW; texts
// that are no number (or boolean) give DISP_E_TYPEMISMATCH; dest is unchanged on failure.
// Supported: VT_EMPTY, VT_I1/I2/I4/I8, VT_UI1/UI2/UI4/UI8, VT_INT/UINT, VT_R4/R8, VT_BOOL,
// VT_BSTR, VT_ERROR, VT_DISPATCH and VT_UNKNOWN (through QueryInterface); references in
// src are followed; an object in src gives its default value (DISPID_VALUE) unless
// VARIANT_NOVALUEPROP is set.
HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* src, WORD flags, VARTYPE vt);
HRESULT VariantChangeTypeEx(VARIANTARG* dest, const VARIANTARG* src, LCID lcid, WORD flags,
                            VARTYPE vt);

// Frees the three strings an EXCEPINFO owns and sets them null (a null e is ignored), so a
// caller that passed one to a call need not free them one by one.
void ExcepInfoClear(EXCEPINFO* e);
