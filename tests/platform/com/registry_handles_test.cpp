#include <gtest/gtest.h>

#include "platform/com/registry.h"
#include "tests/platform/com/temp_registry.h"

namespace {

class RegistryHandles : public TempRegistry {};

TEST_F(RegistryHandles, CreateSetQueryEnumerateAndDelete) {
  HKEY clsid = nullptr;
  ASSERT_EQ(RegCreateKey(HKEY_CLASSES_ROOT, "CLSID\\{1}\\InprocServer32", &clsid), ERROR_SUCCESS);
  EXPECT_EQ(RegKeyPath(clsid), "HKEY_CLASSES_ROOT\\CLSID\\{1}\\InprocServer32");
  ASSERT_EQ(RegSetValueText(clsid, nullptr, "VelDrive.dll"), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueText(clsid, "ThreadingModel", "Apartment"), ERROR_SUCCESS);
  std::string text;
  EXPECT_EQ(RegQueryValueText(clsid, "", &text), ERROR_SUCCESS);
  EXPECT_EQ(text, "VelDrive.dll");
  EXPECT_EQ(RegQueryValueText(clsid, "threadingmodel", &text), ERROR_SUCCESS);
  EXPECT_EQ(text, "Apartment");
  EXPECT_EQ(RegQueryValueText(clsid, "Missing", &text), ERROR_FILE_NOT_FOUND);

  std::string name, data;
  EXPECT_EQ(RegEnumValue(clsid, 0, &name, &data), ERROR_SUCCESS);
  EXPECT_EQ(name, "");  // the default value sorts first
  EXPECT_EQ(RegEnumValue(clsid, 1, &name, &data), ERROR_SUCCESS);
  EXPECT_EQ(name + "=" + data, "ThreadingModel=Apartment");
  EXPECT_EQ(RegEnumValue(clsid, 2, &name, &data), ERROR_NO_MORE_ITEMS);

  HKEY parent = nullptr;
  ASSERT_EQ(RegOpenKey(HKEY_CLASSES_ROOT, "CLSID\\{1}", &parent), ERROR_SUCCESS);
  EXPECT_EQ(RegEnumKey(parent, 0, &name), ERROR_SUCCESS);
  EXPECT_EQ(name, "InprocServer32");
  EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, "CLSID\\{1}"), ERROR_ACCESS_DENIED)
      << "it has a subkey";
  ASSERT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, "CLSID\\{1}"), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueText(clsid, "x", "y"), ERROR_KEY_DELETED);
  EXPECT_EQ(RegQueryValueText(clsid, "", &text), ERROR_KEY_DELETED);
  EXPECT_EQ(RegOpenKey(HKEY_CLASSES_ROOT, "CLSID\\{1}", &parent), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(clsid), ERROR_SUCCESS);
}

TEST_F(RegistryHandles, BadHandlesAndNamesAreRefusedNotFollowed) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKey(HKEY_CURRENT_USER, "x", &key), ERROR_SUCCESS);
  ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  std::string text;
  EXPECT_EQ(RegQueryValueText(key, "", &text), ERROR_INVALID_HANDLE) << "a closed handle";
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  int notAKey = 0;
  EXPECT_EQ(RegSetValueText(reinterpret_cast<HKEY>(&notAKey), "", "v"), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCreateKey(HKEY_CURRENT_USER, "bad\x01name", &key), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, "missing", &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, "never\\there"), ERROR_FILE_NOT_FOUND);
}

}  // namespace
