#include "kernel/automation/vel_drive_seg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "kernel/automation/vel_drive.h"
#include "kernel/automation/vel_drive_server.h"
#include "kernel/laws/basic_laws.h"
#include "kernel/support/auxcom.h"
#include "tests/kernel/automation/dispatch_helpers.h"
#include "tests/kernel/support/error_capture.h"

namespace {

// A minimal segment type: a straight line that compiles at once.
class LineSegment : public VelDriveSeg {
 public:
  LineSegment() = default;
  LineSegment(double z0, double f0) : VelDriveSeg(z0, f0) {}
  const char* typeName() override { return "Line"; }
  int compile(int) override {
    if (!isCompiled()) setLaw(new kDrvLinear);
    return 0;
  }
};

class VelDriveSegTest : public ::testing::Test {
 protected:
  void SetUp() override { startCount_ = velModule().objectCount.load(); }
  void TearDown() override {
    EXPECT_EQ(velModule().objectCount.load(), startCount_) << "an object was leaked";
  }
  // A new segment with the caller's reference.
  static LineSegment* make(double z0 = 0, double f0 = 0) {
    auto* s = new LineSegment(z0, f0);
    s->AddRef();
    return s;
  }
  ErrorCapture errors_;

 private:
  long startCount_ = 0;
};

// Which interfaces each automation class answers, and that all of them reach one object.
struct InterfaceRow {
  const char* name;
  IUnknown* (*make)();
  const IID* own;
  std::vector<const IID*> refused;
};

class InterfacesTest : public VelDriveSegTest,
                       public ::testing::WithParamInterface<InterfaceRow> {};

TEST_P(InterfacesTest, QueryInterfaceAnswersExactlyTheClassesInterfaces) {
  IUnknown* object = GetParam().make();
  ASSERT_NE(object, nullptr);
  object->AddRef();
  for (const IID* iid : {&IID_IUnknown, &IID_IDispatch, &IID_IDispatchEx, &IID_ISupportErrorInfo,
                         &IID_IPersist, &IID_IPersistPropertyBag2, GetParam().own}) {
    Ref<IUnknown> p;
    EXPECT_EQ(object->QueryInterface(*iid, p.out()), S_OK) << guidToString(*iid);
    EXPECT_NE(p.p, nullptr);
  }
  for (const IID* iid : GetParam().refused) {
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(object->QueryInterface(*iid, &p), E_NOINTERFACE) << guidToString(*iid);
    EXPECT_EQ(p, nullptr);
  }
  EXPECT_EQ(object->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  // Every interface reaches the one object and its one reference count.
  IPersistPropertyBag2* persist = nullptr;
  ASSERT_EQ(object->QueryInterface(IID_IPersistPropertyBag2, reinterpret_cast<void**>(&persist)),
            S_OK);
  EXPECT_EQ(refCount(persist), 2u);
  EXPECT_EQ(persist->IsDirty(), S_FALSE);
  persist->Release();
  ISupportErrorInfo* errorInfo = nullptr;
  ASSERT_EQ(object->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&errorInfo)),
            S_OK);
  EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(*GetParam().own), S_OK);
  EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(IID_IClassFactory), S_FALSE);
  errorInfo->Release();
  EXPECT_EQ(object->Release(), 0u) << "the test's reference was the last";
}

INSTANTIATE_TEST_SUITE_P(
    AutomationClasses, InterfacesTest,
    ::testing::Values(
        InterfaceRow{
            "Segment",
            [] { return static_cast<IUnknown*>(static_cast<IVelDriveSeg*>(new LineSegment)); },
            &IID_IVelDriveSeg,
            {&IID_IVelDrive, &IID_IVelDriveServer, &IID_IClassFactory, &IID_IVelBase}},
        InterfaceRow{"Drive", [] { return createVelDrive(); }, &IID_IVelDrive, {&IID_IVelDriveSeg}},
        InterfaceRow{"Server",
                     [] { return createVelDriveServer(); },
                     &IID_IVelDriveServer,
                     {&IID_IVelDrive, &IID_IVelDriveSeg, &IID_IClassFactory}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(VelDriveSegTest, SegmentHasNoClassId) {
  LineSegment* s = make();
  Ref<IPersistPropertyBag2> persist;
  ASSERT_EQ(s->QueryInterface(IID_IPersistPropertyBag2, persist.out()), S_OK);
  CLSID id = IID_IVelDrive;
  EXPECT_EQ(persist->GetClassID(&id), S_OK);
  EXPECT_EQ(id, CLSID_NULL);
  s->Release();
}

TEST_F(VelDriveSegTest, StartValuesAndValueNamesThroughInterface) {
  LineSegment* s = make();
  IVelDriveSeg* seg = s;
  EXPECT_EQ(seg->put_z0(2.0), S_OK);
  EXPECT_EQ(seg->put_f0(3.0), S_OK);
  double d = 0;
  seg->get_z1(&d);
  EXPECT_EQ(d, 2.0);  // no successor: ends where it starts
  TestBstr z0("z0"), lambdaWrongCase("Lambda"), z1("z1");
  EXPECT_EQ(seg->get_value(z0.s, &d), S_FALSE);
  EXPECT_EQ(d, 2.0);
  EXPECT_EQ(seg->get_value(lambdaWrongCase.s, &d), S_FALSE);
  EXPECT_EQ(d, 0.0);
  EXPECT_TRUE(errors_.messages().empty());

  EXPECT_EQ(seg->put_value(lambdaWrongCase.s, 0.3), 0);
  EXPECT_EQ(seg->put_value(z1.s, 5.0), 0);
  EXPECT_EQ(errors_.messages(), (std::vector<std::string>{"DRV_E_UNKNOWN_PARAM: Lambda",
                                                          "DRV_E_UNSUPPORTED_PARAM: z1"}));
  EXPECT_EQ(seg->put_value(z0.s, 7.0), S_OK);
  EXPECT_EQ(s->z0(), 7.0);
  // Not finite: refused with a message, the segment unchanged (NaN used to be stored).
  errors_.messages().clear();
  EXPECT_EQ(seg->put_z0(std::nan("")), E_INVALIDARG);
  EXPECT_EQ(seg->put_f0(HUGE_VAL), E_INVALIDARG);
  EXPECT_EQ(seg->put_value(z0.s, -HUGE_VAL), E_INVALIDARG);
  EXPECT_EQ(errors_.messages(), (std::vector<std::string>{"z0 must be a finite number, not nan",
                                                          "f0 must be a finite number, not inf",
                                                          "z0 must be a finite number, not -inf"}));
  EXPECT_EQ(s->z0(), 7.0);
  EXPECT_EQ(s->f0(), 3.0);

  LONG b = -1;
  seg->hasValue(z1.s, &b);
  EXPECT_EQ(b, 1);
  seg->isVarValue(z1.s, &b);
  EXPECT_EQ(b, 0);
  seg->isVarValue(z0.s, &b);
  EXPECT_EQ(b, 1);
  seg->hasValue(lambdaWrongCase.s, &b);
  EXPECT_EQ(b, 0);
  BSTR t = nullptr;
  seg->get_typeName(&t);
  EXPECT_EQ(takeText(t), "Line");
  seg->Release();
}

TEST_F(VelDriveSegTest, EvaluationMembersAgreeWithCore) {
  LineSegment* a = make(0, 0);
  LineSegment* end = make(2, 10);
  a->setNext(end);
  end->setPrev(a);
  a->compile(vsDerived);
  double f[4] = {0, 0, 0, 0}, v = 0, fd = 0, fdd = 0, fddd = 0;
  EXPECT_EQ(a->farr(1.0, f), S_OK);
  EXPECT_DOUBLE_EQ(f[0], 5.0);
  EXPECT_DOUBLE_EQ(f[1], 5.0);
  a->fderiv(0.5, &v, &fd, &fdd, &fddd);
  EXPECT_DOUBLE_EQ(v, 2.5);
  EXPECT_DOUBLE_EQ(fd, 5.0);
  a->f(1.5, &v);
  EXPECT_DOUBLE_EQ(v, 7.5);
  a->fd(1.5, &v);
  EXPECT_DOUBLE_EQ(v, 5.0);
  a->fdd(1.5, &v);
  EXPECT_DOUBLE_EQ(v, 0.0);
  a->get_fdmax(&v);
  EXPECT_DOUBLE_EQ(v, 5.0);

  IVelDriveSeg* n = nullptr;
  EXPECT_EQ(a->get_next(&n), S_OK);
  EXPECT_EQ(n, static_cast<IVelDriveSeg*>(end));
  n->Release();
  EXPECT_EQ(a->get_prev(&n), S_OK);
  EXPECT_EQ(n, nullptr);

  BSTR dump = nullptr;
  a->get__dump(&dump);
  EXPECT_EQ(takeText(dump),
            "Line [compiled]\n  z0 = 0 [wr]\n  z1 = 2 [r]\n  f0 = 0 [wr]\n  f1 = 10 [r]\n");
  a->setNext(nullptr);
  end->setPrev(nullptr);
  a->Release();
  end->Release();
}

TEST_F(VelDriveSegTest, NullOutParametersAreRefusedNotDereferenced) {
  LineSegment* s = make();
  EXPECT_EQ(s->get_z0(nullptr), E_POINTER);
  EXPECT_EQ(s->f(0.0, nullptr), E_POINTER);
  EXPECT_EQ(s->farr(0.0, nullptr), E_POINTER);
  EXPECT_EQ(s->get_next(nullptr), E_POINTER);
  s->Release();
}

}  // namespace
