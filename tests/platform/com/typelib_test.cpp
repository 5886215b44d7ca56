#include "platform/com/typelib.h"

#include <gtest/gtest.h>

#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"
#include "platform/com/typelib_invoker.h"

namespace {

DEFINE_GUID(LIBID_Calc, 0x11111111, 0x2222, 0x3333, 0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55);
DEFINE_GUID(IID_ICalc, 0x11111112, 0x2222, 0x3333, 0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55);

// A small dual interface of the test, described and invoked like the kernel's.
struct ICalc : IDispatch {
  virtual HRESULT get_scale(double* d) = 0;
  virtual HRESULT put_scale(double v) = 0;
  virtual HRESULT scaled(LONG a, LONG b, double* r) = 0;
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
  HRESULT scaled(LONG a, LONG b, double* r) override { return *r = scale * (a - b), S_OK; }
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
              {"b", VT_I4, PARAMFLAG_FIN},
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
  void SetUp() override { ASSERT_EQ(lib_->GetTypeInfoOfGuid(IID_ICalc, info_.put()), S_OK); }
  void TearDown() override {
    info_ = nullptr;
    EXPECT_EQ(lib_.detach()->Release(), 0u);
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

  ComPtr<ITypeLib> lib_ = ComPtr<ITypeLib>::adopt(CreateTypeLibFromDesc(calcLib()));
  ComPtr<ITypeInfo> info_;
  Calc calc_;
};

TEST_F(TypeLibCalcTest, ArgumentsArriveInReverseOrderConvertedToTheDeclaredTypes) {
  VARIANT result;
  VariantInit(&result);
  calc_.scale = 2;
  // scaled(a = 10, b = 2.6 -> 3): rgvarg holds b first, converted or of the exact types.
  EXPECT_EQ(call(2, DISPATCH_METHOD, {r8(2.6), i4(10)}, &result), S_OK);
  EXPECT_EQ(result.vt, VT_R8);
  EXPECT_EQ(result.dblVal, 14);
  EXPECT_EQ(call(2, DISPATCH_METHOD, {i4(3), i4(10)}, &result), S_OK);
  EXPECT_EQ(result.dblVal, 14);
  const Bstr text("7");
  VARIANT t;
  VariantInit(&t);
  t.vt = VT_BSTR, t.bstrVal = text.get();
  EXPECT_EQ(call(2, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {i4(1), t}, &result), S_OK);
  EXPECT_EQ(result.dblVal, 12);
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
  VARIANT big = r8(1e12);  // beyond a 32-bit b
  EXPECT_EQ(call(2, DISPATCH_METHOD, {big, i4(1)}, &result, &argErr), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 0u);
}

TEST_F(TypeLibCalcTest, AFailingMemberBecomesAnExceptionCarryingItsResult) {
  EXCEPINFO ei{};
  EXPECT_EQ(call(4, DISPATCH_METHOD, {}, nullptr, nullptr, false, &ei), DISP_E_EXCEPTION);
  EXPECT_EQ(ei.scode, E_INVALIDARG);
  EXPECT_EQ(Bstr::adopt(ei.bstrSource).utf8(), "ICalc");
}

TEST_F(TypeLibCalcTest, NamesAreFoundWithoutRegardToCase) {
  Bstr member("SCALED"), param("b");
  LPOLESTR names[2] = {member.get(), param.get()};
  MEMBERID ids[2] = {0, 0};
  EXPECT_EQ(info_->GetIDsOfNames(names, 2, ids), S_OK);
  EXPECT_EQ(ids[0], 2);
  EXPECT_EQ(ids[1], 1);
}

}  // namespace
