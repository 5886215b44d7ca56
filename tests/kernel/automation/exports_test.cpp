// libVelDrive.so as its clients meet it: registered into a temporary registry by
// kinetra-regsvr, created through class activation, used through its interfaces only.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "kernel/automation/veldrive_interfaces.h"
#include "platform/com/activation.h"
#include "platform/com/bstr.h"
#include "platform/com/categories.h"
#include "platform/com/com_ptr.h"
#include "platform/com/registry.h"
#include "platform/msgbox/message_box.h"
#include "tests/kernel/tools/program_run.h"
#include "tests/platform/com/temp_registry.h"

namespace {

constexpr char kLibrary[] = "libVelDrive.so";

std::vector<std::string>& shownMessages() {
  static std::vector<std::string> all;
  return all;
}
int recordMessage(const char* text, const char* title) {
  shownMessages().push_back(std::string(title) + ": " + text);
  return kMessageBoxOk;
}

bool keyExists(const std::string& path) {
  bool exists = false;
  registryRead([&](const RegistryStore& s) {
    exists = s.keyExists("HKEY_CLASSES_ROOT\\" + path);
    return ERROR_SUCCESS;
  });
  return exists;
}

class ServerLibraryTest : public TempRegistry {
 protected:
  void SetUp() override {
    TempRegistry::SetUp();
    previous_ = setMessageBoxHandler(recordMessage);
    shownMessages().clear();
  }
  void TearDown() override {
    setMessageBoxHandler(previous_);
    TempRegistry::TearDown();
  }
  ProgramResult regsvr(const std::vector<std::string>& args) {
    return runProgram("kinetra-regsvr", args, "", folder());
  }
  void registerLibrary() {
    const ProgramResult r = regsvr({"--", kLibrary});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("0x00000000"), std::string::npos) << r.out;
  }
  // The entry point of the library as the process has loaded it.
  template <class Fn>
  Fn entry(const char* name) {
    void* handle = loadServerLibrary(kLibrary, nullptr);
    return handle ? reinterpret_cast<Fn>(dlsym(handle, name)) : nullptr;
  }

 private:
  MessageBoxHandler previous_ = nullptr;
};

// A cam drive over one turn: dwell, rise by 50 (modified sine), dwell, return, dwell.
const char* const kCamDrive[] = {
    "\"Linear\", 0, 0",     "\"ModSine\", 60, 0", "\"Linear\", 150, 50",
    "\"ModSine\", 210, 50", "\"Linear\", 300, 0", "\"Linear\", 360, 0",
};

TEST_F(ServerLibraryTest, ClientBuildsAndEvaluatesADriveThroughTheInterfacesOnly) {
  registerLibrary();
  CLSID clsid{};
  ASSERT_EQ(CLSIDFromProgID("VelDriveServer.1", &clsid), S_OK);
  ASSERT_EQ(CLSIDFromProgID("VelDriveServer", &clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_VelDriveServer);
  const auto canUnloadNow = entry<DllCanUnloadNowFn>("DllCanUnloadNow");
  ASSERT_NE(canUnloadNow, nullptr);
  {
    ComPtr<IVelDriveServer> server;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IVelDriveServer,
                               server.putVoid()),
              S_OK);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    ComPtr<IVelDrive> drive;
    ASSERT_EQ(server->newDrive(Bstr("cam").get(), drive.put()), S_OK);
    for (const char* line : kCamDrive) EXPECT_EQ(drive->put_segment(Bstr(line).get()), S_OK);
    LONG unsolved = -1;
    ASSERT_EQ(drive->compile(&unsolved), S_OK);
    ASSERT_EQ(unsolved, 0);
    const auto at = [&](double z, int k) {
      double v[4] = {NAN, NAN, NAN, NAN};
      EXPECT_EQ(drive->fderiv(z, &v[0], &v[1], &v[2], &v[3]), S_OK);
      return v[k];
    };
    // Dwells, and the rise and return through half the stroke at their middles (the
    // modified sine is point-symmetric about its middle).
    const std::pair<double, double> f[] = {{30, 0}, {105, 25}, {180, 50}, {255, 25}, {330, 0}};
    for (auto [z, v] : f) EXPECT_NEAR(at(z, 0), v, 1e-9) << z;
    // Rest to rest: no slope at the joints; the peak slope is Cv = 1.76 times the mean one
    // (VDI 2143 tables: Cv of the modified sine 1.76).
    for (double joint : {60.0, 150.0, 210.0, 300.0}) EXPECT_NEAR(at(joint, 1), 0.0, 1e-9) << joint;
    EXPECT_NEAR(at(105, 1), 1.76 * 50.0 / 90.0, 1e-2);
    ASSERT_EQ(server->add(drive.get()), S_OK);
  }
  // Every reference given back: the library holds no object and may be unloaded.
  EXPECT_EQ(canUnloadNow(), S_OK);
  EXPECT_TRUE(shownMessages().empty()) << shownMessages().front();
}

// The keys of one registration: all there or none.
std::vector<std::string> wholeRegistration() {
  return {"CLSID\\" + guidToString(CLSID_VelDrive),
          "CLSID\\" + guidToString(CLSID_VelDriveServer),
          "VelDrive",
          "VelDrive.1",
          "VelDriveServer",
          "VelDriveServer.1",
          "TypeLib\\" + guidToString(LIBID_VelDriveLib),
          "Interface\\" + guidToString(IID_IVelDriveServer)};
}

// The library is registered by its absolute path (not a name a search might resolve to another
// copy); unregistering removes everything but the shared categories, succeeds again when gone,
// and creates no registry where there was none.
TEST_F(ServerLibraryTest, UnregisteringRemovesAllButCategories) {
  registerLibrary();
  for (const std::string& key : wholeRegistration()) EXPECT_TRUE(keyExists(key)) << key;
  EXPECT_EQ(IsClassOfCategory(CLSID_VelDriveServer, CATID_SafeForScripting), S_OK);
  EXPECT_EQ(IsClassOfCategory(CLSID_VelDrive, CATID_SafeForInitializing), S_OK);
  std::string server;
  registryRead([&](const RegistryStore& s) {
    return s.queryValue(
        "HKEY_CLASSES_ROOT\\CLSID\\" + guidToString(CLSID_VelDriveServer) + "\\InprocServer32", "",
        &server);
  });
  EXPECT_EQ(server.rfind('/', 0), 0u) << server;
  EXPECT_NE(server.find(kLibrary), std::string::npos) << server;

  const ProgramResult r = regsvr({"-u", kLibrary});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  for (const std::string& key : wholeRegistration()) EXPECT_FALSE(keyExists(key)) << key;
  for (const CATID* catid : {&CATID_SafeForScripting, &CATID_SafeForInitializing})
    EXPECT_TRUE(keyExists("Component Categories\\" + guidToString(*catid)));
  CLSID clsid{};
  EXPECT_NE(CLSIDFromProgID("VelDriveServer.1", &clsid), S_OK);
  EXPECT_EQ(regsvr({"-u", kLibrary}).status, 0);
  ::setenv("KINETRA_REGISTRY", (folder() + "/none/registry").c_str(), 1);
  EXPECT_EQ(regsvr({"-u", kLibrary}).status, 0);
  EXPECT_FALSE(std::filesystem::exists(folder() + "/none"));
}

// Several registrations and unregistrations at once used to leave rounds half registered
// (the VelDrive ProgID gone, VelDriveServer still there) while every process succeeded.
TEST_F(ServerLibraryTest, ConcurrentRegistrationsLeaveOneWholeState) {
  constexpr int kRounds = 6, kProcesses = 6;
  const std::vector<std::string> keys = wholeRegistration();
  for (int round = 0; round < kRounds; ++round) {
    std::vector<std::thread> runs;
    std::vector<ProgramResult> results(kProcesses);
    for (int p = 0; p < kProcesses; ++p) {
      const std::string work = folder() + "/run" + std::to_string(p);
      std::filesystem::create_directories(work);
      std::vector<std::string> args{kLibrary};
      if (p % 2) args.insert(args.begin(), "-u");
      runs.emplace_back(
          [&, p, work, args] { results[p] = runProgram("kinetra-regsvr", args, "", work); });
    }
    for (auto& t : runs) t.join();
    for (const ProgramResult& r : results) EXPECT_EQ(r.status, 0) << r.out << r.err;
    const auto present = std::count_if(keys.begin(), keys.end(), keyExists);
    ASSERT_TRUE(present == 0 || present == static_cast<long>(keys.size()))
        << "round " << round << ": " << present << " of " << keys.size() << " keys\n"
        << fileText();
  }
}

// A registry that cannot be written is refused with its own code and reason and a failing
// exit, the file left as it was. Registry faults used to be reported as 0x80040200 (the type
// library) whatever they were. (What stands at the path is covered with the registry file.)
TEST_F(ServerLibraryTest, RegsvrRefusesWhatIsNoWritableRegistry) {
  const struct {
    std::function<void()> make;
    const char* out;
    const char* err;
  } cases[] = {
      {[&] { ::mkfifo(registryPath().c_str(), 0600); }, "0x80040150",
       "is a named pipe, not a regular file"},
      {[&] {
         writeFile("KINETRA REGISTRY 1\n");
         ::chmod(registryPath().c_str(), 0444);
       },
       "0x80040151", "is read-only"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.err);
    std::filesystem::remove_all(registryPath());
    c.make();
    const ProgramResult r = regsvr({kLibrary});
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
  }
}

}  // namespace
