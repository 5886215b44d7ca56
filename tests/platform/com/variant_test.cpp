#include "platform/com/variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "platform/com/bstr.h"
#include "platform/com/interfaces.h"
#include "tests/platform/com/counted.h"

namespace {

VARIANT ofType(VARTYPE vt) {
  VARIANT x;
  VariantInit(&x);
  x.vt = vt;
  return x;
}
VARIANT i4(LONG v) {
  VARIANT x = ofType(VT_I4);
  x.lVal = v;
  return x;
}
VARIANT r8(double v) {
  VARIANT x = ofType(VT_R8);
  x.dblVal = v;
  return x;
}
VARIANT r4(float v) {
  VARIANT x = ofType(VT_R4);
  x.fltVal = v;
  return x;
}
VARIANT boolean(bool v) {
  VARIANT x = ofType(VT_BOOL);
  x.boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
  return x;
}
VARIANT text(const char* s) {
  VARIANT x = ofType(VT_BSTR);
  x.bstrVal = SysAllocStringUtf8(s);
  return x;
}

// An object with a reference count that tests can read; its default value is 42.
class FakeObject final : public Counted<IDispatch> {
 public:
  FakeObject() : Counted(IID_IDispatch) {}
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

std::string asText(const VARIANT& v) {
  VARIANT t;
  VariantInit(&t);
  if (FAILED(VariantChangeType(&t, &v, VARIANT_ALPHABOOL, VT_BSTR))) return "<no text>";
  std::string s = utf8FromBstr(t.bstrVal);
  VariantClear(&t);
  return std::to_string(v.vt) + ":" + s;
}

TEST(VariantChangeType, ConvertsBetweenTheAutomationTypes) {
  const struct {
    VARIANT (*make)();
    VARTYPE to;
    HRESULT hr;
    const char* expectText;  // the result as text ("vt:text"), for comparing any type
    WORD flags = 0;
  } table[] = {
      {[] { return i4(70000); }, VT_I2, DISP_E_OVERFLOW, ""},
      {[] { return i4(-40000); }, VT_I2, DISP_E_OVERFLOW, ""},
      {[] { return i4(-32768); }, VT_I2, S_OK, "2:-32768"},
      {[] { return r8(2.5); }, VT_I4, S_OK, "3:2"},  // halves to even
      {[] { return r8(3.5); }, VT_I4, S_OK, "3:4"},
      {[] { return r8(-2.5); }, VT_I2, S_OK, "2:-2"},
      {[] { return r8(2147483647.4); }, VT_I4, S_OK, "3:2147483647"},
      {[] { return r8(2147483647.5); }, VT_I4, DISP_E_OVERFLOW, ""},
      {[] { return r8(NAN); }, VT_I4, DISP_E_OVERFLOW, ""},
      {[] { return r8(1e39); }, VT_R4, DISP_E_OVERFLOW, ""},
      {[] { return r8(0.1); }, VT_BSTR, S_OK, "8:0.1"},
      {[] { return r4(0.1f); }, VT_BSTR, S_OK, "8:0.1"},  // seven digits for a float
      {[] { return r8(1e20); }, VT_BSTR, S_OK, "8:1E+20"},
      {[] { return r8(-0.0); }, VT_BSTR, S_OK, "8:0"},
      {[] { return text(" -12 "); }, VT_I4, S_OK, "3:-12"},
      {[] { return text("1.5e3"); }, VT_R8, S_OK, "5:1500"},
      {[] { return text("1e400"); }, VT_R8, DISP_E_OVERFLOW, ""},
      {[] { return text("1e-400"); }, VT_R8, S_OK, "5:0"},
      {[] { return text("99999999999"); }, VT_I4, DISP_E_OVERFLOW, ""},
      {[] { return text("12abc"); }, VT_I4, DISP_E_TYPEMISMATCH, ""},
      {[] { return text("inf"); }, VT_R8, DISP_E_TYPEMISMATCH, ""},
      {[] { return text(""); }, VT_I2, DISP_E_TYPEMISMATCH, ""},
      {[] { return text("True"); }, VT_BOOL, S_OK, "11:True"},
      {[] { return text("0"); }, VT_BOOL, S_OK, "11:False"},
      {[] { return text("1e400"); }, VT_BOOL, S_OK, "11:True"},  // too large, still not 0
      {[] { return text("ja"); }, VT_BOOL, DISP_E_TYPEMISMATCH, ""},
      {[] { return boolean(true); }, VT_I2, S_OK, "2:-1"},
      {[] { return boolean(true); }, VT_R8, S_OK, "5:-1"},
      {[] { return boolean(true); }, VT_BSTR, S_OK, "8:-1"},
      {[] { return boolean(true); }, VT_BSTR, S_OK, "8:True", VARIANT_ALPHABOOL},
      {[] { return r8(0.25); }, VT_BOOL, S_OK, "11:True"},
      {[] { return ofType(VT_EMPTY); }, VT_I4, S_OK, "3:0"},
      {[] { return ofType(VT_EMPTY); }, VT_BSTR, S_OK, "8:"},
      {[] { return ofType(VT_NULL); }, VT_I4, DISP_E_TYPEMISMATCH, ""},
      {[] { return i4(5); }, VT_DISPATCH, DISP_E_TYPEMISMATCH, ""},
  };
  for (const auto& row : table) {
    VARIANT src = row.make();
    const std::string from = asText(src);
    VARIANT out = i4(-777);
    EXPECT_EQ(VariantChangeType(&out, &src, row.flags, row.to), row.hr) << from << " -> " << row.to;
    if (row.hr != S_OK)
      EXPECT_EQ(asText(out), "3:-777") << "a failed conversion must leave dest alone, " << from;
    else if (row.to == VT_BSTR)
      EXPECT_EQ("8:" + utf8FromBstr(out.bstrVal), row.expectText) << from;
    else
      EXPECT_EQ(asText(out), row.expectText) << from;
    VariantClear(&src);
    VariantClear(&out);
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
  // One level of reference only: a variant referred to may not be a reference itself.
  VARIANT outer;
  VariantInit(&outer);
  outer.vt = VT_VARIANT | VT_BYREF;
  outer.pvarVal = &ref;
  EXPECT_EQ(VariantChangeType(&v, &outer, 0, VT_I4), E_INVALIDARG);
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
