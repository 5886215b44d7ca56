#include "platform/com/variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "platform/com/interfaces.h"

namespace {

VARIANT i4(LONG v) {
  VARIANT x;
  VariantInit(&x);
  x.vt = VT_I4;
  x.lVal = v;
  return x;
}
VARIANT r8(double v) {
  VARIANT x;
  VariantInit(&x);
  x.vt = VT_R8;
  x.dblVal = v;
  return x;
}
VARIANT boolean(bool v) {
  VARIANT x;
  VariantInit(&x);
  x.vt = VT_BOOL;
  x.boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
  return x;
}
VARIANT text(const char* s) {
  VARIANT x;
  VariantInit(&x);
  x.vt = VT_BSTR;
  x.bstrVal = SysAllocStringUtf8(s);
  return x;
}

// An object with a reference count that tests can read; its default value is 42.
class FakeObject final : public IDispatch {
 public:
  ULONG refs = 1;
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (riid != IID_IUnknown && riid != IID_IDispatch) return *ppv = nullptr, E_NOINTERFACE;
    *ppv = this;
    ++refs;
    return S_OK;
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }
  HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO*, UINT*) override {
    if (id != DISPID_VALUE || !(flags & DISPATCH_PROPERTYGET) || params->cArgs)
      return DISP_E_MEMBERNOTFOUND;
    *result = i4(42);
    return S_OK;
  }
};

struct Conversion {
  VARIANT (*make)();
  VARTYPE to;
  HRESULT hr;
  const char* expectText;  // the result converted to text, for comparing any type
};

std::string asText(const VARIANT& v) {
  VARIANT t;
  VariantInit(&t);
  if (FAILED(VariantChangeType(&t, &v, VARIANT_ALPHABOOL, VT_BSTR))) return "<no text>";
  std::string s = utf8FromBstr(t.bstrVal);
  VariantClear(&t);
  return std::to_string(v.vt) + ":" + s;
}

TEST(VariantChangeType, ConvertsBetweenTheAutomationTypes) {
  const Conversion table[] = {
      {[] { return i4(70000); }, VT_I2, DISP_E_OVERFLOW, ""},
      {[] { return i4(-32768); }, VT_I2, S_OK, "2:-32768"},
      {[] { return r8(2.5); }, VT_I4, S_OK, "3:2"},  // halves to even
      {[] { return r8(3.5); }, VT_I4, S_OK, "3:4"},
      {[] { return r8(-2.5); }, VT_I2, S_OK, "2:-2"},
      {[] { return r8(2147483647.4); }, VT_I4, S_OK, "3:2147483647"},
      {[] { return r8(2147483647.5); }, VT_I4, DISP_E_OVERFLOW, ""},
      {[] { return r8(NAN); }, VT_I4, DISP_E_OVERFLOW, ""},
      {[] { return r8(0.1); }, VT_BSTR, S_OK, "8:0.1"},
      {[] { return r8(1e20); }, VT_BSTR, S_OK, "8:1E+20"},
      {[] { return r8(-0.0); }, VT_BSTR, S_OK, "8:0"},
      {[] { return text(" -12 "); }, VT_I4, S_OK, "3:-12"},
      {[] { return text("1.5e3"); }, VT_R8, S_OK, "5:1500"},
      {[] { return text("1e400"); }, VT_R8, DISP_E_OVERFLOW, ""},
      {[] { return text("99999999999"); }, VT_I4, DISP_E_OVERFLOW, ""},
      {[] { return text("12abc"); }, VT_I4, DISP_E_TYPEMISMATCH, ""},
      {[] { return text("inf"); }, VT_R8, DISP_E_TYPEMISMATCH, ""},
      {[] { return text(""); }, VT_I2, DISP_E_TYPEMISMATCH, ""},
      {[] { return text("True"); }, VT_BOOL, S_OK, "11:True"},
      {[] { return text("0"); }, VT_BOOL, S_OK, "11:False"},
      {[] { return text("ja"); }, VT_BOOL, DISP_E_TYPEMISMATCH, ""},
      {[] { return boolean(true); }, VT_I2, S_OK, "2:-1"},
      {[] { return boolean(true); }, VT_R8, S_OK, "5:-1"},
      {[] { return r8(0.25); }, VT_BOOL, S_OK, "11:True"},
      {[] {
         VARIANT e;
         VariantInit(&e);
         return e;
       },
       VT_I4, S_OK, "3:0"},
      {[] {
         VARIANT e;
         VariantInit(&e);
         return e;
       },
       VT_BSTR, S_OK, "8:"},
      {[] {
         VARIANT n;
         VariantInit(&n);
         n.vt = VT_NULL;
         return n;
       },
       VT_I4, DISP_E_TYPEMISMATCH, ""},
      {[] { return i4(5); }, VT_DISPATCH, DISP_E_TYPEMISMATCH, ""},
  };
  for (const auto& row : table) {
    VARIANT src = row.make();
    const std::string from = asText(src);
    VARIANT out = i4(-777);
    EXPECT_EQ(VariantChangeType(&out, &src, 0, row.to), row.hr) << from << " -> " << row.to;
    if (row.hr == S_OK)
      EXPECT_EQ(asText(out), row.expectText) << from;
    else
      EXPECT_EQ(asText(out), "3:-777") << "a failed conversion must leave dest alone, " << from;
    VariantClear(&src);
    VariantClear(&out);
  }
}

TEST(VariantChangeType, BooleanTextsFollowTheAlphaFlag) {
  VARIANT t = boolean(true), out;
  VariantInit(&out);
  ASSERT_EQ(VariantChangeType(&out, &t, 0, VT_BSTR), S_OK);
  EXPECT_EQ(utf8FromBstr(out.bstrVal), "-1");
  ASSERT_EQ(VariantChangeType(&out, &t, VARIANT_ALPHABOOL, VT_BSTR), S_OK);
  EXPECT_EQ(utf8FromBstr(out.bstrVal), "True");
  VariantClear(&out);
}

// Property: real -> integer gives the nearest integer, an exact tie going to the even one.
TEST(VariantChangeType, RealsRoundToNearestWithTiesToEven) {
  std::mt19937 rng(99);
  std::uniform_int_distribution<int> whole(-100000, 100000);
  std::uniform_int_distribution<int> quarter(0, 3);
  for (int i = 0; i < 5000; ++i) {
    const double x = whole(rng) + 0.25 * quarter(rng) + (i % 7 == 0 ? 1e-9 : 0.0);
    VARIANT src = r8(x), out;
    VariantInit(&out);
    ASSERT_EQ(VariantChangeType(&out, &src, 0, VT_I4), S_OK);
    const double diff = std::fabs(out.lVal - x);
    ASSERT_LE(diff, 0.5) << x;
    if (diff == 0.5) {
      ASSERT_EQ(out.lVal % 2, 0) << x;
    }
  }
}

// Property: integers and reals survive a trip through text (reals to 15 significant digits).
TEST(VariantChangeType, NumbersSurviveTextRoundTrip) {
  std::mt19937 rng(3);
  std::uniform_int_distribution<LONG> anyInt(std::numeric_limits<LONG>::min(),
                                             std::numeric_limits<LONG>::max());
  std::uniform_real_distribution<double> mantissa(-10, 10);
  std::uniform_int_distribution<int> exponent(-300, 300);
  for (int i = 0; i < 3000; ++i) {
    VARIANT a = i4(anyInt(rng)), t, back;
    VariantInit(&t);
    VariantInit(&back);
    ASSERT_EQ(VariantChangeType(&t, &a, 0, VT_BSTR), S_OK);
    ASSERT_EQ(VariantChangeType(&back, &t, 0, VT_I4), S_OK);
    EXPECT_EQ(back.lVal, a.lVal);
    const double x = mantissa(rng) * std::pow(10.0, exponent(rng));
    VARIANT b = r8(x);
    ASSERT_EQ(VariantChangeType(&t, &b, 0, VT_BSTR), S_OK);
    ASSERT_EQ(VariantChangeType(&back, &t, 0, VT_R8), S_OK);
    EXPECT_NEAR(back.dblVal, x, std::fabs(x) * 1e-14) << utf8FromBstr(t.bstrVal);
    VariantClear(&t);
  }
}

TEST(VariantChangeType, ConvertsInPlaceAndThroughReferences) {
  VARIANT v = text("17");
  ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_I2), S_OK);  // the string is freed, not leaked
  EXPECT_EQ(v.vt, VT_I2);
  EXPECT_EQ(v.iVal, 17);
  double target = 4.75;
  VARIANT ref;
  VariantInit(&ref);
  ref.vt = VT_R8 | VT_BYREF;
  ref.pdblVal = &target;
  ASSERT_EQ(VariantChangeType(&v, &ref, 0, VT_I4), S_OK);
  EXPECT_EQ(v.lVal, 5);
}

TEST(VariantChangeType, ObjectsGiveTheirDefaultValueUnlessTold) {
  FakeObject object;
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_DISPATCH;
  v.pdispVal = &object;
  VARIANT out;
  VariantInit(&out);
  ASSERT_EQ(VariantChangeType(&out, &v, 0, VT_R8), S_OK);
  EXPECT_EQ(out.dblVal, 42.0);
  EXPECT_EQ(VariantChangeType(&out, &v, VARIANT_NOVALUEPROP, VT_R8), DISP_E_TYPEMISMATCH);
  ASSERT_EQ(VariantChangeType(&out, &v, 0, VT_UNKNOWN), S_OK);
  EXPECT_EQ(object.refs, 2u);
  VariantClear(&out);
  EXPECT_EQ(object.refs, 1u);
}

TEST(VariantCopy, DuplicatesStringsAndCountsReferences) {
  VARIANT a = text("Antrieb"), b;
  VariantInit(&b);
  ASSERT_EQ(VariantCopy(&b, &a), S_OK);
  EXPECT_NE(b.bstrVal, a.bstrVal);
  EXPECT_EQ(utf8FromBstr(b.bstrVal), "Antrieb");
  VariantClear(&a);
  EXPECT_EQ(utf8FromBstr(b.bstrVal), "Antrieb");

  FakeObject object;
  VARIANT o;
  VariantInit(&o);
  o.vt = VT_DISPATCH;
  o.pdispVal = &object;
  ASSERT_EQ(VariantCopy(&b, &o), S_OK);  // also frees b's string
  EXPECT_EQ(object.refs, 2u);
  ASSERT_EQ(VariantCopy(&b, &b), S_OK);
  EXPECT_EQ(object.refs, 2u);
  VariantClear(&b);
  EXPECT_EQ(object.refs, 1u);
}

TEST(VariantCopy, IndirectCopyFollowsTheReference) {
  BSTR s = SysAllocStringUtf8("ref");
  VARIANT ref, out;
  VariantInit(&ref);
  VariantInit(&out);
  ref.vt = VT_BSTR | VT_BYREF;
  ref.pbstrVal = &s;
  ASSERT_EQ(VariantCopy(&out, &ref), S_OK);
  EXPECT_EQ(out.vt, VT_BSTR | VT_BYREF);  // a plain copy stays a reference
  ASSERT_EQ(VariantCopyInd(&out, &ref), S_OK);
  EXPECT_EQ(out.vt, VT_BSTR);
  EXPECT_NE(out.bstrVal, s);
  EXPECT_EQ(utf8FromBstr(out.bstrVal), "ref");
  VariantClear(&out);
  SysFreeString(s);
}

TEST(VariantClear, RefusesUnknownTypesAndLeavesThemAlone) {
  VARIANT v;
  VariantInit(&v);
  v.vt = 0x77;
  EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE);
  EXPECT_EQ(v.vt, 0x77);
  v.vt = VT_ARRAY | VT_I4;  // arrays are not part of this subset
  EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE);
  VARIANT out = i4(1);
  EXPECT_EQ(VariantChangeType(&out, &v, 0, VT_I4), DISP_E_BADVARTYPE);
}

}  // namespace
