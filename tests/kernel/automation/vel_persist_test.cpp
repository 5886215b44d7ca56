#include "kernel/automation/vel_persist.h"

#include <gtest/gtest.h>

#include "kernel/automation/vel_drive.h"
#include "kernel/automation/vel_drive_seg.h"
#include "kernel/model/segment_registry.h"
#include "platform/com/property_bag.h"
#include "tests/kernel/automation/dispatch_helpers.h"
#include "tests/kernel/support/error_capture.h"

namespace {

class VelPersistTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bag_ = MemoryPropertyBag::create();
    drive_ = new VelDrive("start");
    drive_->AddRef();
    drive_->QueryInterface(IID_IPersistPropertyBag2, reinterpret_cast<void**>(&persist_));
    ASSERT_NE(persist_, nullptr);
  }
  void TearDown() override {
    persist_->Release();
    drive_->Release();
    bag_->Release();
  }
  void add(const char* name, const char* text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocStringUtf8(text);
    bag_->setUtf8(name, v);
    VariantClear(&v);
  }
  void add(const char* name, LONG n) {
    VARIANT v;
    TestVariant::i4(&v, n);
    bag_->setUtf8(name, v);
  }
  std::string name() {
    BSTR n = nullptr;
    drive_->get_name(&n);
    return takeText(n);
  }

  MemoryPropertyBag* bag_ = nullptr;
  VelDrive* drive_ = nullptr;
  IPersistPropertyBag2* persist_ = nullptr;
  ErrorCapture errors_;
};

TEST_F(VelPersistTest, LoadSetsPropertiesInBagOrder) {
  add("name", "A");
  add("periodic", 1);
  add("name", "B");  // replaces the first in its place: name comes first, then periodic
  add("z0", "-1.5");
  EXPECT_EQ(persist_->IsDirty(), S_FALSE);
  // The last put's own result comes back (z0 of an empty drive changes nothing: S_FALSE).
  EXPECT_EQ(persist_->Load(bag_, nullptr), S_FALSE);
  EXPECT_EQ(name(), "B");
  LONG periodic = 0;
  drive_->get_periodic(&periodic);
  EXPECT_EQ(periodic, 1);
  EXPECT_EQ(persist_->IsDirty(), S_FALSE);
}

TEST_F(VelPersistTest, LoadStopsAtTheFirstUnknownNameKeepingEarlierProperties) {
  VelDriveSeg* seg = createSegment("Linear");
  ASSERT_NE(seg, nullptr);
  seg->AddRef();
  IPersistPropertyBag2* segPersist = nullptr;
  seg->QueryInterface(IID_IPersistPropertyBag2, reinterpret_cast<void**>(&segPersist));
  add("z0", "3");
  add("Z0", "4");  // segments know z0, not Z0
  add("f0", "5");
  EXPECT_EQ(segPersist->Load(bag_, nullptr), DISP_E_UNKNOWNNAME);
  double z0 = 0, f0 = 0;
  seg->get_z0(&z0);
  seg->get_f0(&f0);
  EXPECT_EQ(z0, 3);
  EXPECT_EQ(f0, 0) << "properties after the unknown one are not set";
  segPersist->Release();
  seg->Release();
}

TEST_F(VelPersistTest, LoadWithoutBagDoesNothingAndSaveWritesNothing) {
  EXPECT_EQ(persist_->Load(nullptr, nullptr), S_OK);
  EXPECT_EQ(persist_->Save(bag_, TRUE, TRUE), S_OK);
  EXPECT_EQ(bag_->size(), 0u);
  add("name", "kept");
  EXPECT_EQ(persist_->Save(bag_, TRUE, TRUE), S_OK);
  ASSERT_EQ(bag_->size(), 1u);
  EXPECT_EQ(utf8FromBstr(bag_->valueAt(0).bstrVal), "kept");
  EXPECT_EQ(persist_->InitNew(), S_OK);
  CLSID clsid = GUID_NULL;
  EXPECT_EQ(persist_->GetClassID(&clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_VelDrive);
}

TEST_F(VelPersistTest, AMemberThatRefusesTheValueEndsTheLoadWithItsResult) {
  add("periodic", "not a number");
  add("name", "after");
  EXPECT_EQ(persist_->Load(bag_, nullptr), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(name(), "start");
}

// A bag whose read of one property fails; the property is reported and not put.
TEST_F(VelPersistTest, APropertyThatCannotBeReadIsReportedAndNotPut) {
  struct FailingBag : IPropertyBag2 {
    MemoryPropertyBag* inner;
    HRESULT QueryInterface(REFIID r, void** p) override { return inner->QueryInterface(r, p); }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT Read(ULONG n, PROPBAG2* b, IErrorLog* l, VARIANT* v, HRESULT* e) override {
      inner->Read(n, b, l, v, e);
      if (utf8FromOleStr(b[0].pstrName) == "periodic") e[0] = E_FAIL;
      return S_OK;
    }
    HRESULT Write(ULONG n, PROPBAG2* b, VARIANT* v) override { return inner->Write(n, b, v); }
    HRESULT CountProperties(ULONG* c) override { return inner->CountProperties(c); }
    HRESULT GetPropertyInfo(ULONG i, ULONG c, PROPBAG2* b, ULONG* g) override {
      return inner->GetPropertyInfo(i, c, b, g);
    }
    HRESULT LoadObject(LPCOLESTR, DWORD, IUnknown*, IErrorLog*) override { return E_NOTIMPL; }
  } failing;
  failing.inner = bag_;
  add("periodic", 1);
  add("name", "after");
  EXPECT_EQ(persist_->Load(&failing, nullptr), S_OK);
  ASSERT_EQ(errors_.messages().size(), 1u);
  EXPECT_EQ(errors_.messages()[0], "reading property periodic failed.");
  LONG periodic = 7;
  drive_->get_periodic(&periodic);
  EXPECT_EQ(periodic, 0);
  EXPECT_EQ(name(), "after");
}

}  // namespace
