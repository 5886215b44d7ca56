#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
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

// An update creates the folders it needs, replaces the file whole (no temporary file stays)
// and keeps the permissions of the file it replaces.
TEST_F(RegistryFile, UpdatesAreWrittenWholeAndKeepThePermissions) {
  const std::string path = folder() + "/deeper/folder/registry";
  ::setenv("KINETRA_REGISTRY", path.c_str(), 1);
  const auto update = [] {
    return registryUpdate([](RegistryStore& s) {
      s.createKey("HKEY_CLASSES_ROOT\\VelDrive");
      return s.setValue("HKEY_CLASSES_ROOT\\VelDrive", "", "VelDrive Class");
    });
  };
  ASSERT_EQ(update(), ERROR_SUCCESS);
  ::chmod(path.c_str(), 0640);
  ASSERT_EQ(update(), ERROR_SUCCESS);
  std::set<std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(folder() + "/deeper/folder"))
    files.insert(e.path().filename().string());
  EXPECT_EQ(files, (std::set<std::string>{"registry", "registry.lock"}));
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
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

// What stands at the registry path decides what may be written: only a regular file, a
// symbolic link being followed to its target. Each case used to block in open, replace a
// device or a link by a plain file, or rewrite a read-only file.
TEST_F(RegistryFile, WritesOnlyARegularFileAndFollowsLinks) {
  const std::string target = folder() + "/target";
  struct Case {
    const char* name;
    std::function<bool()> make;  // false: cannot be made here (the row is skipped)
    LONG expected;
    const char* why;
  };
  const Case cases[] = {
      {"pipe", [&] { return ::mkfifo(registryPath().c_str(), 0600) == 0; }, ERROR_CANTREAD,
       "is a named pipe, not a regular file"},
      {"device",
       [&] { return ::mknod(registryPath().c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0; },
       ERROR_CANTREAD, "is a device, not a regular file"},
      {"folder", [&] { return ::mkdir(registryPath().c_str(), 0700) == 0; }, ERROR_CANTREAD,
       "is a folder, not a regular file"},
      {"read-only file",
       [&] {
         writeFile("KINETRA REGISTRY 1\n");
         return ::chmod(registryPath().c_str(), 0444) == 0;
       },
       ERROR_CANTWRITE, "is read-only"},
      {"link to a file",
       [&] {
         std::ofstream(target) << "KINETRA REGISTRY 1\n[HKEY_CURRENT_USER\\old]\n";
         return ::symlink("target", registryPath().c_str()) == 0;
       },
       ERROR_SUCCESS, ""},
      {"link to nothing yet",
       [&] { return ::symlink(target.c_str(), registryPath().c_str()) == 0; }, ERROR_SUCCESS, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(registryPath());
    std::filesystem::remove(target);
    if (!c.make()) continue;
    const bool regular = std::filesystem::is_regular_file(registryPath());
    const std::string before = regular ? fileText() : "";  // a pipe would block the test
    EXPECT_EQ(
        registryUpdate([](RegistryStore& s) { return s.createKey("HKEY_CURRENT_USER\\new"); }),
        c.expected);
    if (c.expected != ERROR_SUCCESS) {
      EXPECT_NE(RegLastErrorText().find(c.why), std::string::npos) << RegLastErrorText();
      if (regular) {
        EXPECT_EQ(fileText(), before);
      }
      continue;
    }
    EXPECT_TRUE(std::filesystem::is_symlink(registryPath()));
    RegistryStore written;
    std::string error;
    ASSERT_EQ(written.load(target, &error), ERROR_SUCCESS) << error;
    EXPECT_TRUE(written.keyExists("HKEY_CURRENT_USER\\new"));
  }
}

// Calls made inside an update work on its store: the file is read once and written once,
// and only when the whole update succeeds.
TEST_F(RegistryFile, NestedCallsJoinTheUpdateInProgress) {
  writeFile("KINETRA REGISTRY 1\n");
  const std::string before = fileText();
  EXPECT_EQ(registryUpdate([&](RegistryStore&) {
              registryUpdate([](RegistryStore& s) { return s.createKey("HKEY_CURRENT_USER\\a"); });
              bool seen = false;
              registryRead([&](const RegistryStore& s) {
                seen = s.keyExists("HKEY_CURRENT_USER\\a");
                return ERROR_SUCCESS;
              });
              EXPECT_TRUE(seen);
              EXPECT_EQ(fileText(), before) << "nothing is written before the update ends";
              return ERROR_CANCELLED;
            }),
            ERROR_CANCELLED);
  EXPECT_EQ(fileText(), before);
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
