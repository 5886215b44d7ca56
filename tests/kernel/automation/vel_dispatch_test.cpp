#include "kernel/automation/vel_dispatch.h"

#include <gtest/gtest.h>

#include <string>

#include "kernel/automation/vel_drive.h"
#include "kernel/automation/vel_drive_seg.h"
#include "kernel/model/segment_registry.h"
#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"
#include "platform/com/errorinfo.h"
#include "tests/kernel/automation/dispatch_helpers.h"
#include "tests/kernel/support/error_capture.h"

namespace {

// The member tables are shared by the class and live for the process, so every test uses
// names of its own.
class VelDispatchTest : public ::testing::Test {
 protected:
  IDispatchEx* seg() { return static_cast<IVelDriveSeg*>(seg_.get()); }
  IDispatchEx* d1() { return static_cast<IVelDrive*>(drive1_.get()); }
  IDispatchEx* d2() { return static_cast<IVelDrive*>(drive2_.get()); }
  static HRESULT invoke(IDispatch* d, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                        UINT* argErr = nullptr) {
    return d->Invoke(id, IID_NULL, 0, flags, params, result, nullptr, argErr);
  }

  ComPtr<VelDriveSeg> seg_{createSegment("Linear")};
  ComPtr<VelDrive> drive1_{new VelDrive("one")};
  ComPtr<VelDrive> drive2_{new VelDrive("two")};
  ErrorCapture errors_;
};

// Names are case-sensitive, through GetIDsOfNames too, whatever the case flags; a drive
// knows the segment members and its own; GetIDsOfNames stops at the first unknown name;
// enumeration runs through the type members in table order and ends with S_FALSE.
TEST_F(VelDispatchTest, NamesIdsAndEnumeration) {
  const struct {
    IDispatchEx* object;
    const char* name;
    DWORD flags;
    DISPID id;
  } names[] = {{seg(), "z0", 0, 0x64},
               {seg(), "Z0", 0, DISPID_UNKNOWN},
               {seg(), "Z0", fdexNameCaseInsensitive, DISPID_UNKNOWN},
               {seg(), "fdd0", 0, 0x6a},
               {d1(), "z0", 0, 0x64},
               {d1(), "htmlTable", 0, 0x195}};
  for (const auto& n : names) EXPECT_EQ(dispIdOf(n.object, n.name, n.flags), n.id) << n.name;

  Bstr a("f0"), b("Z1"), c("z1");
  LPOLESTR list[] = {a.get(), b.get(), c.get()};
  DISPID ids[3] = {7, 7, 7};
  EXPECT_EQ(seg()->GetIDsOfNames(IID_NULL, list, 3, 0, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], 0x66);
  EXPECT_EQ(ids[1], DISPID_UNKNOWN);
  EXPECT_EQ(ids[2], DISPID_UNKNOWN);

  DISPID next = 0;
  EXPECT_EQ(seg()->GetNextDispID(0, DISPID_STARTENUM, &next), S_OK);
  EXPECT_EQ(next, 0x64);
  EXPECT_EQ(seg()->GetNextDispID(0, 123456, &next), S_FALSE);
  Bstr name;
  EXPECT_EQ(seg()->GetMemberName(0x6a, name.put()), S_OK);
  EXPECT_EQ(name.utf8(), "fdd0");
}

// A dynamic member belongs to the class: every drive, also one made later, sees it, a
// segment does not. Strings are copied in and out; a put by reference keeps a copy of the
// value referred to (it used to keep the reference, which dangles once the caller's
// variable is gone).
TEST_F(VelDispatchTest, DynamicMembersAreSharedByTheClassAndHoldCopies) {
  const DISPID id = dispIdOf(d1(), "shared_drive_prop", fdexNameEnsure);
  ASSERT_GE(id, 1);
  EXPECT_EQ(dispIdOf(d2(), "shared_drive_prop"), id);
  EXPECT_EQ(dispIdOf(seg(), "shared_drive_prop"), DISPID_UNKNOWN);
  double local = 4.25;
  VARIANT ref;
  VariantInit(&ref);
  ref.vt = VT_R8 | VT_BYREF;
  ref.pdblVal = &local;
  EXPECT_EQ(dispPut(d1(), id, ref), S_OK);
  local = -1;
  TestVariant got;
  EXPECT_EQ(dispGet(d2(), id, &got.v), S_OK);
  EXPECT_EQ(got.v.vt, VT_R8);
  EXPECT_EQ(got.v.dblVal, 4.25);

  const DISPID text = dispIdOf(seg(), "seg_text_prop", fdexNameEnsure);
  {
    TestVariant v;
    v.v.vt = VT_BSTR;
    v.v.bstrVal = SysAllocStringUtf8("Hub");
    EXPECT_EQ(dispPut(seg(), text, v.v), S_OK);
  }
  TestVariant back;  // a get hands out a copy the caller frees
  EXPECT_EQ(dispGet(seg(), text, &back.v), S_OK);
  EXPECT_EQ(utf8FromBstr(back.v.bstrVal), "Hub");
}

TEST_F(VelDispatchTest, IntegerNamesSelectArrayMemberOnlyWhenItExists) {
  // No "_array" on segments yet: "7" is an ordinary, unknown name; ensured, it stays one
  // member (it used to be added anew on every ensure).
  EXPECT_EQ(dispIdOf(seg(), "7"), DISPID_UNKNOWN);
  const DISPID seven = dispIdOf(seg(), "7", fdexNameEnsure);
  ASSERT_NE(seven, DISPID_UNKNOWN);
  EXPECT_EQ(dispIdOf(seg(), "7", fdexNameEnsure), seven);
  const DISPID array = dispIdOf(seg(), "_array", fdexNameEnsure);
  for (const auto& [text, value] : {std::pair{"7", 7}, {"-12", -12}, {"2147483647", 2147483647}}) {
    EXPECT_EQ(dispIdOf(seg(), text), array) << text;
    TestVariant got;
    EXPECT_EQ(dispGet(seg(), array, &got.v), S_OK);
    EXPECT_EQ(got.v.vt, VT_I4);
    EXPECT_EQ(got.v.lVal, value);
  }
  // Texts that are no 32-bit decimal integer stay names; drives have no "_array".
  for (const char* text : {"7a", "2147483648", " 7", "", "-"})
    EXPECT_NE(dispIdOf(seg(), text), array) << text;
  EXPECT_EQ(dispIdOf(d1(), "7"), DISPID_UNKNOWN);
}

TEST_F(VelDispatchTest, DeletedMembersAreStillEnumeratedAndInvokedButHaveNoName) {
  const DISPID id = dispIdOf(d1(), "deleted_drive_prop", fdexNameEnsure);
  VARIANT v;
  TestVariant::i4(&v, 9);
  ASSERT_EQ(dispPut(d1(), id, v), S_OK);
  EXPECT_EQ(d1()->DeleteMemberByName(Bstr("deleted_drive_prop").get(), 0), S_OK);
  EXPECT_EQ(d1()->DeleteMemberByDispID(0x12c), S_OK);  // "name", a type member
  Bstr name;
  for (DISPID deleted : {id, DISPID{0x12c}}) {
    EXPECT_EQ(d1()->GetMemberName(deleted, name.put()), DISP_E_MEMBERNOTFOUND);
    EXPECT_TRUE(name.isNull());
    TestVariant value;
    EXPECT_EQ(dispGet(d1(), deleted, &value.v), S_OK);
  }
  EXPECT_EQ(dispIdOf(d1(), "deleted_drive_prop"), id);
  bool listed = false;
  int count = 0;
  for (DISPID cur = DISPID_STARTENUM; d1()->GetNextDispID(fdexEnumAll, cur, &cur) == S_OK;) {
    listed |= cur == id;
    ++count;
  }
  EXPECT_TRUE(listed);
  EXPECT_GE(count, 39) << "the drive's type members (get and put share one) come first";
}

TEST_F(VelDispatchTest, DispatchErrorCodes) {
  TestVariant result;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VARIANT two[2];
  TestVariant::r8(&two[0], 1);
  TestVariant::r8(&two[1], 2);
  DISPPARAMS tooMany{two, nullptr, 2, 0};
  const Bstr notNumber("abc");
  VARIANT text;
  VariantInit(&text);
  text.vt = VT_BSTR;
  text.bstrVal = notNumber.get();
  DISPPARAMS bad{&text, nullptr, 1, 0};
  const DISPID dyn = dispIdOf(seg(), "seg_codes_prop", fdexNameEnsure);
  UINT argErr = 99;
  EXPECT_EQ(seg()->Invoke(0x64, IID_IVelDriveSeg, 0, DISPATCH_PROPERTYGET, &none, &result.v,
                          nullptr, &argErr),
            DISP_E_UNKNOWNINTERFACE);
  EXPECT_EQ(argErr, 0u);
  // f(z) without its z, with two arguments, with a text that is no number; a method that is
  // not there; a put of a get-only property; a get of a dynamic member with arguments or
  // without a place for the result; a put of two values.
  const struct {
    DISPID id;
    WORD flags;
    DISPPARAMS* params;
    bool withResult;
    HRESULT hr;
  } cases[] = {{0xca, DISPATCH_METHOD, &none, true, DISP_E_PARAMNOTOPTIONAL},
               {0xca, DISPATCH_METHOD, &tooMany, true, DISP_E_BADPARAMCOUNT},
               {0xca, DISPATCH_METHOD, &bad, true, DISP_E_TYPEMISMATCH},
               {0x4242, DISPATCH_METHOD, &none, true, DISP_E_MEMBERNOTFOUND},
               {dyn, DISPATCH_PROPERTYGET, &bad, true, E_INVALIDARG},
               {dyn, DISPATCH_PROPERTYGET, &none, false, E_INVALIDARG},
               {dyn, DISPATCH_PROPERTYPUT, &tooMany, false, DISP_E_PARAMNOTOPTIONAL}};
  for (const auto& c : cases)
    EXPECT_EQ(invoke(seg(), c.id, c.flags, c.params, c.withResult ? &result.v : nullptr, &argErr),
              c.hr)
        << std::hex << c.id;
  EXPECT_EQ(dispPut(seg(), 0x65, two[0]), DISP_E_MEMBERNOTFOUND);
  ComPtr<ITypeInfo> info;
  EXPECT_EQ(seg()->GetTypeInfo(1, 0, info.put()), DISP_E_BADINDEX);
  UINT count = 0;
  EXPECT_EQ(seg()->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
}

TEST_F(VelDispatchTest, MethodCallOnDynamicMemberGoesToTheObjectsDefaultMember) {
  const DISPID id = dispIdOf(d1(), "drive_object_prop", fdexNameEnsure);
  VARIANT obj;
  VariantInit(&obj);
  obj.vt = VT_DISPATCH;
  obj.pdispVal = seg();
  ASSERT_EQ(dispPut(d1(), id, obj), S_OK);
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  TestVariant result;
  // A segment has no default member; a number cannot be called.
  EXPECT_EQ(invoke(d1(), id, DISPATCH_METHOD, &none, &result.v), DISP_E_MEMBERNOTFOUND);
  VARIANT n;
  TestVariant::i4(&n, 3);
  ASSERT_EQ(dispPut(d1(), id, n), S_OK);
  errors_.messages().clear();
  EXPECT_EQ(invoke(d1(), id, DISPATCH_METHOD, &none, &result.v), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(errors_.messages(), std::vector<std::string>{"invoke of drive_object_prop failed"});
}

// The id counter used to run into the ids of type members (0x64 after 99 dynamic members),
// and the type member then answered for the new one.
TEST(VelMemberTable, DynamicIdsSkipTheIdsOfTypeMembers) {
  VelMemberTable table;
  table.addTypeMember(2, u"z0");
  table.addTypeMember(2, u"z0");  // the put of the same property
  table.addTypeMember(3, u"z1");
  EXPECT_EQ(table.members.size(), 2u);
  EXPECT_EQ(table.addDynamic(u"a"), 1);
  EXPECT_EQ(table.addDynamic(u"b"), 4);
  EXPECT_EQ(table.findById(4)->name, u"b");
  EXPECT_EQ(table.lookup(u"Z1"), nullptr);
}

}  // namespace
