#include "kernel/automation/vel_persist.h"

#include <gtest/gtest.h>

#include "kernel/automation/vel_drive.h"
#include "kernel/automation/vel_drive_seg.h"
#include "kernel/model/segment_registry.h"
#include "platform/com/com_ptr.h"
#include "platform/com/property_bag.h"
#include "tests/kernel/automation/dispatch_helpers.h"
#include "tests/kernel/support/error_capture.h"

namespace {

class VelPersistTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(drive_.queryInterface(IID_IPersistPropertyBag2, &persist_), S_OK);
  }
  void add(const char* name, const char* text) {
    TestVariant v;
    v.v.vt = VT_BSTR;
    v.v.bstrVal = SysAllocStringUtf8(text);
    bag_->setUtf8(name, v.v);
  }
  void add(const char* name, LONG n) {
    VARIANT v;
    TestVariant::i4(&v, n);
    bag_->setUtf8(name, v);
  }
  std::string name() {
    Bstr n;
    drive_->get_name(n.put());
    return n.utf8();
  }

  ComPtr<MemoryPropertyBag> bag_ = ComPtr<MemoryPropertyBag>::adopt(MemoryPropertyBag::create());
  ComPtr<VelDrive> drive_{new VelDrive("start")};
  ComPtr<IPersistPropertyBag2> persist_;
  ErrorCapture errors_;
};

TEST_F(VelPersistTest, LoadSetsPropertiesInBagOrder) {
  add("name", "A");
  add("periodic", 1);
  add("name", "B");  // replaces the first in its place: name comes first, then periodic
  add("z0", "-1.5");
  // The last put's own result comes back (z0 of an empty drive changes nothing: S_FALSE).
  EXPECT_EQ(persist_->Load(bag_.get(), nullptr), S_FALSE);
  EXPECT_EQ(name(), "B");
  EXPECT_EQ(drive_->periodic(), 1);
  EXPECT_EQ(persist_->IsDirty(), S_FALSE);
}

// The first unknown name or refused value ends the load with its result; what came before
// it stays set.
TEST_F(VelPersistTest, LoadStopsAtTheFirstPropertyThatFails) {
  ComPtr<VelDriveSeg> seg(createSegment("Linear"));
  ComPtr<IPersistPropertyBag2> segPersist;
  ASSERT_EQ(seg.queryInterface(IID_IPersistPropertyBag2, &segPersist), S_OK);
  add("z0", "3");
  add("Z0", "4");  // segments know z0, not Z0
  add("f0", "5");
  EXPECT_EQ(segPersist->Load(bag_.get(), nullptr), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(seg->z0(), 3);
  EXPECT_EQ(seg->f0(), 0);
}

}  // namespace
