#include "kernel/automation/vel_entry_points.h"

#include <gtest/gtest.h>

#include "kernel/automation/vel_factory.h"
#include "kernel/automation/veldrive_interfaces.h"
#include "tests/kernel/support/error_capture.h"
#include "tests/platform/com/temp_registry.h"

namespace {

// The first class-object request loads the type library, which may register it: the tests
// keep the registry in a temporary file.
class EntryPointsTest : public TempRegistry {
 protected:
  void SetUp() override {
    TempRegistry::SetUp();
    baseline_ = velModule().objectCount;
  }
  IClassFactory* factoryFor(REFCLSID clsid) {
    IClassFactory* f = nullptr;
    EXPECT_EQ(velGetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&f)), S_OK);
    return f;
  }
  long objectsMade() const { return velModule().objectCount - baseline_; }

  ErrorCapture errors;

 private:
  long baseline_ = 0;
};

TEST_F(EntryPointsTest, ClassObjectAnswersOnlyUnknownAndClassFactoryOfCreatableClasses) {
  for (const IID* iid : {&IID_IUnknown, &IID_IClassFactory}) {
    IUnknown* u = nullptr;
    ASSERT_EQ(velGetClassObject(CLSID_VelDrive, *iid, reinterpret_cast<void**>(&u)), S_OK);
    ASSERT_NE(u, nullptr);
    EXPECT_EQ(u->Release(), 0u);
  }
  // The segment record carries the null identifier and no creation function.
  const CLSID unknown = *guidFromString("{01234567-89AB-CDEF-0123-456789ABCDEF}");
  const struct {
    const CLSID* clsid;
    const IID* iid;
    HRESULT expected;
  } refused[] = {{&CLSID_VelDrive, &IID_IDispatch, E_NOINTERFACE},
                 {&CLSID_VelDriveServer, &IID_IVelDriveServer, E_NOINTERFACE},
                 {&unknown, &IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
                 {&CLSID_NULL, &IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE}};
  for (const auto& r : refused) {
    void* p = this;
    EXPECT_EQ(velGetClassObject(*r.clsid, *r.iid, &p), r.expected) << guidToString(*r.clsid);
    EXPECT_EQ(p, nullptr);
  }
  EXPECT_EQ(velGetClassObject(CLSID_VelDrive, IID_IClassFactory, nullptr), E_POINTER);
}

TEST_F(EntryPointsTest, FactoryMakesObjectsOfItsClass) {
  IClassFactory* f = factoryFor(CLSID_VelDriveServer);
  ASSERT_NE(f, nullptr);
  IVelDriveServer* server = nullptr;
  ASSERT_EQ(f->CreateInstance(nullptr, IID_IVelDriveServer, reinterpret_cast<void**>(&server)),
            S_OK);
  ASSERT_NE(server, nullptr);
  LONG n = 0;
  EXPECT_EQ(server->get_segmentTypeCount(&n), S_OK);
  EXPECT_EQ(n, 9);
  EXPECT_EQ(objectsMade(), 1);
  EXPECT_EQ(velCanUnloadNow(), S_FALSE);
  EXPECT_EQ(server->Release(), 0u);
  EXPECT_EQ(objectsMade(), 0);
  EXPECT_EQ(f->Release(), 0u);
  EXPECT_EQ(velCanUnloadNow(), S_OK);

  IClassFactory* drives = factoryFor(CLSID_VelDrive);
  IVelDrive* drive = nullptr;
  ASSERT_EQ(drives->CreateInstance(nullptr, IID_IVelDrive, reinterpret_cast<void**>(&drive)), S_OK);
  BSTR type = nullptr;
  drive->get_typeName(&type);
  EXPECT_EQ(utf8FromBstr(type), "Drive");
  SysFreeString(type);
  drive->Release();
  drives->Release();
  EXPECT_EQ(objectsMade(), 0);
}

TEST_F(EntryPointsTest, FactoryRefusesAggregation) {
  IClassFactory* f = factoryFor(CLSID_VelDrive);
  void* p = this;
  EXPECT_EQ(f->CreateInstance(f, IID_IUnknown, &p), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(objectsMade(), 0);
  f->Release();
}

// Fault mended: an object made for an interface it does not answer stayed alive with
// count 0, and the library could never be unloaded.
TEST_F(EntryPointsTest, ObjectAskedForAnotherInterfaceIsDestroyed) {
  IClassFactory* f = factoryFor(CLSID_VelDrive);
  void* p = this;
  EXPECT_EQ(f->CreateInstance(nullptr, IID_IVelDriveServer, &p), E_NOINTERFACE);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(objectsMade(), 0);
  f->Release();
  EXPECT_EQ(velCanUnloadNow(), S_OK);
}

TEST_F(EntryPointsTest, LockServerHoldsTheLibrary) {
  IClassFactory* f = factoryFor(CLSID_VelDrive);
  void* p = this;
  EXPECT_EQ(f->QueryInterface(IID_IDispatch, &p), E_NOINTERFACE);
  EXPECT_EQ(p, nullptr);
  f->LockServer(TRUE);
  f->LockServer(TRUE);
  f->Release();
  EXPECT_EQ(velCanUnloadNow(), S_FALSE);
  IClassFactory* g = factoryFor(CLSID_VelDrive);
  g->LockServer(FALSE);
  EXPECT_EQ(velCanUnloadNow(), S_FALSE);
  g->LockServer(FALSE);
  EXPECT_EQ(velCanUnloadNow(), S_OK);
  // Fault mended: an unlock without a lock drove the count below 0 for good, so the
  // library never answered S_OK again.
  g->LockServer(FALSE);
  EXPECT_EQ(velCanUnloadNow(), S_OK);
  g->Release();
}

}  // namespace
