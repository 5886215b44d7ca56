#include "kernel/model/drive_server_core.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/kernel/support/error_capture.h"

namespace {

int gDrivesAlive = 0;

// A drive core that counts its instances.
class CountedDrive : public VelDriveImp {
 public:
  explicit CountedDrive(const char* name) : VelDriveImp(name) { ++gDrivesAlive; }
  ~CountedDrive() override { --gDrivesAlive; }
};

// Records the hooks instead of owning the drives.
class HookServer : public VelDriveServerImp {
 public:
  ~HookServer() override { removeAll(); }
  void onInsert(VelDriveImp* d) override { events.push_back("+" + std::string(d->name())); }
  void onRemove(VelDriveImp* d) override { events.push_back("-" + std::string(d->name())); }
  std::vector<std::string> events;
};

class DriveServerCoreTest : public ::testing::Test {
 protected:
  void SetUp() override { gDrivesAlive = 0; }
  ErrorCapture errors;
};

TEST_F(DriveServerCoreTest, KeepsInsertionOrderAndFindsByIndex) {
  // Past the list's first capacities.
  std::vector<std::unique_ptr<CountedDrive>> drives;
  HookServer server;
  for (int i = 0; i < 37; ++i) {
    drives.push_back(std::make_unique<CountedDrive>(std::to_string(i).c_str()));
    ASSERT_EQ(server.insert(drives.back().get()), 0);
  }
  for (int i = 0; i < 37; ++i) EXPECT_EQ(server.driveAt(i), drives[i].get());
  EXPECT_EQ(server.driveByName("36"), drives[36].get());
  EXPECT_EQ(server.events[2], "+2");
  // Removing a middle one moves the later ones down and keeps the order of the others.
  EXPECT_EQ(server.remove(drives[1].get()), 0);
  EXPECT_EQ(server.driveAt(1), drives[2].get());
  EXPECT_EQ(server.driveAt(35), drives[36].get());
  EXPECT_EQ(server.events.back(), "-1");
  EXPECT_TRUE(errors.messages().empty());
}

// Lookups outside the list, by another name, and null or unlisted drives are reported and
// change nothing; by name the first exact match answers.
TEST_F(DriveServerCoreTest, RefusesWhatItDoesNotHold) {
  CountedDrive first("A"), second("A"), other("B");
  HookServer server;
  EXPECT_EQ(server.insert(nullptr), 1);
  EXPECT_EQ(errors.messages().back(), "Attempt to insert invalid drive to server.");
  server.insert(&first);
  server.insert(&second);
  for (int index : {-1, 2, 1 << 20}) {
    EXPECT_EQ(server.driveAt(index), nullptr);
    EXPECT_EQ(errors.messages().back(),
              "Drive with index " + std::to_string(index) + " not in drive servers container.");
  }
  EXPECT_EQ(server.driveByName("A"), &first);
  EXPECT_EQ(server.driveByName("a"), nullptr);
  EXPECT_EQ(errors.messages().back(), "Drive with name 'a' not in drive servers container.");
  EXPECT_EQ(server.remove(&other), 1);
  EXPECT_EQ(errors.messages().back(), "Attempt to remove drive from server failed.");
  EXPECT_EQ(server.remove(nullptr), 1);
  EXPECT_EQ(server.count(), 2);
  server.remove(&first);
  EXPECT_EQ(server.driveByName("A"), &second);
  EXPECT_EQ(server.events, (std::vector<std::string>{"+A", "+A", "-A"}));
}

// Faults mended: a drive standing twice in the list was deleted on its first removal,
// leaving a dangling second entry; and a second insertion passed silently. It is refused.
TEST_F(DriveServerCoreTest, BareCoreRefusesADriveItAlreadyHolds) {
  VelDriveServerImp server;
  auto* a = new CountedDrive("A");
  EXPECT_EQ(server.insert(a), 0);
  EXPECT_EQ(server.insert(a), 1);
  EXPECT_EQ(server.count(), 1);
  EXPECT_EQ(server.remove(a), 0);
  EXPECT_EQ(gDrivesAlive, 0);
}

}  // namespace
