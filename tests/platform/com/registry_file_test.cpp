#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <thread>

#include "platform/com/registry.h"
#include "tests/platform/com/temp_registry.h"

namespace {

class RegistryFile : public TempRegistry {};

// Sets an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST_F(RegistryFile, LocationFollowsTheEnvironmentInOrder) {
  EXPECT_EQ(RegistryStore::defaultPath(), registryPath());
  ScopedEnv noExplicit("KINETRA_REGISTRY", nullptr);
  ScopedEnv xdg("XDG_CONFIG_HOME", "/x/config");
  ScopedEnv home("HOME", "/home/tester");
  EXPECT_EQ(RegistryStore::defaultPath(), "/x/config/kinetra/registry");
  {
    ScopedEnv noXdg("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(RegistryStore::defaultPath(), "/home/tester/.config/kinetra/registry");
  }
  ScopedEnv relativeXdg(
      "XDG_CONFIG_HOME",
      "relative");  // not absolute: ignored, as the XDG base-directory rules require
  EXPECT_EQ(RegistryStore::defaultPath(), "/home/tester/.config/kinetra/registry");
}

TEST_F(RegistryFile, UpdatesAreWrittenWholeAndLeaveNoTemporaryFiles) {
  ::setenv("KINETRA_REGISTRY", (folder() + "/deeper/folder/registry").c_str(), 1);
  ASSERT_EQ(registryUpdate([](RegistryStore& s) {
              s.createKey("HKEY_CLASSES_ROOT\\VelDrive");
              return s.setValue("HKEY_CLASSES_ROOT\\VelDrive", "", "VelDrive Class");
            }),
            ERROR_SUCCESS);
  std::set<std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(folder() + "/deeper/folder"))
    files.insert(e.path().filename().string());
  EXPECT_EQ(files, (std::set<std::string>{"registry", "registry.lock"}));
  std::string value;
  EXPECT_EQ(registryRead([&](const RegistryStore& s) {
              return s.queryValue("HKEY_CLASSES_ROOT\\VelDrive", "", &value);
            }),
            ERROR_SUCCESS);
  EXPECT_EQ(value, "VelDrive Class");
}

TEST_F(RegistryFile, KeepsThePermissionsOfTheFileItReplaces) {
  writeFile("KINETRA REGISTRY 1\n");
  ::chmod(registryPath().c_str(), 0640);
  ASSERT_EQ(registryUpdate([](RegistryStore& s) { return s.createKey("HKEY_CURRENT_USER\\x"); }),
            ERROR_SUCCESS);
  struct stat st;
  ASSERT_EQ(::stat(registryPath().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(RegistryFile, DamagedFileIsReportedAndNeverOverwritten) {
  const std::string damaged = "KINETRA REGISTRY 1\n[HKEY_CLASSES_ROOT\\x]\n\"broken\n";
  writeFile(damaged);
  EXPECT_EQ(registryUpdate([](RegistryStore& s) { return s.createKey("HKEY_CLASSES_ROOT\\y"); }),
            ERROR_REGISTRY_CORRUPT);
  EXPECT_EQ(fileText(), damaged);
  const std::string why = RegLastErrorText();
  EXPECT_NE(why.find(registryPath()), std::string::npos) << why;
  EXPECT_NE(why.find("line 3"), std::string::npos) << why;
  EXPECT_EQ(hresultFromRegistryError(ERROR_REGISTRY_CORRUPT), REGDB_E_READREGDB);
}

// Writers that run at the same time must not lose each other's changes: every
// read-modify-write holds the file lock.
TEST_F(RegistryFile, ConcurrentWritersLoseNothing) {
  constexpr int kThreads = 4, kValuesEach = 15;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < kValuesEach; ++i)
        registryUpdate([&](RegistryStore& s) {
          s.createKey("HKEY_CURRENT_USER\\Counters");
          return s.setValue("HKEY_CURRENT_USER\\Counters",
                            std::to_string(t) + "." + std::to_string(i), "v");
        });
    });
  for (auto& th : threads) th.join();
  std::vector<std::pair<std::string, std::string>> values;
  ASSERT_EQ(registryRead([&](const RegistryStore& s) {
              return s.values("HKEY_CURRENT_USER\\Counters", &values);
            }),
            ERROR_SUCCESS);
  EXPECT_EQ(values.size(), static_cast<std::size_t>(kThreads * kValuesEach));
}

}  // namespace
