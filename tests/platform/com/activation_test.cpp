#include "platform/com/activation.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"
#include "platform/com/errorinfo.h"
#include "platform/com/registry.h"
#include "tests/platform/com/temp_registry.h"
#include "tests/platform/com/test_server.h"

namespace {

const std::string kClassKey = "HKEY_CLASSES_ROOT\\CLSID\\" + guidToString(CLSID_TestCounter);

class Activation : public TempRegistry {
 protected:
  // Registers the test class as a server library would register itself.
  void registerServer(const std::string& library) {
    ASSERT_EQ(registryUpdate([&](RegistryStore& s) {
                s.createKey(kClassKey + "\\InprocServer32");
                s.setValue(kClassKey + "\\InprocServer32", "", library);
                s.createKey(kClassKey + "\\ProgID");
                s.setValue(kClassKey + "\\ProgID", "", "Kinetra.TestCounter.1");
                s.createKey("HKEY_CLASSES_ROOT\\Kinetra.TestCounter.1\\CLSID");
                s.setValue("HKEY_CLASSES_ROOT\\Kinetra.TestCounter.1\\CLSID", "",
                           guidToString(CLSID_TestCounter));
                s.createKey("HKEY_CLASSES_ROOT\\Kinetra.TestCounter\\CurVer");
                return s.setValue("HKEY_CLASSES_ROOT\\Kinetra.TestCounter\\CurVer", "",
                                  "Kinetra.TestCounter.1");
              }),
              ERROR_SUCCESS);
  }
  static std::string errorText() {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) != S_OK) return "<none>";
    Bstr text;
    info->GetDescription(text.put());
    return text.utf8();
  }
  static LONG liveObjects() {
    void* lib = loadServerLibrary(KINETRA_TEST_SERVER_FILE, nullptr);
    auto count = reinterpret_cast<TestServerObjectCountFn>(::dlsym(lib, "TestServerObjectCount"));
    return count ? count() : -1;
  }
  static HRESULT canUnload() {
    void* lib = loadServerLibrary(KINETRA_TEST_SERVER_FILE, nullptr);
    auto fn = reinterpret_cast<DllCanUnloadNowFn>(::dlsym(lib, "DllCanUnloadNow"));
    return fn ? fn() : E_FAIL;
  }
  static HRESULT create(ComPtr<ITestCounter>* out) {
    return CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_INPROC_SERVER, IID_ITestCounter,
                            out->putVoid());
  }
};

// The server is found beside the program, by its Windows name, or by a full path; an
// unused library is unloaded and loaded again on demand.
TEST_F(Activation, CreatesAnObjectFromTheRegisteredServer) {
  const std::string name = KINETRA_TEST_SERVER_FILE;  // lib<name>.so
  char exe[4096] = {};
  ASSERT_GT(::readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
  const std::string self(exe);
  for (const std::string& library : {name, name.substr(3, name.size() - 6) + ".dll",
                                     self.substr(0, self.rfind('/') + 1) + name}) {
    SCOPED_TRACE(library);
    registerServer(library);
    {
      ComPtr<ITestCounter> counter;
      ASSERT_EQ(create(&counter), S_OK) << errorText();
      EXPECT_EQ(counter->put_value(41), S_OK);
      CoFreeUnusedLibraries();  // the object keeps its library
      LONG v = 0;
      EXPECT_EQ(counter->get_value(&v), S_OK);
      EXPECT_EQ(v, 41);
      EXPECT_EQ(liveObjects(), 1);
      EXPECT_EQ(canUnload(), S_FALSE);
    }
    EXPECT_EQ(liveObjects(), 0) << "the factory and the object are both gone";
    EXPECT_EQ(canUnload(), S_OK);
    CoFreeUnusedLibraries();
  }
}

TEST_F(Activation, FindsClassesByProgIdAndVersionIndependentProgId) {
  registerServer(KINETRA_TEST_SERVER_FILE);
  CLSID found = GUID_NULL;
  ASSERT_EQ(CLSIDFromProgID(u"Kinetra.TestCounter.1", &found), S_OK);
  EXPECT_EQ(found, CLSID_TestCounter);
  found = GUID_NULL;
  ASSERT_EQ(CLSIDFromProgID("kinetra.testcounter", &found), S_OK) << "through CurVer, any case";
  EXPECT_EQ(found, CLSID_TestCounter);
  EXPECT_EQ(CLSIDFromProgID("Kinetra.Unknown", &found), CO_E_CLASSSTRING);
  EXPECT_EQ(found, GUID_NULL);
  EXPECT_EQ(CLSIDFromProgID("bad\\name", &found), CO_E_CLASSSTRING);
}

TEST_F(Activation, FailuresGiveTheirCodesAndAReadableReason) {
  ComPtr<ITestCounter> counter;
  EXPECT_EQ(create(&counter), REGDB_E_CLASSNOTREG);
  EXPECT_FALSE(counter);
  EXPECT_NE(errorText().find("not registered"), std::string::npos);

  registerServer("libkinetra_no_such_server.so");
  EXPECT_EQ(create(&counter), CO_E_DLLNOTFOUND);
  EXPECT_NE(errorText().find("libkinetra_no_such_server.so"), std::string::npos);

  registerServer("libm.so.6");  // a library, but no server
  EXPECT_EQ(create(&counter), CO_E_ERRORINDLL);
  EXPECT_NE(errorText().find("DllGetClassObject"), std::string::npos);

  registerServer(KINETRA_TEST_SERVER_FILE);
  EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_LOCAL_SERVER, IID_ITestCounter,
                             counter.putVoid()),
            REGDB_E_CLASSNOTREG);
  void* other = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_ALL, IID_IDispatch, &other),
            E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(liveObjects(), 0) << "the refused object was destroyed";
}

}  // namespace
