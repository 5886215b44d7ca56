#include "kernel/automation/vel_drive_server.h"

#include <gtest/gtest.h>

#include <string>

#include "kernel/support/auxcom.h"
#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"
#include "tests/kernel/support/error_capture.h"

namespace {

// The list itself (order, lookups, messages) is the drive server core's; these tests check
// what the interface adds: results, references and the segment types.
class VelDriveServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    baseline_ = velModule().objectCount;
    ASSERT_EQ(ComPtr<IUnknown>(createVelDriveServer()).queryInterface(IID_IVelDriveServer, &server),
              S_OK);
  }
  void TearDown() override {
    server = nullptr;
    EXPECT_EQ(velModule().objectCount, baseline_) << "an object was leaked";
  }
  ComPtr<IVelDrive> newDrive(const char* name) {
    ComPtr<IVelDrive> d;
    EXPECT_EQ(server->newDrive(Bstr(name).get(), d.put()), S_OK);
    return d;
  }
  LONG driveCount() {
    LONG n = -1;
    server->get_driveCount(&n);
    return n;
  }

  ErrorCapture errors;
  ComPtr<IVelDriveServer> server;

 private:
  long baseline_ = 0;
};

// The core's refusals come back as E_FAIL, null out parameters as E_POINTER.
TEST_F(VelDriveServerTest, ResultsOfTheListMembers) {
  Bstr v;
  ASSERT_EQ(server->get_version(v.put()), S_OK);
  EXPECT_NE(v.utf8().find("VelDrive 2.0"), std::string::npos) << v.utf8();
  ComPtr<IVelDrive> a = newDrive("A"), found;
  EXPECT_EQ(server->get_drive(0, found.put()), E_FAIL);
  EXPECT_EQ(server->get_driveByName(Bstr("A").get(), found.put()), E_FAIL);  // not yet added
  EXPECT_EQ(found.get(), nullptr);
  ASSERT_EQ(server->add(a.get()), S_OK);
  ASSERT_EQ(server->get_driveByName(Bstr("A").get(), found.put()), S_OK);
  EXPECT_EQ(found, a);
  ASSERT_EQ(server->get_drive(0, found.put()), S_OK);
  EXPECT_EQ(found, a);
  ASSERT_EQ(server->remove(a.get()), S_OK);
  EXPECT_EQ(server->remove(a.get()), E_FAIL);
  EXPECT_EQ(server->add(nullptr), E_FAIL);
  EXPECT_EQ(driveCount(), 0);
  const Bstr name("A");
  EXPECT_EQ(server->get_version(nullptr), E_POINTER);
  EXPECT_EQ(server->get_driveCount(nullptr), E_POINTER);
  EXPECT_EQ(server->get_drive(0, nullptr), E_POINTER);
  EXPECT_EQ(server->get_driveByName(name.get(), nullptr), E_POINTER);
  EXPECT_EQ(server->get_segment(name.get(), nullptr), E_POINTER);
  EXPECT_EQ(server->newDrive(name.get(), nullptr), E_POINTER);
}

TEST_F(VelDriveServerTest, ClearEmptiesListedDrivesAndKeepsThemListed) {
  ComPtr<IVelDrive> a = newDrive("A");
  ASSERT_EQ(a->put_segment(Bstr("\"Linear\", 0, 0").get()), S_OK);
  server->add(a.get());
  EXPECT_EQ(server->clear(), S_OK);
  EXPECT_EQ(driveCount(), 1);
  ComPtr<IVelDriveSeg> head;
  a->get_head(head.put());
  EXPECT_FALSE(head);
}

// Fault mended: a destroyed server kept the references of its listed drives, so drives
// that nobody else held were never destroyed and the library could never be unloaded (the
// fixture's object count checks that they are gone).
TEST_F(VelDriveServerTest, DestroyedServerGivesBackItsDrives) {
  ComPtr<IVelDrive> a = newDrive("A");
  EXPECT_EQ(server->add(a.get()), S_OK);
  EXPECT_EQ(server->add(a.get()), E_FAIL);  // a drive is listed once
  EXPECT_EQ(driveCount(), 1);
}

}  // namespace
