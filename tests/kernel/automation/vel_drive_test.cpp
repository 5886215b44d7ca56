#include "kernel/automation/vel_drive.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "kernel/automation/vel_drive_seg.h"
#include "kernel/laws/basic_laws.h"
#include "kernel/model/segment_registry.h"
#include "kernel/support/auxcom.h"
#include "tests/kernel/automation/dispatch_helpers.h"
#include "tests/kernel/support/error_capture.h"
#include "tests/kernel/support/trace_capture.h"

namespace {

constexpr double kTol = 1e-12;

int gSegmentsAlive = 0;

// A straight-line segment type of the test: knows its chord slope, compiles at once.
class LineSeg : public VelDriveSeg {
 public:
  LineSeg(double z0, double f0) : VelDriveSeg(z0, f0) { ++gSegmentsAlive; }
  ~LineSeg() override { --gSegmentsAlive; }
  const char* typeName() override { return "Line"; }
  double value(ValueType code) override {
    if (code == vtFd0 || code == vtFd1) {
      return next() && z1() != z0() ? (f1() - f0()) / (z1() - z0()) : 0.0;
    }
    return code == vtFdd0 || code == vtFdd1 ? 0.0 : VelDriveSegImp::value(code);
  }
  bool hasValue(ValueType c) override { return c <= vtFdd1; }
  bool isKnownValue(ValueType c) override { return c >= vtFd0 && c <= vtFdd1; }
  int compile(int) override {
    if (!isCompiled()) setLaw(new kDrvLinear);
    return 0;
  }
};

// Never builds a law.
class StuckSeg : public LineSeg {
 public:
  using LineSeg::LineSeg;
  int compile(int) override { return 1; }
};

class VelDriveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gSegmentsAlive = 0;
    startObjects_ = velModule().objectCount.load();
    setenv("KINETRA_DBWIN_PREFIX", ("vel_drive_test_" + std::to_string(getpid())).c_str(), 1);
    drive_ = new VelDrive("Hub");
    drive_->AddRef();
  }
  void TearDown() override {
    if (drive_) {
      EXPECT_EQ(drive_->Release(), 0u);
    }
    EXPECT_EQ(gSegmentsAlive, 0) << "a segment was not released";
    EXPECT_EQ(velModule().objectCount.load(), startObjects_) << "an object was leaked";
  }
  // A new segment added to the drive; the test keeps no reference of its own.
  template <class Seg = LineSeg>
  Seg* addNew(double z0, double f0) {
    auto* s = new Seg(z0, f0);
    s->AddRef();
    EXPECT_EQ(drive_->add(s), S_FALSE);
    s->Release();
    return s;
  }
  // Lines through (0, 0), (2, 10), (4, 14), compiled.
  void twoLines() {
    addNew(0, 0);
    addNew(2, 10);
    addNew(4, 14);
    LONG res = -1;
    EXPECT_EQ(drive_->compile(&res), S_OK);
    EXPECT_EQ(res, 0);
  }
  template <class Fn>
  static std::string traced(Fn fn) {
    return TraceCapture::during(fn);
  }

  VelDrive* drive_ = nullptr;
  IVelDrive* ifc() { return drive_; }
  ErrorCapture errors_;

 private:
  long startObjects_ = 0;
};

TEST_F(VelDriveTest, DriveHoldsOneReferencePerSegmentAndGivesThemBackWhenItGoes) {
  auto* a = new LineSeg(0, 0);
  auto* b = new LineSeg(1, 1);
  a->AddRef();
  b->AddRef();
  drive_->add(a);
  drive_->add(b);
  EXPECT_EQ(refCount(a), 2u);
  IVelDriveSeg* head = nullptr;
  EXPECT_EQ(ifc()->get_head(&head), S_OK);
  EXPECT_EQ(head, static_cast<IVelDriveSeg*>(a));
  EXPECT_EQ(refCount(a), 3u);
  head->Release();
  EXPECT_EQ(ifc()->remove(b), S_FALSE);
  EXPECT_EQ(refCount(b), 1u);
  EXPECT_EQ(b->prev(), nullptr);
  drive_->add(b);
  EXPECT_EQ(drive_->Release(), 0u);
  drive_ = nullptr;
  // The drive gave its references back and left no links behind.
  EXPECT_EQ(refCount(a), 1u);
  EXPECT_EQ(refCount(b), 1u);
  EXPECT_EQ(a->next(), nullptr);
  EXPECT_EQ(b->prev(), nullptr);
  EXPECT_EQ(a->Release(), 0u);
  EXPECT_EQ(b->Release(), 0u);
}

TEST_F(VelDriveTest, AddAndRemoveAlwaysAnswerSFalseAndReportWhatTheyRefuse) {
  auto* a = addNew(0, 0);
  EXPECT_EQ(drive_->add(nullptr), S_FALSE);
  EXPECT_EQ(ifc()->remove(nullptr), S_FALSE);
  EXPECT_TRUE(errors_.messages().empty());  // null arguments are skipped
  EXPECT_EQ(drive_->add(a), S_FALSE);       // already linked
  VelDrive* other = new VelDrive;
  other->AddRef();
  EXPECT_EQ(drive_->add(other), S_FALSE);  // a drive is no segment of a drive
  EXPECT_EQ(static_cast<IVelDrive*>(other)->remove(a), S_FALSE);
  EXPECT_EQ(errors_.messages(),
            (std::vector<std::string>{"Attempt to insert invalid drive segment.",
                                      "Attempt to insert invalid drive segment.",
                                      "segment is no member of drive."}));
  EXPECT_EQ(refCount(a), 1u);
  other->Release();
}

TEST_F(VelDriveTest, HeadOfEmptyDriveIsSFalseWithNothing) {
  IVelDriveSeg* head = reinterpret_cast<IVelDriveSeg*>(1);
  EXPECT_EQ(ifc()->get_head(&head), S_FALSE);
  EXPECT_EQ(head, nullptr);
  LONG res = -1;
  EXPECT_EQ(ifc()->compile(&res), S_OK);
  EXPECT_EQ(res, 0);
  double v = 0;
  ifc()->get_fmin(&v);
  EXPECT_EQ(v, 1.7976931348623157e+308);
  ifc()->get_fmax(&v);
  EXPECT_EQ(v, -1.7976931348623157e+308);
  EXPECT_EQ(ifc()->f(0.0, &v), S_OK);
  EXPECT_EQ(v, 0.0);
}

TEST_F(VelDriveTest, CompileWritesUnsolvedCountAndFailsWhileAnyIsLeft) {
  addNew(0, 0);
  addNew<StuckSeg>(1, 1);
  addNew(2, 2);
  LONG res = -1;
  EXPECT_EQ(ifc()->compile(&res), E_FAIL);
  EXPECT_EQ(res, 1);
  EXPECT_EQ(ifc()->compile(nullptr), E_POINTER);
  EXPECT_EQ(ifc()->decompile(), S_OK);
  EXPECT_FALSE(drive_->isCompiled());
  EXPECT_EQ(ifc()->clear(), S_OK);
  EXPECT_EQ(gSegmentsAlive, 0);
  EXPECT_EQ(ifc()->compile(&res), S_OK);
}

TEST_F(VelDriveTest, NameAndPeriodicRoundTrip) {
  Ref<IVelDrive> unnamed;
  ASSERT_EQ(createVelDrive()->QueryInterface(IID_IVelDrive, unnamed.out()), S_OK);
  BSTR n = nullptr;
  unnamed->get_name(&n);
  EXPECT_EQ(takeText(n), "");
  ifc()->get_name(&n);
  EXPECT_EQ(takeText(n), "Hub");
  TestBstr umlaut("Hubw\xC3\xBCrfel");
  EXPECT_EQ(ifc()->put_name(umlaut.s), S_OK);
  ifc()->get_name(&n);
  EXPECT_EQ(takeText(n), "Hubw\xC3\xBCrfel");
  const std::string longName(300, 'x');
  TestBstr tooLong(longName.c_str());
  ifc()->put_name(tooLong.s);
  EXPECT_EQ(std::string(drive_->name()), std::string(127, 'x'));  // the 128-byte buffer
  ifc()->put_name(nullptr);
  EXPECT_STREQ(drive_->name(), "");

  LONG p = -1;
  EXPECT_EQ(ifc()->get_periodic(&p), S_OK);
  EXPECT_EQ(p, 0);
  twoLines();
  EXPECT_EQ(ifc()->put_periodic(1), S_OK);
  ifc()->get_periodic(&p);
  EXPECT_EQ(p, 1);
  EXPECT_FALSE(drive_->isCompiled());
}

TEST_F(VelDriveTest, SegmentMembersAnswerForTheWholeDrive) {
  twoLines();
  double v = -1;
  EXPECT_EQ(ifc()->get_z1(&v), S_OK);
  EXPECT_EQ(v, 4.0);
  ifc()->get_f1(&v);
  EXPECT_EQ(v, 14.0);
  ifc()->get_fd0(&v);
  EXPECT_EQ(v, 5.0);
  ifc()->get_fdmin(&v);
  EXPECT_NEAR(v, 0.0, kTol);  // the end segment's slope counts too
  ifc()->get_fdmax(&v);
  EXPECT_NEAR(v, 5.0, kTol);
  EXPECT_EQ(ifc()->put_z0(3.0), S_FALSE);
  EXPECT_EQ(ifc()->put_f0(3.0), S_FALSE);
  ifc()->get_z0(&v);
  EXPECT_EQ(v, 0.0);

  TestBstr z1("z1"), lambda("Lambda"), fdd1("fdd1"), c("c");
  EXPECT_EQ(ifc()->get_value(z1.s, &v), S_FALSE);
  EXPECT_EQ(v, 4.0);
  EXPECT_EQ(ifc()->get_value(lambda.s, &v), S_FALSE);
  EXPECT_EQ(v, 0.0);
  EXPECT_TRUE(errors_.messages().empty());
  EXPECT_EQ(ifc()->put_value(lambda.s, 1.0), S_OK);
  EXPECT_EQ(ifc()->put_value(z1.s, 1.0), S_OK);
  EXPECT_EQ(errors_.messages(), (std::vector<std::string>{"DRV_E_UNKNOWN_PARAM: Lambda",
                                                          "DRV_E_UNSUPPORTED_PARAM: z1"}));
  LONG b = -1;
  EXPECT_EQ(ifc()->hasValue(fdd1.s, &b), S_OK);
  EXPECT_EQ(b, 1);
  ifc()->hasValue(c.s, &b);
  EXPECT_EQ(b, 0);
  ifc()->isVarValue(z1.s, &b);
  EXPECT_EQ(b, 0);

  // A drive has no neighbours and cannot be cloned.
  for (auto get : {&IVelDrive::get_next, &IVelDrive::get_prev, &IVelDrive::get_clone}) {
    IVelDriveSeg* s = reinterpret_cast<IVelDriveSeg*>(1);
    EXPECT_EQ((ifc()->*get)(&s), S_OK);
    EXPECT_EQ(s, nullptr);
  }
  BSTR t = nullptr;
  EXPECT_EQ(ifc()->get_typeName(&t), S_OK);
  EXPECT_EQ(takeText(t), "Drive");
  EXPECT_EQ(ifc()->htmlTable(&t), S_OK);
  const std::string table = takeText(t);
  EXPECT_EQ(table.rfind("<table border>\n", 0), 0u);
  EXPECT_NE(table.find("<td align='center' style=\"color:'red'\">"), std::string::npos);
}

TEST_F(VelDriveTest, DumpListsTheDrivesEightValuesReadOnly) {
  twoLines();
  BSTR d = nullptr;
  EXPECT_EQ(ifc()->get__dump(&d), S_OK);
  EXPECT_EQ(takeText(d),
            "Drive [compiled]\n"
            "  z0 = 0 [r]\n"
            "  z1 = 4 [r]\n"
            "  f0 = 0 [r]\n"
            "  f1 = 14 [r]\n"
            "  fd0 = 5 [r]\n"
            "  fd1 = 0 [r]\n"
            "  fdd0 = 0 [r]\n"
            "  fdd1 = 0 [r]\n");
  ifc()->decompile();
  ifc()->get__dump(&d);
  EXPECT_EQ(takeText(d).substr(0, 23), "Drive [not compiled]\n  ");
}

TEST_F(VelDriveTest, EvaluationMembersAgreeAndFollowChangesOfASegment) {
  twoLines();
  double f = 0, fd = 0, fdd = 0, fddd = 0, v = 0;
  EXPECT_EQ(ifc()->fderiv(1.0, &f, &fd, &fdd, &fddd), S_OK);
  EXPECT_NEAR(f, 5.0, kTol);
  EXPECT_NEAR(fd, 5.0, kTol);
  double arr[4] = {9, 9, 9, 9};
  EXPECT_EQ(ifc()->farr(2.0, arr), S_OK);
  EXPECT_NEAR(arr[0], 10.0, kTol);
  EXPECT_NEAR(arr[1], 5.0, kTol);  // the earlier segment at the joint
  EXPECT_EQ(arr[2], 0.0);
  EXPECT_EQ(arr[3], 0.0);
  ifc()->farr(4.001, arr);
  EXPECT_EQ(arr[0], 0.0);
  // The desktop program asks for each value separately at one z.
  ifc()->f(3.0, &v);
  EXPECT_NEAR(v, 12.0, kTol);
  ifc()->fd(3.0, &v);
  EXPECT_NEAR(v, 2.0, kTol);
  ifc()->fdd(3.0, &v);
  EXPECT_EQ(v, 0.0);
  // A client changes a segment between two calls at the same z.
  IVelDriveSeg* head = nullptr;
  ifc()->get_head(&head);
  IVelDriveSeg* second = nullptr;
  head->get_next(&second);
  EXPECT_EQ(second->put_f0(20.0), S_OK);
  ifc()->f(3.0, &v);
  EXPECT_NEAR(v, 17.0, kTol);  // 20 + (14 − 20)·(3 − 2)/2
  TestBstr z0("z0");
  EXPECT_EQ(second->put_value(z0.s, 1.0), S_OK);
  ifc()->f(3.0, &v);
  EXPECT_NEAR(v, 16.0, kTol);  // now from z0 = 1: 20 + (14 − 20)·(3 − 1)/3
  second->Release();
  head->Release();
  EXPECT_EQ(ifc()->f(1.0, nullptr), E_POINTER);
  EXPECT_EQ(ifc()->farr(1.0, nullptr), E_POINTER);
}

// ---- with the kernel's own segment types

TEST_F(VelDriveTest, SegmentFormatAddsKnownTypesAndReportsBadInput) {
  TestBstr linear("\"Linear\", 0, 0");
  EXPECT_EQ(ifc()->put_segment(linear.s), S_OK);
  IVelDriveSeg* head = nullptr;
  ASSERT_EQ(ifc()->get_head(&head), S_OK);
  BSTR t = nullptr;
  head->get_typeName(&t);
  EXPECT_EQ(takeText(t), "Linear");
  head->Release();

  TestBstr unquoted("Linear, 1, 0");
  EXPECT_EQ(ifc()->put_segment(unquoted.s), S_OK);
  EXPECT_EQ(errors_.messages(),
            (std::vector<std::string>{"String opening \" or ' expected, 'Linear' found.\n"}));
  TestBstr unknownType("\"linear\", 1, 0");
  EXPECT_EQ(ifc()->put_segment(unknownType.s), S_OK);
  TestBstr badPair("\"Linear\", 2, 0, \"Lambda\", 1");
  EXPECT_EQ(ifc()->put_segment(badPair.s), E_INVALIDARG);
  TestBstr modSine("\"ModSine\", 3, 1, \"fd1\", 0.5");
  EXPECT_EQ(ifc()->put_segment(modSine.s), S_OK);
  TestBstr sine("\"Sine\", 4, 0, \"fd1\", 0.5");
  EXPECT_EQ(ifc()->put_segment(sine.s), E_INVALIDARG);
  EXPECT_EQ(ifc()->put_segment(nullptr), S_OK);
  // Linear 0, Linear 2, ModSine 3, Sine 4: what was refused stays out, the rest stays in.
  std::vector<double> z0;
  for (IVelDriveSegImp* s = drive_->head(); s; s = s->next()) z0.push_back(s->z0());
  EXPECT_EQ(z0, (std::vector<double>{0, 2, 3, 4}));
  TestBstr fd1("fd1");
  double v = 0;
  VelDriveSeg::fromCore(drive_->head()->next()->next())->get_value(fd1.s, &v);
  EXPECT_EQ(v, 0.5);
}

TEST_F(VelDriveTest, PeriodicLinearModSineDriveHandsSlopesAcrossTheJoint) {
  for (LONG periodic : {0, 1}) {
    ifc()->clear();
    ifc()->put_periodic(periodic);
    for (const char* s : {"\"Linear\", 0, 0", "\"ModSine\", 1, 0.5", "\"Linear\", 2, 0"}) {
      TestBstr b(s);
      ifc()->put_segment(b.s);
    }
    LONG res = -1;
    HRESULT hr = S_OK;
    const std::string trace = traced([&] { hr = ifc()->compile(&res); });
    const std::string forward = "Linear.fd1(0.5) -> ModSine.fd0(0.5)\n";
    if (periodic) {
      EXPECT_EQ(hr, S_OK);
      EXPECT_EQ(res, 0);
      // Every pass that starts with the ModSine uncompiled hands both slopes again.
      const std::string pass = forward + "ModSine.fd1(0.5) <- Linear.fd0(0.5)\n";
      EXPECT_EQ(trace, pass + pass);
      double v = 0;
      ifc()->fd(1.0, &v);
      EXPECT_NEAR(v, 0.5, 1e-9);
      ifc()->fd(2.0, &v);
      EXPECT_NEAR(v, 0.5, 1e-9);
    } else {
      EXPECT_EQ(hr, E_FAIL);
      EXPECT_EQ(res, 1);
      EXPECT_EQ(trace, forward + forward + forward);
    }
  }
}

}  // namespace
