#include "kernel/automation/vel_dispatch.h"

#include <gtest/gtest.h>

#include <string>

#include "kernel/automation/vel_drive.h"
#include "kernel/automation/vel_drive_seg.h"
#include "kernel/model/segment_registry.h"
#include "platform/com/errorinfo.h"
#include "tests/kernel/automation/dispatch_helpers.h"
#include "tests/kernel/support/error_capture.h"

namespace {

// The member tables are shared by the class and live for the process, so every test uses
// names of its own.
class VelDispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    seg_ = createSegment("Linear");
    ASSERT_NE(seg_, nullptr);
    seg_->AddRef();
    drive1_ = new VelDrive("one");
    drive1_->AddRef();
    drive2_ = new VelDrive("two");
    drive2_->AddRef();
  }
  void TearDown() override {
    seg_->Release();
    drive1_->Release();
    drive2_->Release();
  }
  IDispatchEx* seg() { return static_cast<IVelDriveSeg*>(seg_); }
  IDispatchEx* d1() { return static_cast<IVelDrive*>(drive1_); }
  IDispatchEx* d2() { return static_cast<IVelDrive*>(drive2_); }

  static HRESULT idsOfNames(IDispatch* d, const char* name, DISPID* id) {
    TestBstr n(name);
    return d->GetIDsOfNames(IID_NULL, &n.s, 1, LOCALE_USER_DEFAULT, id);
  }

  VelDriveSeg* seg_ = nullptr;
  VelDrive* drive1_ = nullptr;
  VelDrive* drive2_ = nullptr;
  ErrorCapture errors_;
};

TEST_F(VelDispatchTest, NamesAreCaseSensitiveEvenThroughGetIDsOfNames) {
  DISPID id = 0;
  EXPECT_EQ(idsOfNames(seg(), "z0", &id), S_OK);
  EXPECT_EQ(id, 0x64);
  EXPECT_EQ(idsOfNames(seg(), "Z0", &id), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(id, DISPID_UNKNOWN);
  // The case flags of grfdex are not honoured either.
  EXPECT_EQ(dispIdOf(seg(), "Z0", fdexNameCaseInsensitive), DISPID_UNKNOWN);
  EXPECT_EQ(dispIdOf(seg(), "fdd0"), 0x6a);
  // A drive knows the segment members and its own.
  EXPECT_EQ(dispIdOf(d1(), "z0"), 0x64);
  EXPECT_EQ(dispIdOf(d1(), "htmlTable"), 0x195);
}

TEST_F(VelDispatchTest, GetIDsOfNamesStopsAtTheFirstUnknownName) {
  TestBstr a("f0"), b("nosuchname_ids"), c("z1");
  LPOLESTR names[] = {a.s, b.s, c.s};
  DISPID ids[3] = {7, 7, 7};
  EXPECT_EQ(seg()->GetIDsOfNames(IID_NULL, names, 3, 0, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], 0x66);
  EXPECT_EQ(ids[1], DISPID_UNKNOWN);
  EXPECT_EQ(ids[2], DISPID_UNKNOWN);
}

TEST_F(VelDispatchTest, DynamicMembersAreSharedByTheClassButNotAcrossClasses) {
  const DISPID id = dispIdOf(d1(), "shared_drive_prop", fdexNameEnsure);
  ASSERT_NE(id, DISPID_UNKNOWN);
  EXPECT_GE(id, 1);
  EXPECT_EQ(dispIdOf(d2(), "shared_drive_prop"), id);
  EXPECT_EQ(dispIdOf(seg(), "shared_drive_prop"), DISPID_UNKNOWN);

  VARIANT v;
  TestVariant::r8(&v, 2.5);
  EXPECT_EQ(dispPut(d1(), id, v), S_OK);
  TestVariant got;
  EXPECT_EQ(dispGet(d2(), id, &got.v), S_OK);
  EXPECT_EQ(got.v.vt, VT_R8);
  EXPECT_EQ(got.v.dblVal, 2.5);
  // A drive made later sees it too.
  auto* d3 = new VelDrive("three");
  d3->AddRef();
  EXPECT_EQ(dispIdOf(static_cast<IVelDrive*>(d3), "shared_drive_prop"), id);
  d3->Release();
}

TEST_F(VelDispatchTest, StringValuesOfDynamicMembersAreCopiedInAndOut) {
  const DISPID id = dispIdOf(seg(), "seg_text_prop", fdexNameEnsure);
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocStringUtf8("Hub");
  EXPECT_EQ(dispPut(seg(), id, v), S_OK);
  VariantClear(&v);  // the member keeps its own copy
  for (int i = 0; i < 2; ++i) {
    TestVariant got;  // each get hands out a copy the caller frees
    EXPECT_EQ(dispGet(seg(), id, &got.v), S_OK);
    ASSERT_EQ(got.v.vt, VT_BSTR);
    EXPECT_EQ(utf8FromBstr(got.v.bstrVal), "Hub");
  }
}

// A put by reference used to keep the reference, which dangles once the caller's variable
// is gone; the member now keeps a copy of the value referred to.
TEST_F(VelDispatchTest, PutByReferenceStoresTheValueReferredTo) {
  const DISPID id = dispIdOf(seg(), "seg_byref_prop", fdexNameEnsure);
  double local = 4.25;
  VARIANT ref;
  VariantInit(&ref);
  ref.vt = VT_R8 | VT_BYREF;
  ref.pdblVal = &local;
  EXPECT_EQ(dispPut(seg(), id, ref), S_OK);
  local = -1;
  TestVariant got;
  EXPECT_EQ(dispGet(seg(), id, &got.v), S_OK);
  EXPECT_EQ(got.v.vt, VT_R8);
  EXPECT_EQ(got.v.dblVal, 4.25);
}

TEST_F(VelDispatchTest, IntegerNamesSelectArrayMemberOnlyWhenItExists) {
  // No "_array" on segments yet: "7" is an ordinary, unknown name.
  EXPECT_EQ(dispIdOf(seg(), "7"), DISPID_UNKNOWN);
  const DISPID seven = dispIdOf(seg(), "7", fdexNameEnsure);
  ASSERT_NE(seven, DISPID_UNKNOWN);
  TestBstr sevenName("7");
  BSTR name = nullptr;
  EXPECT_EQ(seg()->GetMemberName(seven, &name), S_OK);
  EXPECT_EQ(takeText(name), "7");
  // Asked again, the same member answers (it used to be added anew on every ensure).
  EXPECT_EQ(dispIdOf(seg(), "7", fdexNameEnsure), seven);

  const DISPID array = dispIdOf(seg(), "_array", fdexNameEnsure);
  for (const auto& [text, value] : {std::pair{"7", 7}, {"-12", -12}, {"2147483647", 2147483647}}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(dispIdOf(seg(), text), array);
    TestVariant got;
    EXPECT_EQ(dispGet(seg(), array, &got.v), S_OK);
    EXPECT_EQ(got.v.vt, VT_I4);
    EXPECT_EQ(got.v.lVal, value);
  }
  // Texts that are no 32-bit decimal integer stay names.
  for (const char* text : {"7a", "2147483648", " 7", "", "-"})
    EXPECT_NE(dispIdOf(seg(), text), array) << text;
  // Drives have no "_array": their integer names fail.
  EXPECT_EQ(dispIdOf(d1(), "7"), DISPID_UNKNOWN);
}

TEST_F(VelDispatchTest, DeletedMembersAreStillEnumeratedAndInvokedButHaveNoName) {
  const DISPID id = dispIdOf(d1(), "deleted_drive_prop", fdexNameEnsure);
  VARIANT v;
  TestVariant::i4(&v, 9);
  ASSERT_EQ(dispPut(d1(), id, v), S_OK);
  TestBstr name("deleted_drive_prop");
  EXPECT_EQ(d1()->DeleteMemberByName(name.s, 0), S_OK);
  BSTR got = nullptr;
  EXPECT_EQ(d1()->GetMemberName(id, &got), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(got, nullptr);
  TestVariant value;
  EXPECT_EQ(dispGet(d1(), id, &value.v), S_OK);
  EXPECT_EQ(value.v.lVal, 9);
  EXPECT_EQ(dispIdOf(d1(), "deleted_drive_prop"), id);

  bool listed = false;
  int count = 0;
  DISPID cur = DISPID_STARTENUM;
  while (d1()->GetNextDispID(fdexEnumAll, cur, &cur) == S_OK) {
    listed |= cur == id;
    ++count;
  }
  EXPECT_EQ(cur, DISPID_UNKNOWN);
  EXPECT_TRUE(listed);
  EXPECT_GE(count, 39) << "the drive's type members (get and put share one) come first";

  EXPECT_EQ(d1()->DeleteMemberByDispID(0x12c), S_OK);  // "name" is a type member
  EXPECT_EQ(d1()->GetMemberName(0x12c, &got), DISP_E_MEMBERNOTFOUND);
  TestVariant driveName;
  EXPECT_EQ(dispGet(d1(), 0x12c, &driveName.v), S_OK);
  EXPECT_EQ(utf8FromBstr(driveName.v.bstrVal), "one");

  TestBstr unknown("never_there");
  EXPECT_EQ(d1()->DeleteMemberByName(unknown.s, 0), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(d1()->DeleteMemberByDispID(-77), DISP_E_MEMBERNOTFOUND);
}

TEST_F(VelDispatchTest, EnumerationStartsWithTheFirstTypeMemberAndEndsWithFalse) {
  DISPID first = 0;
  EXPECT_EQ(seg()->GetNextDispID(0, DISPID_STARTENUM, &first), S_OK);
  EXPECT_EQ(first, 0x64);
  DISPID next = 0;
  EXPECT_EQ(seg()->GetNextDispID(0, first, &next), S_OK);
  EXPECT_EQ(next, 0x65);
  EXPECT_EQ(seg()->GetNextDispID(0, 123456, &next), S_FALSE);
  EXPECT_EQ(next, DISPID_UNKNOWN);
  BSTR name = nullptr;
  EXPECT_EQ(seg()->GetMemberName(0x6a, &name), S_OK);
  EXPECT_EQ(takeText(name), "fdd0");
}

TEST_F(VelDispatchTest, DispatchErrorCodes) {
  TestVariant result;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  UINT argErr = 99;
  EXPECT_EQ(seg()->Invoke(0x64, IID_IVelDriveSeg, 0, DISPATCH_PROPERTYGET, &none, &result.v,
                          nullptr, &argErr),
            DISP_E_UNKNOWNINTERFACE);
  EXPECT_EQ(argErr, 0u);
  ITypeInfo* info = reinterpret_cast<ITypeInfo*>(1);
  EXPECT_EQ(seg()->GetTypeInfo(1, 0, &info), DISP_E_BADINDEX);
  EXPECT_EQ(info, nullptr);
  UINT count = 0;
  EXPECT_EQ(seg()->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(seg()->Invoke(0x4242, IID_NULL, 0, DISPATCH_METHOD, &none, &result.v, nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);
  // f(z) without its z; with two arguments; with a text that is no number.
  EXPECT_EQ(seg()->Invoke(0xca, IID_NULL, 0, DISPATCH_METHOD, &none, &result.v, nullptr, &argErr),
            DISP_E_PARAMNOTOPTIONAL);
  VARIANT two[2];
  TestVariant::r8(&two[0], 1);
  TestVariant::r8(&two[1], 2);
  DISPPARAMS tooMany{two, nullptr, 2, 0};
  EXPECT_EQ(
      seg()->Invoke(0xca, IID_NULL, 0, DISPATCH_METHOD, &tooMany, &result.v, nullptr, &argErr),
      DISP_E_BADPARAMCOUNT);
  TestBstr notNumber("abc");
  VARIANT text;
  VariantInit(&text);
  text.vt = VT_BSTR;
  text.bstrVal = notNumber.s;
  DISPPARAMS bad{&text, nullptr, 1, 0};
  argErr = 99;
  EXPECT_EQ(seg()->Invoke(0xca, IID_NULL, 0, DISPATCH_METHOD, &bad, &result.v, nullptr, &argErr),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 0u);
  // A put of a get-only property.
  VARIANT v;
  TestVariant::r8(&v, 1);
  EXPECT_EQ(dispPut(seg(), 0x65, v), DISP_E_MEMBERNOTFOUND);
  // A get of a dynamic member with arguments, or without a place for the result.
  const DISPID dyn = dispIdOf(seg(), "seg_codes_prop", fdexNameEnsure);
  DISPPARAMS one{&v, nullptr, 1, 0};
  EXPECT_EQ(
      seg()->Invoke(dyn, IID_NULL, 0, DISPATCH_PROPERTYGET, &one, &result.v, nullptr, nullptr),
      E_INVALIDARG);
  EXPECT_EQ(seg()->Invoke(dyn, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, nullptr, nullptr, nullptr),
            E_INVALIDARG);
  EXPECT_EQ(
      seg()->Invoke(dyn, IID_NULL, 0, DISPATCH_PROPERTYPUT, &tooMany, nullptr, nullptr, nullptr),
      DISP_E_PARAMNOTOPTIONAL);
}

TEST_F(VelDispatchTest, NumbersConvertAsAutomationDoes) {
  // z0 = "2.5" (text) and periodic = 1.6 (rounded to 2).
  VARIANT text;
  VariantInit(&text);
  text.vt = VT_BSTR;
  TestBstr t("2.5");
  text.bstrVal = t.s;
  EXPECT_EQ(dispPut(seg(), 0x64, text), S_OK);
  double z0 = 0;
  seg_->get_z0(&z0);
  EXPECT_EQ(z0, 2.5);
  VARIANT real;
  TestVariant::r8(&real, 1.6);
  EXPECT_EQ(dispPut(d1(), 0x12d, real), S_OK);
  LONG periodic = 0;
  drive1_->get_periodic(&periodic);
  EXPECT_EQ(periodic, 2);
}

TEST_F(VelDispatchTest, MethodCallOnDynamicMemberGoesToTheObjectsDefaultMember) {
  const DISPID id = dispIdOf(d1(), "drive_object_prop", fdexNameEnsure);
  VARIANT obj;
  VariantInit(&obj);
  obj.vt = VT_DISPATCH;
  obj.pdispVal = static_cast<IVelDriveSeg*>(seg_);
  ASSERT_EQ(dispPut(d1(), id, obj), S_OK);
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  TestVariant result;
  // A segment has no default member.
  EXPECT_EQ(d1()->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &none, &result.v, nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);
  // A number cannot be called.
  VARIANT n;
  TestVariant::i4(&n, 3);
  ASSERT_EQ(dispPut(d1(), id, n), S_OK);
  errors_.messages().clear();
  EXPECT_EQ(d1()->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &none, &result.v, nullptr, nullptr),
            DISP_E_TYPEMISMATCH);
  ASSERT_EQ(errors_.messages().size(), 1u);
  EXPECT_EQ(errors_.messages()[0], "invoke of drive_object_prop failed");
  // No call kind at all.
  errors_.messages().clear();
  EXPECT_EQ(d1()->Invoke(id, IID_NULL, 0, 0, &none, &result.v, nullptr, nullptr), S_OK);
  ASSERT_EQ(errors_.messages().size(), 1u);
  EXPECT_EQ(errors_.messages()[0], std::to_string(id) + " (drive_object_prop) : calling failed");
}

TEST_F(VelDispatchTest, MemberPropertiesNamespaceAndErrorInfoSupport) {
  DWORD props = 0;
  EXPECT_EQ(seg()->GetMemberProperties(0x64, ~0u, &props), S_OK);
  EXPECT_EQ(props, 0x1515u);
  EXPECT_EQ(seg()->GetMemberProperties(-999, 0, &props), S_OK);
  EXPECT_EQ(props, 0x1515u);
  IUnknown* parent = reinterpret_cast<IUnknown*>(1);
  EXPECT_EQ(seg()->GetNameSpaceParent(&parent), E_NOTIMPL);
  EXPECT_EQ(parent, nullptr);
  ASSERT_EQ(errors_.messages().size(), 1u);
  EXPECT_EQ(errors_.messages()[0], "VelBaseImp<Ifc>::GetNameSpaceParent not implemented!");
  EXPECT_EQ(drive1_->InterfaceSupportsErrorInfo(IID_IVelDrive), S_OK);
  EXPECT_EQ(drive1_->InterfaceSupportsErrorInfo(IID_IVelDriveSeg), S_FALSE);
}

TEST_F(VelDispatchTest, TypeInfoIsTheClassesDefaultInterfaceFromTheCompiledInLibrary) {
  ITypeInfo* a = nullptr;
  ITypeInfo* b = nullptr;
  ASSERT_EQ(d1()->GetTypeInfo(0, 0, &a), S_OK);
  ASSERT_EQ(d2()->GetTypeInfo(0, 0, &b), S_OK);
  EXPECT_EQ(a, b) << "one type description per class";
  TYPEATTR* attr = nullptr;
  a->GetTypeAttr(&attr);
  EXPECT_EQ(attr->guid, IID_IVelDrive);
  a->ReleaseTypeAttr(attr);
  a->Release();
  b->Release();
  EXPECT_EQ(drive1_->typeInfo(), velClassRecord(kVelClassDrive).typeInfo);
}

TEST_F(VelDispatchTest, TypeMemberCallsClearTheThreadsErrorInformation) {
  SetErrorInfoText(GUID_NULL, "test", "stale");
  TestVariant result;
  EXPECT_EQ(dispGet(seg(), 0x64, &result.v), S_OK);
  IErrorInfo* info = nullptr;
  EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);
  EXPECT_EQ(info, nullptr);
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
  EXPECT_EQ(table.lookup(u"z1")->id, 3);
  EXPECT_EQ(table.lookup(u"Z1"), nullptr);
}

}  // namespace
