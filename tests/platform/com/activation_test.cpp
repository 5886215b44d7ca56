#include "platform/com/activation.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

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
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK) return "<none>";
    BSTR text = nullptr;
    info->GetDescription(&text);
    std::string s = utf8FromBstr(text);
    SysFreeString(text);
    info->Release();
    return s;
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
  static HRESULT create(ITestCounter** out) {
    return CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_INPROC_SERVER, IID_ITestCounter,
                            reinterpret_cast<void**>(out));
  }
};

TEST_F(Activation, CreatesAnObjectFromTheServerBesideTheProgram) {
  registerServer(KINETRA_TEST_SERVER_FILE);
  ITestCounter* counter = nullptr;
  ASSERT_EQ(create(&counter), S_OK) << errorText();
  ASSERT_NE(counter, nullptr);
  EXPECT_EQ(counter->put_value(41), S_OK);
  LONG v = 0;
  EXPECT_EQ(counter->get_value(&v), S_OK);
  EXPECT_EQ(v, 41);
  EXPECT_EQ(liveObjects(), 1);
  EXPECT_EQ(canUnload(), S_FALSE);
  EXPECT_EQ(counter->Release(), 0u);
  EXPECT_EQ(liveObjects(), 0) << "the factory and the object are both gone";
  EXPECT_EQ(canUnload(), S_OK);
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
  LPOLESTR progId = nullptr;
  ASSERT_EQ(ProgIDFromCLSID(CLSID_TestCounter, &progId), S_OK);
  EXPECT_EQ(utf8FromOleStr(progId), "Kinetra.TestCounter.1");
  CoTaskMemFree(progId);
  EXPECT_EQ(ProgIDFromCLSID(IID_IDispatch, &progId), REGDB_E_CLASSNOTREG);
}

TEST_F(Activation, WindowsLibraryNameFindsTheSharedLibrary) {
  std::string name = KINETRA_TEST_SERVER_FILE;  // lib<name>.so
  registerServer(name.substr(3, name.size() - 6) + ".dll");
  ITestCounter* counter = nullptr;
  ASSERT_EQ(create(&counter), S_OK) << errorText();
  counter->Release();
}

TEST_F(Activation, FullPathIsOpenedAsItStands) {
  char exe[4096] = {};
  ASSERT_GT(::readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
  std::string folder(exe);
  folder.resize(folder.rfind('/'));
  registerServer(folder + "/" + KINETRA_TEST_SERVER_FILE);
  ITestCounter* counter = nullptr;
  ASSERT_EQ(create(&counter), S_OK) << errorText();
  counter->Release();
}

TEST_F(Activation, FailuresGiveTheirCodesAndAReadableReason) {
  ITestCounter* counter = reinterpret_cast<ITestCounter*>(0x1);
  EXPECT_EQ(create(&counter), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(counter, nullptr);
  EXPECT_NE(errorText().find("not registered"), std::string::npos);

  registerServer("libkinetra_no_such_server.so");
  EXPECT_EQ(create(&counter), CO_E_DLLNOTFOUND);
  EXPECT_NE(errorText().find("libkinetra_no_such_server.so"), std::string::npos);

  registerServer("libm.so.6");  // a library, but no server
  EXPECT_EQ(create(&counter), CO_E_ERRORINDLL);
  EXPECT_NE(errorText().find("DllGetClassObject"), std::string::npos);

  registerServer(KINETRA_TEST_SERVER_FILE);
  EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_LOCAL_SERVER, IID_ITestCounter,
                             reinterpret_cast<void**>(&counter)),
            REGDB_E_CLASSNOTREG);
  void* other = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_ALL, IID_IDispatch, &other),
            E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(liveObjects(), 0) << "the refused object was destroyed";
  IClassFactory* factory = nullptr;
  ASSERT_EQ(CoGetClassObject(CLSID_TestCounter, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                             reinterpret_cast<void**>(&factory)),
            S_OK);
  EXPECT_EQ(factory->Release(), 0u);
}

TEST_F(Activation, DamagedRegistryIsAReadFailureNotACrash) {
  writeFile("KINETRA REGISTRY 1\n[HKEY_CLASSES_ROOT\n");
  ITestCounter* counter = nullptr;
  EXPECT_EQ(create(&counter), REGDB_E_READREGDB);
  EXPECT_NE(errorText().find("line 2"), std::string::npos);
  CLSID id;
  EXPECT_EQ(CLSIDFromProgID("Kinetra.TestCounter", &id), REGDB_E_READREGDB);
}

TEST_F(Activation, UnusedLibrariesAreUnloadedAndReloadedOnDemand) {
  registerServer(KINETRA_TEST_SERVER_FILE);
  ITestCounter* counter = nullptr;
  ASSERT_EQ(create(&counter), S_OK);
  CoFreeUnusedLibraries();  // the object keeps its library
  LONG v = -1;
  EXPECT_EQ(counter->get_value(&v), S_OK);
  counter->Release();
  CoFreeUnusedLibraries();
  ASSERT_EQ(create(&counter), S_OK) << errorText();
  counter->Release();
}

TEST(ActivationInit, InitializeCountsNestedCalls) {
  EXPECT_EQ(CoInitialize(nullptr), S_OK);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
  CoUninitialize();
  CoUninitialize();
  EXPECT_EQ(CoInitialize(nullptr), S_OK);
  CoUninitialize();
}

}  // namespace
