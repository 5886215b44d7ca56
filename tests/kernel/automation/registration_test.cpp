#include "kernel/automation/registration.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "kernel/automation/veldrive_ids.h"
#include "platform/com/registry.h"
#include "tests/platform/com/temp_registry.h"

namespace {

constexpr char kClasses[] = "HKEY_CLASSES_ROOT\\";

void createKey(const std::string& path) {
  registryUpdate([&](RegistryStore& s) { return s.createKey(kClasses + path); });
}

const VelRegEntry* serverTable() { return velClassRecord(kVelClassServer).registryTable; }

const std::string kServerKey = "CLSID\\" + guidToString(CLSID_VelDriveServer);

using RegistrationTest = TempRegistry;

// Registering again replaces the earlier registration, keys an older one left below the class
// and ProgID keys included. (Unregistering the library is checked end to end in exports_test.)
TEST_F(RegistrationTest, RegisteringTwiceLeavesOneRegistration) {
  ASSERT_EQ(velRegisterTable(serverTable(), false), S_OK);
  const std::string once = fileText();
  createKey(kServerKey + "\\Obsolete");
  createKey("VelDriveServer.1\\Obsolete");
  ASSERT_EQ(velRegisterTable(serverTable(), false), S_OK);
  EXPECT_EQ(fileText(), once);
}

TEST_F(RegistrationTest, TableThatCannotBeWrittenLeavesTheRegistryAsItWas) {
  createKey("Before");
  const std::string before = fileText();
  const VelRegEntry badKey[] = {
      {kVelRegRootClasses, "Good", nullptr, "written first", 0},
      {0, "Bad\x01Name", nullptr, "x", 0},
      {0, nullptr, nullptr, nullptr, kVelRegEnd},
  };
  EXPECT_EQ(velRegisterTable(badKey, false), SELFREG_E_CLASS);
  EXPECT_EQ(fileText(), before);
  const VelRegEntry noRoot[] = {
      {0, "Orphan", nullptr, "x", 0},
      {0, nullptr, nullptr, nullptr, kVelRegEnd},
  };
  EXPECT_EQ(velRegisterTable(noRoot, false), SELFREG_E_CLASS);
  EXPECT_EQ(fileText(), before);
}

TEST_F(RegistrationTest, DamagedRegistryFileFailsWithClassError) {
  writeFile("this is not a registry\n");
  EXPECT_EQ(velRegisterTable(serverTable(), false), SELFREG_E_CLASS);
  EXPECT_EQ(velUnregisterTable(serverTable(), false), SELFREG_E_CLASS);
  EXPECT_EQ(fileText(), "this is not a registry\n");
}

}  // namespace
