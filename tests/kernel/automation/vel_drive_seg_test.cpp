#include "kernel/automation/vel_drive_seg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/automation/vel_drive.h"
#include "kernel/automation/vel_drive_server.h"
#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"
#include "tests/kernel/automation/dispatch_helpers.h"
#include "tests/kernel/model/fake_segments.h"
#include "tests/kernel/support/error_capture.h"

namespace {

using LineSegment = FakeLine<VelDriveSeg>;

class VelDriveSegTest : public ::testing::Test {
 protected:
  void SetUp() override { startCount_ = velModule().objectCount.load(); }
  void TearDown() override {
    EXPECT_EQ(velModule().objectCount.load(), startCount_) << "an object was leaked";
  }
  ErrorCapture errors_;

 private:
  long startCount_ = 0;
};

// Which interfaces each automation class answers, and that all of them reach one object.
struct InterfaceRow {
  const char* name;
  IUnknown* (*make)();
  const IID* own;
  std::vector<const IID*> refused;
};

class InterfacesTest : public VelDriveSegTest,
                       public ::testing::WithParamInterface<InterfaceRow> {};

TEST_P(InterfacesTest, QueryInterfaceAnswersExactlyTheClassesInterfaces) {
  ComPtr<IUnknown> object(GetParam().make());
  ASSERT_TRUE(object);
  for (const IID* iid : {&IID_IUnknown, &IID_IDispatch, &IID_IDispatchEx, &IID_ISupportErrorInfo,
                         &IID_IPersist, &IID_IPersistPropertyBag2, GetParam().own}) {
    ComPtr<IUnknown> p;
    EXPECT_EQ(object.queryInterface(*iid, &p), S_OK) << guidToString(*iid);
    EXPECT_TRUE(p);
  }
  for (const IID* iid : GetParam().refused) {
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(object->QueryInterface(*iid, &p), E_NOINTERFACE) << guidToString(*iid);
    EXPECT_EQ(p, nullptr);
  }
  EXPECT_EQ(object->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  // Every interface reaches the one object and its one reference count.
  ComPtr<IPersistPropertyBag2> persist;
  ASSERT_EQ(object.queryInterface(IID_IPersistPropertyBag2, &persist), S_OK);
  EXPECT_EQ(refCount(persist.get()), 2u);
  EXPECT_EQ(persist->IsDirty(), S_FALSE);
  ComPtr<ISupportErrorInfo> errorInfo;
  ASSERT_EQ(object.queryInterface(IID_ISupportErrorInfo, &errorInfo), S_OK);
  EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(*GetParam().own), S_OK);
  EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(IID_IClassFactory), S_FALSE);
}

INSTANTIATE_TEST_SUITE_P(
    AutomationClasses, InterfacesTest,
    ::testing::Values(
        InterfaceRow{
            "Segment",
            [] { return static_cast<IUnknown*>(static_cast<IVelDriveSeg*>(new LineSegment)); },
            &IID_IVelDriveSeg,
            {&IID_IVelDrive, &IID_IVelDriveServer, &IID_IClassFactory, &IID_IVelBase}},
        InterfaceRow{"Drive", [] { return createVelDrive(); }, &IID_IVelDrive, {&IID_IVelDriveSeg}},
        InterfaceRow{"Server",
                     [] { return createVelDriveServer(); },
                     &IID_IVelDriveServer,
                     {&IID_IVelDrive, &IID_IVelDriveSeg, &IID_IClassFactory}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
