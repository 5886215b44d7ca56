#include "kernel/automation/vel_drive_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "kernel/support/auxcom.h"
#include "tests/kernel/automation/dispatch_helpers.h"
#include "tests/kernel/support/error_capture.h"

namespace {

class VelDriveServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    baseline_ = velModule().objectCount;
    IUnknown* object = createVelDriveServer();
    ASSERT_NE(object, nullptr);
    object->AddRef();
    ASSERT_EQ(object->QueryInterface(IID_IVelDriveServer, reinterpret_cast<void**>(&server.p)),
              S_OK);
    object->Release();
  }
  // Every object made by a test is gone once the test let go of it.
  void expectNoObjectLeft() { EXPECT_EQ(velModule().objectCount, baseline_); }

  Ref<IVelDrive> newDrive(const std::string& name) {
    Ref<IVelDrive> d;
    TestBstr n(name);
    EXPECT_EQ(server->newDrive(n.s, &d.p), S_OK);
    return d;
  }
  std::string nameOf(IVelDrive* d) {
    TestBstr n;
    d->get_name(&n.s);
    return n.text();
  }
  LONG driveCount() {
    LONG n = -1;
    server->get_driveCount(&n);
    return n;
  }

  ErrorCapture errors;
  Ref<IVelDriveServer> server;

 private:
  long baseline_ = 0;
};

TEST_F(VelDriveServerTest, NewServerIsEmptyReportsIndexZeroAndNamesItsVersion) {
  TestBstr v;
  ASSERT_EQ(server->get_version(&v.s), S_OK);
  EXPECT_NE(v.text().find("VelDrive"), std::string::npos);
  EXPECT_NE(v.text().find("2.0"), std::string::npos);
  EXPECT_EQ(driveCount(), 0);
  Ref<IVelDrive> d;
  EXPECT_EQ(server->get_drive(0, &d.p), E_FAIL);
  EXPECT_EQ(d.p, nullptr);
  ASSERT_EQ(errors.messages().size(), 1u);
  EXPECT_EQ(errors.messages()[0], "Drive with index 0 not in drive servers container.");
}

TEST_F(VelDriveServerTest, NewDriveIsFoundByNameOnlyAfterAdd) {
  {
    Ref<IVelDrive> a = newDrive("A");
    EXPECT_EQ(nameOf(a.p), "A");
    TestBstr name("A");
    Ref<IVelDrive> found;
    EXPECT_EQ(server->get_driveByName(name.s, &found.p), E_FAIL);
    EXPECT_EQ(found.p, nullptr);
    EXPECT_EQ(errors.messages().back(), "Drive with name 'A' not in drive servers container.");
    ASSERT_EQ(server->add(a.p), S_OK);
    EXPECT_EQ(driveCount(), 1);
    ASSERT_EQ(server->get_driveByName(name.s, &found.p), S_OK);
    EXPECT_EQ(found.p, a.p);
    Ref<IVelDrive> byIndex;
    ASSERT_EQ(server->get_drive(0, &byIndex.p), S_OK);
    EXPECT_EQ(byIndex.p, a.p);
    // The lookup is exact: the same name in lower case is another name.
    TestBstr lower("a");
    Ref<IVelDrive> none;
    EXPECT_EQ(server->get_driveByName(lower.s, &none.p), E_FAIL);
  }
  server->Release();
  server.p = nullptr;
  expectNoObjectLeft();
}

TEST_F(VelDriveServerTest, TwoDrivesOfOneNameAnswerInAddOrder) {
  Ref<IVelDrive> first = newDrive("A"), second = newDrive("A");
  server->add(first.p);
  server->add(second.p);
  TestBstr name("A");
  Ref<IVelDrive> found;
  ASSERT_EQ(server->get_driveByName(name.s, &found.p), S_OK);
  EXPECT_EQ(found.p, first.p);
  ASSERT_EQ(server->remove(first.p), S_OK);
  Ref<IVelDrive> again;
  ASSERT_EQ(server->get_driveByName(name.s, &again.p), S_OK);
  EXPECT_EQ(again.p, second.p);
}

TEST_F(VelDriveServerTest, RemoveOfAnUnlistedDriveFails) {
  Ref<IVelDrive> a = newDrive("A");
  EXPECT_EQ(server->remove(a.p), E_FAIL);
  EXPECT_EQ(errors.messages().back(), "Attempt to remove drive from server failed.");
  EXPECT_EQ(server->remove(nullptr), E_FAIL);
  EXPECT_EQ(server->add(nullptr), E_FAIL);
  EXPECT_EQ(errors.messages().back(), "Attempt to insert invalid drive to server.");
  EXPECT_EQ(driveCount(), 0);
}

TEST_F(VelDriveServerTest, SegmentTypesAreTheNineRegistryNames) {
  LONG n = 0;
  ASSERT_EQ(server->get_segmentTypeCount(&n), S_OK);
  ASSERT_EQ(n, 9);
  std::vector<std::string> names;
  for (SHORT i = 0; i < n; ++i) {
    TestBstr t;
    ASSERT_EQ(server->get_segmentType(i, &t.s), S_OK);
    names.push_back(t.text());
    // segment(name) makes an unconnected segment of exactly that type.
    Ref<IVelDriveSeg> seg;
    ASSERT_EQ(server->get_segment(t.s, &seg.p), S_OK);
    ASSERT_NE(seg.p, nullptr) << names.back();
    TestBstr own;
    seg->get_typeName(&own.s);
    EXPECT_EQ(own.text(), names.back());
    Ref<IVelDriveSeg> next, prev;
    seg->get_next(&next.p);
    seg->get_prev(&prev.p);
    EXPECT_EQ(next.p, nullptr);
    EXPECT_EQ(prev.p, nullptr);
  }
  EXPECT_EQ(names[0], "Linear");
  EXPECT_EQ(names[1], "QuadParab");
  EXPECT_EQ(names[4], "Sine");
  for (const char* other : {"InclSine", "SineLinear", "ModSine", "Poly5", "ModTrapez", "HarmComb"})
    EXPECT_NE(std::find(names.begin(), names.end(), other), names.end()) << other;
  for (SHORT outside : {SHORT{9}, SHORT{-1}, SHORT{32767}}) {
    TestBstr t;
    EXPECT_EQ(server->get_segmentType(outside, &t.s), E_FAIL);
    EXPECT_EQ(t.s, nullptr);
  }
}

TEST_F(VelDriveServerTest, UnknownSegmentTypeGivesNullAndSucceeds) {
  for (const char* name : {"sine", "", "Sine ", "VelDriveSegSine"}) {
    TestBstr type(name);
    Ref<IVelDriveSeg> seg;
    EXPECT_EQ(server->get_segment(type.s, &seg.p), S_OK) << name;
    EXPECT_EQ(seg.p, nullptr) << name;
  }
  Ref<IVelDriveSeg> seg;
  EXPECT_EQ(server->get_segment(nullptr, &seg.p), S_OK);
  EXPECT_EQ(seg.p, nullptr);
  TestBstr sine("Sine");
  EXPECT_EQ(server->put_segment(sine.s, nullptr), E_NOTIMPL);
}

TEST_F(VelDriveServerTest, ClearEmptiesListedDrivesAndKeepsThemListed) {
  Ref<IVelDrive> a = newDrive("A");
  TestBstr text("\"Linear\", 0, 0");
  ASSERT_EQ(a->put_segment(text.s), S_OK);
  server->add(a.p);
  Ref<IVelDriveSeg> head;
  a->get_head(&head.p);
  ASSERT_NE(head.p, nullptr);
  EXPECT_EQ(server->clear(), S_OK);
  EXPECT_EQ(driveCount(), 1);
  Ref<IVelDriveSeg> after;
  a->get_head(&after.p);
  EXPECT_EQ(after.p, nullptr);
}

// Fault mended: a destroyed server kept the references of its listed drives, so drives
// that nobody else held were never destroyed and the library could never be unloaded.
TEST_F(VelDriveServerTest, DestroyedServerGivesBackItsDrives) {
  {
    Ref<IVelDrive> a = newDrive("A");
    server->add(a.p);
    server->add(a.p);  // listed twice: two references
  }
  EXPECT_EQ(driveCount(), 2);
  server->Release();
  server.p = nullptr;
  expectNoObjectLeft();
}

TEST_F(VelDriveServerTest, NullResultPointersAreRefused) {
  TestBstr a("A");
  EXPECT_EQ(server->get_version(nullptr), E_POINTER);
  EXPECT_EQ(server->get_driveCount(nullptr), E_POINTER);
  EXPECT_EQ(server->get_drive(0, nullptr), E_POINTER);
  EXPECT_EQ(server->get_driveByName(a.s, nullptr), E_POINTER);
  EXPECT_EQ(server->get_segment(a.s, nullptr), E_POINTER);
  EXPECT_EQ(server->newDrive(a.s, nullptr), E_POINTER);
  server->Release();
  server.p = nullptr;
  expectNoObjectLeft();
}

}  // namespace
