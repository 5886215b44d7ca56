#include "kernel/automation/vel_entry_points.h"

#include <gtest/gtest.h>

#include <tuple>

#include "kernel/automation/vel_factory.h"
#include "kernel/automation/veldrive_interfaces.h"
#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"
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
  ComPtr<IUnknown> u;
  EXPECT_EQ(velGetClassObject(CLSID_VelDrive, IID_IUnknown, u.putVoid()), S_OK);
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

// The factory makes objects of its class, refuses aggregation, and destroys an object made
// for an interface it does not answer. Fault mended: such an object stayed alive with count
// 0, and the library could never be unloaded.
TEST_F(EntryPointsTest, FactoryMakesObjectsOfItsClassAndNothingElse) {
  {
    auto f = ComPtr<IClassFactory>::adopt(factoryFor(CLSID_VelDriveServer));
    ComPtr<IVelDriveServer> server;
    ASSERT_EQ(f->CreateInstance(nullptr, IID_IVelDriveServer, server.putVoid()), S_OK);
    LONG n = 0;
    EXPECT_EQ(server->get_segmentTypeCount(&n), S_OK);
    EXPECT_EQ(n, 9);
    EXPECT_EQ(objectsMade(), 1);
    EXPECT_EQ(velCanUnloadNow(), S_FALSE);
  }
  EXPECT_EQ(objectsMade(), 0);
  EXPECT_EQ(velCanUnloadNow(), S_OK);
  auto drives = ComPtr<IClassFactory>::adopt(factoryFor(CLSID_VelDrive));
  {
    ComPtr<IVelDrive> drive;
    ASSERT_EQ(drives->CreateInstance(nullptr, IID_IVelDrive, drive.putVoid()), S_OK);
    Bstr type;
    drive->get_typeName(type.put());
    EXPECT_EQ(type.utf8(), "Drive");
  }
  for (auto [outer, iid, hr] : {std::tuple{drives.get(), &IID_IUnknown, CLASS_E_NOAGGREGATION},
                                {nullptr, &IID_IVelDriveServer, E_NOINTERFACE}}) {
    void* p = this;
    EXPECT_EQ(drives->CreateInstance(outer, *iid, &p), hr);
    EXPECT_EQ(p, nullptr);
  }
  EXPECT_EQ(objectsMade(), 0);
}

TEST_F(EntryPointsTest, LockServerHoldsTheLibrary) {
  {
    auto f = ComPtr<IClassFactory>::adopt(factoryFor(CLSID_VelDrive));
    void* p = this;
    EXPECT_EQ(f->QueryInterface(IID_IDispatch, &p), E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
    f->LockServer(TRUE);
    f->LockServer(TRUE);
  }
  EXPECT_EQ(velCanUnloadNow(), S_FALSE);
  auto g = ComPtr<IClassFactory>::adopt(factoryFor(CLSID_VelDrive));
  g->LockServer(FALSE);
  EXPECT_EQ(velCanUnloadNow(), S_FALSE);
  g->LockServer(FALSE);
  EXPECT_EQ(velCanUnloadNow(), S_OK);
  // Fault mended: an unlock without a lock drove the count below 0 for good, so the
  // library never answered S_OK again.
  g->LockServer(FALSE);
  EXPECT_EQ(velCanUnloadNow(), S_OK);
}

}  // namespace
