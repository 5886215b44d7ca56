#include "platform/com/typelib.h"

#include <gtest/gtest.h>

#include "platform/com/property_bag.h"
#include "platform/com/registry.h"
#include "platform/com/typelib_invoker.h"
#include "tests/platform/com/temp_registry.h"

namespace {

DEFINE_GUID(LIBID_Calc, 0x11111111, 0x2222, 0x3333, 0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55);
DEFINE_GUID(IID_ICalc, 0x11111112, 0x2222, 0x3333, 0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55);

// A small dual interface of the test, described and invoked like the kernel's.
struct ICalc : IDispatch {
  virtual HRESULT get_scale(double* d) = 0;
  virtual HRESULT put_scale(double v) = 0;
  virtual HRESULT scaled(LONG a, SHORT b, double* r) = 0;
  virtual HRESULT split(double x, double* whole, double* rest) = 0;
  virtual HRESULT fail() = 0;
};

class Calc final : public ICalc {
 public:
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
  HRESULT get_scale(double* d) override { return *d = scale, S_OK; }
  HRESULT put_scale(double v) override { return scale = v, S_OK; }
  HRESULT scaled(LONG a, SHORT b, double* r) override { return *r = scale * (a - b), S_OK; }
  HRESULT split(double x, double* whole, double* rest) override {
    *whole = static_cast<double>(static_cast<long>(x));
    *rest = x - *whole;
    return S_OK;
  }
  HRESULT fail() override { return E_INVALIDARG; }
  double scale = 1;
};

const TypeLibDesc& calcLib() {
  static const TypeLibDesc desc{
      "CalcLib",
      "Calc 1.0 Type Library",
      &LIBID_Calc,
      1,
      2,
      0,
      {{"ICalc",
        "calculator",
        &IID_ICalc,
        true,
        nullptr,
        {
            {1,
             INVOKE_PROPERTYGET,
             "scale",
             "the factor",
             {{"d", VT_R8, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL}},
             typeLibInvoker<&ICalc::get_scale>()},
            {1,
             INVOKE_PROPERTYPUT,
             "scale",
             nullptr,
             {{nullptr, VT_R8, PARAMFLAG_FIN}},
             typeLibInvoker<&ICalc::put_scale>()},
            {2,
             INVOKE_FUNC,
             "scaled",
             "scale*(a-b)",
             {{"a", VT_I4, PARAMFLAG_FIN},
              {"b", VT_I2, PARAMFLAG_FIN},
              {"r", VT_R8, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL}},
             typeLibInvoker<&ICalc::scaled>()},
            {3,
             INVOKE_FUNC,
             "split",
             nullptr,
             {{"x", VT_R8, PARAMFLAG_FIN},
              {"whole", VT_R8, PARAMFLAG_FOUT},
              {"rest", VT_R8, PARAMFLAG_FOUT}},
             typeLibInvoker<&ICalc::split>()},
            {4, INVOKE_FUNC, "fail", nullptr, {}, typeLibInvoker<&ICalc::fail>()},
        }}},
      {}};
  return desc;
}

class TypeLibCalcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lib_ = CreateTypeLibFromDesc(calcLib());
    ASSERT_EQ(lib_->GetTypeInfoOfGuid(IID_ICalc, &info_), S_OK);
  }
  void TearDown() override {
    info_->Release();
    EXPECT_EQ(lib_->Release(), 0u);
  }
  HRESULT call(MEMBERID id, WORD flags, std::vector<VARIANT> args, VARIANT* result,
               UINT* argErr = nullptr, bool namedPut = false, EXCEPINFO* ei = nullptr) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS dp{args.data(), namedPut ? &named : nullptr, static_cast<UINT>(args.size()),
                  namedPut ? 1u : 0u};
    return info_->Invoke(static_cast<ICalc*>(&calc_), id, flags, &dp, result, ei, argErr);
  }
  static VARIANT r8(double d) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_R8, v.dblVal = d;
    return v;
  }
  static VARIANT i4(LONG n) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4, v.lVal = n;
    return v;
  }

  ITypeLib* lib_ = nullptr;
  ITypeInfo* info_ = nullptr;
  Calc calc_;
};

TEST_F(TypeLibCalcTest, ArgumentsArriveInReverseOrderConvertedToTheDeclaredTypes) {
  VARIANT result;
  VariantInit(&result);
  calc_.scale = 2;
  // scaled(a = 10, b = 2.6 -> 3): rgvarg holds b first.
  EXPECT_EQ(call(2, DISPATCH_METHOD, {r8(2.6), i4(10)}, &result), S_OK);
  EXPECT_EQ(result.vt, VT_R8);
  EXPECT_EQ(result.dblVal, 14);
  BSTR text = SysAllocStringUtf8("7");
  VARIANT t;
  VariantInit(&t);
  t.vt = VT_BSTR, t.bstrVal = text;
  EXPECT_EQ(call(2, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {i4(1), t}, &result), S_OK);
  EXPECT_EQ(result.dblVal, 12);
  SysFreeString(text);
}

TEST_F(TypeLibCalcTest, PutTakesTheNamedValueAndGetGivesTheRetval) {
  VARIANT result;
  VariantInit(&result);
  EXPECT_EQ(call(1, DISPATCH_PROPERTYPUT, {r8(4.5)}, nullptr, nullptr, true), S_OK);
  EXPECT_EQ(calc_.scale, 4.5);
  EXPECT_EQ(call(1, DISPATCH_PROPERTYGET, {}, &result), S_OK);
  EXPECT_EQ(result.dblVal, 4.5);
  // A method call of a property, and a put of a method: no such member of that kind.
  EXPECT_EQ(call(1, DISPATCH_METHOD, {}, &result), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(call(2, DISPATCH_PROPERTYPUT, {r8(1)}, nullptr, nullptr, true), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(call(99, DISPATCH_METHOD, {}, &result), DISP_E_MEMBERNOTFOUND);
}

TEST_F(TypeLibCalcTest, OutParametersNeedReferencesToTheirTypeOrAVariant) {
  double whole = 0;
  VARIANT rest;
  VariantInit(&rest);
  VARIANT refWhole, refRest;
  VariantInit(&refWhole);
  VariantInit(&refRest);
  refWhole.vt = VT_R8 | VT_BYREF, refWhole.pdblVal = &whole;
  refRest.vt = VT_VARIANT | VT_BYREF, refRest.pvarVal = &rest;
  EXPECT_EQ(call(3, DISPATCH_METHOD, {refRest, refWhole, r8(3.25)}, nullptr), S_OK);
  EXPECT_EQ(whole, 3);
  EXPECT_EQ(rest.vt, VT_R8);
  EXPECT_EQ(rest.dblVal, 0.25);
  UINT argErr = 99;
  EXPECT_EQ(call(3, DISPATCH_METHOD, {r8(0), refWhole, r8(3.25)}, nullptr, &argErr),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 0u);
}

TEST_F(TypeLibCalcTest, CountAndTypeErrorsNameTheArgument) {
  VARIANT result;
  VariantInit(&result);
  UINT argErr = 99;
  EXPECT_EQ(call(2, DISPATCH_METHOD, {i4(1)}, &result, &argErr), DISP_E_PARAMNOTOPTIONAL);
  EXPECT_EQ(call(2, DISPATCH_METHOD, {i4(1), i4(2), i4(3)}, &result, &argErr),
            DISP_E_BADPARAMCOUNT);
  VARIANT missing;
  VariantInit(&missing);
  missing.vt = VT_ERROR, missing.scode = DISP_E_PARAMNOTFOUND;
  EXPECT_EQ(call(2, DISPATCH_METHOD, {i4(1), missing}, &result, &argErr), DISP_E_PARAMNOTOPTIONAL);
  EXPECT_EQ(argErr, 1u);
  VARIANT big = r8(1e12);  // beyond a 16-bit b
  EXPECT_EQ(call(2, DISPATCH_METHOD, {big, i4(1)}, &result, &argErr), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 0u);
}

TEST_F(TypeLibCalcTest, AFailingMemberBecomesAnExceptionCarryingItsResult) {
  EXCEPINFO ei{};
  EXPECT_EQ(call(4, DISPATCH_METHOD, {}, nullptr, nullptr, false, &ei), DISP_E_EXCEPTION);
  EXPECT_EQ(ei.scode, E_INVALIDARG);
  EXPECT_EQ(utf8FromBstr(ei.bstrSource), "ICalc");
  SysFreeString(ei.bstrSource);
}

TEST_F(TypeLibCalcTest, NamesAreFoundWithoutRegardToCase) {
  BSTR names[2] = {SysAllocStringUtf8("SCALED"), SysAllocStringUtf8("b")};
  MEMBERID ids[2] = {0, 0};
  EXPECT_EQ(info_->GetIDsOfNames(names, 2, ids), S_OK);
  EXPECT_EQ(ids[0], 2);
  EXPECT_EQ(ids[1], 1);
  SysFreeString(names[0]);
  SysFreeString(names[1]);
}

class TypeLibRegistryTest : public TempRegistry {};

TEST_F(TypeLibRegistryTest, RegisterWritesLibraryAndInterfaceKeysAndUnregisterRemovesThem) {
  ITypeLib* lib = CreateTypeLibFromDesc(calcLib());
  EXPECT_EQ(RegisterTypeLib(lib, u"/opt/calc/libcalc.so", nullptr), S_OK);
  RegistryStore store;
  std::string error, text;
  ASSERT_EQ(store.load(registryPath(), &error), ERROR_SUCCESS);
  const std::string base =
      "HKEY_CLASSES_ROOT\\TypeLib\\{11111111-2222-3333-4444-555555555555}\\1.2";
  EXPECT_EQ(store.queryValue(base, "", &text), ERROR_SUCCESS);
  EXPECT_EQ(text, "Calc 1.0 Type Library");
  EXPECT_EQ(store.queryValue(base + "\\0\\linux64", "", &text), ERROR_SUCCESS);
  EXPECT_EQ(text, "/opt/calc/libcalc.so");
  EXPECT_EQ(store.queryValue(base + "\\HELPDIR", "", &text), ERROR_SUCCESS);
  EXPECT_EQ(text, "/opt/calc");
  const std::string ifc = "HKEY_CLASSES_ROOT\\Interface\\{11111112-2222-3333-4444-555555555555}";
  EXPECT_EQ(store.queryValue(ifc, "", &text), ERROR_SUCCESS);
  EXPECT_EQ(text, "ICalc");
  EXPECT_EQ(store.queryValue(ifc + "\\ProxyStubClsid32", "", &text), ERROR_SUCCESS);
  EXPECT_EQ(text, "{00020424-0000-0000-C000-000000000046}");
  EXPECT_EQ(store.queryValue(ifc + "\\TypeLib", "Version", &text), ERROR_SUCCESS);
  EXPECT_EQ(text, "1.2");
  // The registered file cannot be loaded here: the registry entry is found, the file is not.
  ITypeLib* loaded = nullptr;
  EXPECT_EQ(LoadRegTypeLib(LIBID_Calc, 1, 2, 0, &loaded), TYPE_E_CANTLOADLIBRARY);
  EXPECT_EQ(LoadRegTypeLib(LIBID_Calc, 1, 3, 0, &loaded), TYPE_E_LIBNOTREGISTERED);

  EXPECT_EQ(UnRegisterTypeLib(LIBID_Calc, 1, 2, 0, SYS_WIN64), S_OK);
  ASSERT_EQ(store.load(registryPath(), &error), ERROR_SUCCESS);
  EXPECT_FALSE(
      store.keyExists("HKEY_CLASSES_ROOT\\TypeLib\\{11111111-2222-3333-4444-555555555555}"));
  EXPECT_FALSE(store.keyExists(ifc));
  EXPECT_EQ(UnRegisterTypeLib(LIBID_Calc, 1, 2, 0, SYS_WIN64), TYPE_E_LIBNOTREGISTERED);
  lib->Release();
}

TEST(LoadTypeLib, LibraryWithoutTypeLibraryOrMissingFileFails) {
  ITypeLib* lib = reinterpret_cast<ITypeLib*>(1);
  EXPECT_EQ(LoadTypeLib(u"/nonexistent/libnothing.so", &lib), TYPE_E_CANTLOADLIBRARY);
  EXPECT_EQ(lib, nullptr);
  // The C library opens but publishes no type library.
  EXPECT_EQ(LoadTypeLib(u"libc.so.6", &lib), TYPE_E_INVDATAREAD);
  EXPECT_EQ(LoadTypeLib(nullptr, &lib), E_INVALIDARG);
}

TEST(MemoryPropertyBag, KeepsOrderReplacesInPlaceAndDescribesItsProperties) {
  MemoryPropertyBag* bag = MemoryPropertyBag::create();
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  for (const char* name : {"b", "a", "c"}) bag->setUtf8(name, v);
  v.lVal = 5;
  bag->setUtf8("a", v);
  ULONG count = 0;
  EXPECT_EQ(bag->CountProperties(&count), S_OK);
  EXPECT_EQ(count, 3u);
  PROPBAG2 info[3];
  ULONG got = 0;
  EXPECT_EQ(bag->GetPropertyInfo(0, 3, info, &got), S_OK);
  ASSERT_EQ(got, 3u);
  EXPECT_EQ(utf8FromOleStr(info[1].pstrName), "a");
  VARIANT values[2];
  HRESULT errors[2];
  PROPBAG2 ask[2] = {info[1], info[0]};
  ask[0].vt = VT_R8;
  CoTaskMemFree(info[2].pstrName);
  BSTR unknown = SysAllocStringUtf8("zz");
  ask[1].pstrName = unknown;
  EXPECT_EQ(bag->Read(2, ask, nullptr, values, errors), E_FAIL);
  EXPECT_EQ(errors[0], S_OK);
  EXPECT_EQ(values[0].vt, VT_R8);
  EXPECT_EQ(values[0].dblVal, 5);
  EXPECT_EQ(errors[1], E_INVALIDARG);
  SysFreeString(unknown);
  CoTaskMemFree(info[0].pstrName);
  CoTaskMemFree(info[1].pstrName);
  EXPECT_EQ(bag->GetPropertyInfo(3, 1, info, &got), E_INVALIDARG);
  bag->Release();
}

}  // namespace
