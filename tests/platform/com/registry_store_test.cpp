#include <gtest/gtest.h>

#include <random>

#include "platform/com/registry.h"

namespace {

constexpr const char* kClsid = "HKEY_CLASSES_ROOT\\CLSID\\{00000000-0000-0000-0000-000000000001}";

TEST(RegistryStore, RefusesInvalidPathsAndRootRemoval) {
  RegistryStore store;
  for (const char* bad :
       {"", "CLSID", "HKEY_NOWHERE\\x", "HKEY_CLASSES_ROOT\\", "HKEY_CLASSES_ROOT\\\\x",
        "HKEY_CLASSES_ROOT\\a\nb", "HKEY_CLASSES_ROOT\\a\x7F", "HKEY_CLASSES_ROOT\\bad\xFFutf8",
        "HKEY_CLASSES_ROOT\\overlong\xC0\xAF"})
    EXPECT_EQ(store.createKey(bad), ERROR_INVALID_PARAMETER) << bad;
  EXPECT_EQ(store.createKey("HKEY_CLASSES_ROOT\\" + std::string(256, 'k')),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(store.deleteTree("HKEY_CLASSES_ROOT"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(store.deleteTree("HKEY_CLASSES_ROOT\\missing"), ERROR_FILE_NOT_FOUND);
  // Deleting a tree removes everything below it, and nothing beside it.
  store.createKey(std::string(kClsid) + "\\InprocServer32");
  store.createKey("HKEY_CLASSES_ROOT\\CLSID\\other");
  ASSERT_EQ(store.deleteTree(kClsid), ERROR_SUCCESS);
  EXPECT_FALSE(store.keyExists(std::string(kClsid) + "\\InprocServer32"));
  EXPECT_TRUE(store.keyExists("HKEY_CLASSES_ROOT\\CLSID\\other"));
  EXPECT_EQ(store.setValue("HKEY_CLASSES_ROOT\\missing", "", "v"), ERROR_FILE_NOT_FOUND);
}

// Property: any tree of names and texts survives serialize -> parse, whatever bytes the
// names and values hold (quotes, '=', brackets, backslashes, newlines, control bytes,
// non-ASCII and invalid UTF-8).
TEST(RegistryStore, AnyContentSurvivesTheTextForm) {
  std::mt19937 rng(424242);
  const std::string alphabet[] = {"a",  "Z",  "=", "[",    "]",    "\"", "\\",   "\n",
                                  "\r", "\t", " ", ";",    "#",    "@",  "\x01", "\x7F",
                                  "ä",  "€",  "𝄞", "\xFF", "\xC3", "{",  "}",    "x"};
  auto randomText = [&](int maxLen, bool keyName) {
    std::string s;
    const int n = std::uniform_int_distribution<int>(keyName ? 1 : 0, maxLen)(rng);
    while (static_cast<int>(s.size()) < n) {
      const std::string& piece = alphabet[rng() % std::size(alphabet)];
      s += piece;
    }
    return s;
  };
  for (int round = 0; round < 200; ++round) {
    RegistryStore store;
    std::vector<std::string> keys{"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER"};
    for (int k = 0; k < 12; ++k) {
      const std::string path = keys[rng() % keys.size()] + "\\" + randomText(8, true);
      if (store.createKey(path) != ERROR_SUCCESS) continue;  // names a key may not have
      keys.push_back(path);
      for (int v = 0; v < 3; ++v)
        store.setValue(path, v == 0 ? "" : randomText(6, false), randomText(20, false));
    }
    RegistryStore back;
    std::string error;
    ASSERT_TRUE(back.parse(store.serialize(), &error)) << error << "\n" << store.serialize();
    ASSERT_TRUE(back == store) << store.serialize() << "\n---\n" << back.serialize();
  }
}

TEST(RegistryStore, DamagedTextIsRefusedWithItsLine) {
  struct Case {
    const char* text;
    const char* where;
  };
  const Case cases[] = {
      {"REGEDIT4\n[HKEY_CLASSES_ROOT\\x]\n", "line 1: this is no registry file"},
      {"KINETRA REGISTRY 1\n@=\"early\"\n", "line 2: a value stands before"},
      {"KINETRA REGISTRY 1\n[HKEY_CLASSES_ROOT\\x\n", "line 2: a key line must end"},
      {"KINETRA REGISTRY 1\n[HKEY_NOWHERE\\x]\n",
       "line 2: \"HKEY_NOWHERE\\x\" is no valid key path"},
      {"KINETRA REGISTRY 1\n[HKEY_CLASSES_ROOT\\x]\n\"a\"=\"unterminated\n",
       "line 3: value: the closing quote"},
      {"KINETRA REGISTRY 1\n[HKEY_CLASSES_ROOT\\x]\n\"a\"=\"\\q\"\n",
       "line 3: value: unknown escape \\q"},
      {"KINETRA REGISTRY 1\n[HKEY_CLASSES_ROOT\\x]\n@=\"b\" trailing\n", "line 3: unexpected text"},
      {"KINETRA REGISTRY 1\n[HKEY_CLASSES_ROOT\\x]\nname=value\n", "line 3: expected [key path]"},
      // Value names differ only in case: one would silently replace the other.
      {"KINETRA REGISTRY 1\n[HKEY_CLASSES_ROOT\\x]\n\"X\"=\"1\"\n\"x\"=\"2\"\n",
       "line 4: the value \"x\" of [HKEY_CLASSES_ROOT\\x] is set twice (as \"X\""},
      {"KINETRA REGISTRY 1\n[HKEY_CLASSES_ROOT\\x]\n@=\"1\"\n[HKEY_CLASSES_ROOT\\X]\n@=\"2\"\n",
       "line 5: the value @ of [HKEY_CLASSES_ROOT\\X] is set twice"},
  };
  for (const auto& c : cases) {
    RegistryStore store;
    store.createKey("HKEY_CLASSES_ROOT\\before");
    std::string error;
    EXPECT_FALSE(store.parse(c.text, &error)) << c.text;
    EXPECT_EQ(error.rfind(c.where, 0), 0u) << "got: " << error;
    EXPECT_FALSE(store.keyExists("HKEY_CLASSES_ROOT\\before"))
        << "a failed parse leaves an empty store";
  }
  RegistryStore store;
  std::string error;
  const std::string withNul("KINETRA REGISTRY 1\n[HKEY_CLASSES_ROOT\\x]\n@=\"a\0b\"\n", 49);
  EXPECT_FALSE(store.parse(withNul, &error));
  EXPECT_EQ(error, "line 3: the line holds a NUL byte");
}

TEST(RegistryStore, ToleratesCommentsBlankLinesCrLfAndByteOrderMark) {
  RegistryStore store;
  std::string error;
  ASSERT_TRUE(
      store.parse("\xEF\xBB\xBFKINETRA REGISTRY 1\r\n\r\n; note\r\n# note\r\n"
                  "  [HKEY_CLASSES_ROOT\\VelDrive]  \r\n@ = \"VelDrive Class\"\r\n",
                  &error))
      << error;
  std::string v;
  EXPECT_EQ(store.queryValue("HKEY_CLASSES_ROOT\\VelDrive", "", &v), ERROR_SUCCESS);
  EXPECT_EQ(v, "VelDrive Class");
  EXPECT_TRUE(store.parse("", &error)) << "an empty file is an empty registry";
}

// A hand-edited file keeps its notes across a read and a write: above keys, above values,
// and at the end; the note the writer puts at the top is not doubled.
TEST(RegistryStore, KeepsCommentsWhereTheyStand) {
  const std::string text =
      "KINETRA REGISTRY 1\n"
      "; Kinetra registry. [key path] lines, then \"name\"=\"value\" lines; @ is the key's "
      "default value.\n"
      "; installed by hand, do not remove\n"
      "[HKEY_CLASSES_ROOT\\Tool]\n"
      "[HKEY_CLASSES_ROOT\\Tool\\Path]\n"
      "@=\"/opt/tool\"\n"
      "# the old one, kept for a while\n"
      "\"Old\"=\"/usr/tool\"\n"
      "; end\n";
  RegistryStore store;
  std::string error;
  ASSERT_TRUE(store.parse(text, &error)) << error;
  EXPECT_EQ(store.serialize(), text);
  store.createKey("HKEY_CLASSES_ROOT\\Another");
  store.setValue("HKEY_CLASSES_ROOT\\Tool\\Path", "Old", "/usr/local/tool");
  const std::string changed = store.serialize();
  EXPECT_NE(changed.find("# the old one, kept for a while\n\"Old\"=\"/usr/local/tool\"\n"),
            std::string::npos)
      << changed;
  EXPECT_NE(changed.find("; installed by hand, do not remove\n[HKEY_CLASSES_ROOT\\Tool]\n"),
            std::string::npos)
      << changed;
  EXPECT_EQ(changed.substr(changed.size() - 6), "; end\n");
}

}  // namespace
