#include "kernel/automation/registration.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "kernel/automation/veldrive_ids.h"
#include "platform/com/categories.h"
#include "platform/com/registry.h"
#include "tests/platform/com/temp_registry.h"

namespace {

constexpr char kClasses[] = "HKEY_CLASSES_ROOT\\";

bool keyExists(const std::string& path) {
  bool exists = false;
  registryRead([&](const RegistryStore& s) {
    exists = s.keyExists(kClasses + path);
    return ERROR_SUCCESS;
  });
  return exists;
}

std::string valueOf(const std::string& path, const char* name = "") {
  std::string value = "<missing>";
  registryRead([&](const RegistryStore& s) { return s.queryValue(kClasses + path, name, &value); });
  return value;
}

void createKey(const std::string& path) {
  registryUpdate([&](RegistryStore& s) { return s.createKey(kClasses + path); });
}

const VelRegEntry* serverTable() { return velClassRecord(kVelClassServer).registryTable; }

const std::string kServerKey = "CLSID\\" + guidToString(CLSID_VelDriveServer);

using RegistrationTest = TempRegistry;

TEST_F(RegistrationTest, WritesTheClassKeyAndBothProgIds) {
  ASSERT_EQ(velRegisterTable(serverTable(), false), S_OK);
  EXPECT_EQ(valueOf(kServerKey), "VelDriveServer Class");
  // The library as registered, not whichever copy a search would find.
  EXPECT_EQ(valueOf(kServerKey + "\\InprocServer32"), velModulePath());
  EXPECT_EQ(valueOf(kServerKey + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(valueOf(kServerKey + "\\ProgID"), "VelDriveServer.1");
  EXPECT_EQ(valueOf(kServerKey + "\\VersionIndependentProgID"), "VelDriveServer");
  EXPECT_EQ(valueOf(kServerKey + "\\TypeLib"), guidToString(LIBID_VelDriveLib));
  EXPECT_EQ(valueOf("VelDriveServer"), "VelDriveServer Class");
  EXPECT_EQ(valueOf("VelDriveServer\\CurVer"), "VelDriveServer.1");
  EXPECT_EQ(valueOf("VelDriveServer.1"), "VelDriveServer Class");
  EXPECT_EQ(valueOf("VelDriveServer.1\\CLSID"), guidToString(CLSID_VelDriveServer));
}

TEST_F(RegistrationTest, RegisteringTwiceLeavesOneRegistration) {
  ASSERT_EQ(velRegisterTable(serverTable(), false), S_OK);
  const std::string once = fileText();
  // Keys left below the class and ProgID keys by an older registration go with them.
  createKey(kServerKey + "\\Obsolete");
  createKey("VelDriveServer.1\\Obsolete");
  ASSERT_EQ(velRegisterTable(serverTable(), false), S_OK);
  EXPECT_EQ(fileText(), once);
}

TEST_F(RegistrationTest, UnregisteringRemovesClassKeyAndProgIds) {
  createKey("Unrelated");
  ASSERT_EQ(velRegisterTable(serverTable(), false), S_OK);
  ASSERT_EQ(velUnregisterTable(serverTable(), false), S_OK);
  for (const std::string& key :
       {kServerKey, std::string("VelDriveServer"), std::string("VelDriveServer.1")})
    EXPECT_FALSE(keyExists(key)) << key;
  EXPECT_TRUE(keyExists("Unrelated"));
  // Removing what is not there is no failure.
  EXPECT_EQ(velUnregisterTable(serverTable(), false), S_OK);
}

TEST_F(RegistrationTest, FlagsDecideWhatIsWrittenAndWhatStays) {
  createKey("TestRoot\\Gone\\Below");
  const VelRegEntry table[] = {
      {kVelRegRootClasses, "TestRoot", nullptr, kVelRegModulePath, 0},
      {0, "Gone", nullptr, nullptr, kVelRegDeleteOnly},
      {0, "Named", "Value", "text", 0},
      {kVelRegRootClasses, "TestKept", nullptr, "kept", kVelRegKeep},
      {0, nullptr, nullptr, nullptr, kVelRegEnd},
  };
  ASSERT_EQ(velRegisterTable(table, false), S_OK);
  // "All bits set" stands for this code's own file: here the test program.
  EXPECT_EQ(valueOf("TestRoot"), velModulePath());
  EXPECT_EQ(access(velModulePath().c_str(), R_OK), 0);
  EXPECT_EQ(velModulePath()[0], '/');
  EXPECT_FALSE(keyExists("TestRoot\\Gone"));
  EXPECT_EQ(valueOf("TestRoot\\Named", "Value"), "text");
  EXPECT_EQ(valueOf("TestRoot\\Named"), "<missing>");
  ASSERT_EQ(velUnregisterTable(table, false), S_OK);
  EXPECT_FALSE(keyExists("TestRoot"));
  EXPECT_EQ(valueOf("TestKept"), "kept");
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

TEST_F(RegistrationTest, SafetyMarksGoWhileTheCategoriesStay) {
  ASSERT_EQ(velRegisterSafetyCategories(CLSID_VelDrive), S_OK);
  EXPECT_EQ(IsClassOfCategory(CLSID_VelDrive, CATID_SafeForScripting), S_OK);
  EXPECT_EQ(IsClassOfCategory(CLSID_VelDrive, CATID_SafeForInitializing), S_OK);
  ASSERT_EQ(velUnregisterSafetyCategories(CLSID_VelDrive), S_OK);
  EXPECT_EQ(IsClassOfCategory(CLSID_VelDrive, CATID_SafeForScripting), S_FALSE);
  EXPECT_EQ(IsClassOfCategory(CLSID_VelDrive, CATID_SafeForInitializing), S_FALSE);
  const std::pair<const CATID*, const char*> categories[] = {
      {&CATID_SafeForScripting, "Controls safely scriptable!"},
      {&CATID_SafeForInitializing, "Controls safely initializable from persistent data!"}};
  for (const auto& [catid, text] : categories) {
    LPOLESTR description = nullptr;
    ASSERT_EQ(GetCategoryDesc(*catid, 1033, &description), S_OK);
    EXPECT_EQ(utf8FromOleStr(description), text);
    CoTaskMemFree(description);
  }
}

}  // namespace
