#include "platform/com/categories.h"

#include <gtest/gtest.h>

#include "platform/com/registry.h"
#include "tests/platform/com/temp_registry.h"

namespace {

DEFINE_GUID(CLSID_Example, 0x11111111, 0x2222, 0x3333, 0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55,
            0x55);

class Categories : public TempRegistry {
 protected:
  static CATEGORYINFO info(REFCATID id, const char16_t* text) {
    CATEGORYINFO c{id, 0x409, {}};
    for (int i = 0; text[i] && i < 127; ++i) c.szDescription[i] = text[i];
    return c;
  }
  std::string value(const std::string& key, const std::string& name) {
    std::string v;
    registryRead([&](const RegistryStore& s) { return s.queryValue(key, name, &v); });
    return v;
  }
};

TEST_F(Categories, RegisteringWritesDescriptionsAndClassMarks) {
  const CATEGORYINFO infos[] = {
      info(CATID_SafeForInitializing, u"Controls safely initializable from persistent data!"),
      info(CATID_SafeForScripting, u"Controls safely scriptable!")};
  ASSERT_EQ(RegisterCategories(2, infos), S_OK);
  EXPECT_EQ(value("HKEY_CLASSES_ROOT\\Component Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}",
                  "409"),
            "Controls safely scriptable!");
  const CATID both[] = {CATID_SafeForScripting, CATID_SafeForInitializing};
  ASSERT_EQ(RegisterClassImplCategories(CLSID_Example, 2, both), S_OK);
  ASSERT_EQ(RegisterClassImplCategories(CLSID_Example, 2, both), S_OK)
      << "twice is the same as once";
  EXPECT_EQ(IsClassOfCategory(CLSID_Example, CATID_SafeForScripting), S_OK);
}

TEST_F(Categories, UnregisteringMarksKeepsTheCategoriesAndTidiesTheList) {
  const CATEGORYINFO infos[] = {info(CATID_SafeForScripting, u"Controls safely scriptable!")};
  RegisterCategories(1, infos);
  const CATID both[] = {CATID_SafeForScripting, CATID_SafeForInitializing};
  RegisterClassImplCategories(CLSID_Example, 2, both);
  ASSERT_EQ(UnRegisterClassImplCategories(CLSID_Example, 1, both), S_OK);
  EXPECT_EQ(IsClassOfCategory(CLSID_Example, CATID_SafeForScripting), S_FALSE);
  EXPECT_EQ(IsClassOfCategory(CLSID_Example, CATID_SafeForInitializing), S_OK);
  ASSERT_EQ(UnRegisterClassImplCategories(CLSID_Example, 2, both), S_OK)
      << "a missing mark is no failure";
  EXPECT_EQ(value("HKEY_CLASSES_ROOT\\Component Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}",
                  "409"),
            "Controls safely scriptable!");
}

// A description that fills all 128 characters without a terminating NUL must not be read
// past the array.
TEST_F(Categories, DescriptionIsCutAt127CharactersEvenWithoutTerminator) {
  CATEGORYINFO c{CATID_SafeForScripting, 0x407, {}};
  for (auto& ch : c.szDescription) ch = u'x';
  ASSERT_EQ(RegisterCategories(1, &c), S_OK);
  LPOLESTR text = nullptr;
  ASSERT_EQ(GetCategoryDesc(CATID_SafeForScripting, 0x407, &text), S_OK);
  EXPECT_EQ(utf8FromOleStr(text), std::string(127, 'x'));
  CoTaskMemFree(text);
  ASSERT_EQ(GetCategoryDesc(CATID_SafeForScripting, 0x40C, &text), S_OK)
      << "falls back to any locale";
  CoTaskMemFree(text);
  EXPECT_EQ(GetCategoryDesc(CATID_SafeForInitializing, 0x409, &text), CAT_E_CATIDNOEXIST);
}

}  // namespace
