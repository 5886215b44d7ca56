#include "kernel/automation/vel_drive_seg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/laws/basic_laws.h"
#include "kernel/support/auxcom.h"

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

std::vector<std::string> gMessages;
int captureMessage(const char* text) {
  gMessages.push_back(text);
  return 0;
}

class VelDriveSegTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gMessages.clear();
    previousHook_ = setErrorHook(captureMessage);
    startCount_ = velModule().objectCount.load();
  }
  void TearDown() override {
    setErrorHook(previousHook_);
    EXPECT_EQ(velModule().objectCount.load(), startCount_) << "an object was leaked";
  }
  // A new segment with the caller's reference.
  static LineSegment* make(double z0 = 0, double f0 = 0) {
    auto* s = new LineSegment(z0, f0);
    s->AddRef();
    return s;
  }

 private:
  ErrorHook previousHook_ = nullptr;
  long startCount_ = 0;
};

struct Bstr {
  explicit Bstr(const char* text) : s(textToBstr(text)) {}
  ~Bstr() { SysFreeString(s); }
  BSTR s;
};

std::string text(BSTR s) {
  char* t = bstrToNewText(s);
  std::string r = t ? t : "";
  delete[] t;
  SysFreeString(s);
  return r;
}

TEST_F(VelDriveSegTest, QueryInterfaceAnswersExactlyTheSegmentInterfaces) {
  LineSegment* s = make();
  for (const IID* iid : {&IID_IUnknown, &IID_IDispatch, &IID_IDispatchEx, &IID_ISupportErrorInfo,
                         &IID_IPersist, &IID_IPersistPropertyBag2, &IID_IVelDriveSeg}) {
    void* p = nullptr;
    EXPECT_EQ(s->QueryInterface(*iid, &p), S_OK) << guidToString(*iid);
    ASSERT_NE(p, nullptr);
    static_cast<IUnknown*>(p)->Release();
  }
  for (const IID* iid : {&IID_IVelDrive, &IID_IVelDriveServer, &IID_IClassFactory, &IID_IVelBase}) {
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(s->QueryInterface(*iid, &p), E_NOINTERFACE) << guidToString(*iid);
    EXPECT_EQ(p, nullptr);
  }
  // Every interface reaches the one object and its one reference count.
  IPersistPropertyBag2* persist = nullptr;
  s->QueryInterface(IID_IPersistPropertyBag2, reinterpret_cast<void**>(&persist));
  EXPECT_EQ(persist->AddRef(), 3u);
  persist->Release();
  CLSID id = IID_IVelDrive;
  EXPECT_EQ(persist->GetClassID(&id), S_OK);
  EXPECT_EQ(id, CLSID_NULL);
  EXPECT_EQ(persist->IsDirty(), S_FALSE);
  persist->Release();
  EXPECT_EQ(s->InterfaceSupportsErrorInfo(IID_IVelDriveSeg), S_OK);
  EXPECT_EQ(s->InterfaceSupportsErrorInfo(IID_IVelDrive), S_FALSE);
  EXPECT_EQ(s->Release(), 0u);
}

TEST_F(VelDriveSegTest, StartValuesAndValueNamesThroughInterface) {
  LineSegment* s = make();
  IVelDriveSeg* seg = s;
  EXPECT_EQ(seg->put_z0(2.0), S_OK);
  EXPECT_EQ(seg->put_f0(3.0), S_OK);
  double d = 0;
  seg->get_z1(&d);
  EXPECT_EQ(d, 2.0);  // no successor: ends where it starts
  Bstr z0("z0"), lambdaWrongCase("Lambda"), z1("z1");
  EXPECT_EQ(seg->get_value(z0.s, &d), S_FALSE);
  EXPECT_EQ(d, 2.0);
  EXPECT_EQ(seg->get_value(lambdaWrongCase.s, &d), S_FALSE);
  EXPECT_EQ(d, 0.0);
  EXPECT_TRUE(gMessages.empty());

  EXPECT_EQ(seg->put_value(lambdaWrongCase.s, 0.3), 0);
  EXPECT_EQ(seg->put_value(z1.s, 5.0), 0);
  ASSERT_EQ(gMessages.size(), 2u);
  EXPECT_EQ(gMessages[0], "DRV_E_UNKNOWN_PARAM: Lambda");
  EXPECT_EQ(gMessages[1], "DRV_E_UNSUPPORTED_PARAM: z1");
  EXPECT_EQ(seg->put_value(z0.s, 7.0), S_OK);
  EXPECT_EQ(s->z0(), 7.0);

  LONG b = -1;
  seg->hasValue(z1.s, &b);
  EXPECT_EQ(b, 1);
  seg->isVarValue(z1.s, &b);
  EXPECT_EQ(b, 0);
  seg->isVarValue(z0.s, &b);
  EXPECT_EQ(b, 1);
  seg->hasValue(lambdaWrongCase.s, &b);
  EXPECT_EQ(b, 0);
  EXPECT_EQ(text([&] { BSTR t = nullptr; seg->get_typeName(&t); return t; }()), "Line");
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
  EXPECT_EQ(text(dump),
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
  EXPECT_EQ(s->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  s->Release();
}

}  // namespace
