#include "kernel/laws/derived_laws.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "kernel/laws/basic_laws.h"
#include "kernel/laws/harm_comb.h"
#include "kernel/laws/incl_sine.h"
#include "kernel/laws/mod_trapez.h"
#include "kernel/laws/poly5.h"
#include "tests/kernel/laws/law_checks.h"

namespace lawchecks {
namespace {

constexpr double kEps = 2.220446049250313e-16;

// A law that records what reaches it: the last setValue call, a fixed answer per value code,
// a configurable setter result, and its own destruction.
class RecordingLaw : public kBaseDrive {
 public:
  explicit RecordingLaw(int* destroyed = nullptr) : destroyed_(destroyed) {}
  ~RecordingLaw() override {
    if (destroyed_) ++*destroyed_;
  }
  double value(ValueType code) override {
    constexpr std::pair<ValueType, double> kAnswers[] = {
        {vtFd0, 11.0},     {vtFd1, 13.0}, {vtFdd0, 17.0}, {vtFdd1, 19.0}, {vtCa, 2.0},
        {vtCaStar, -23.0}, {vtCv, 7.0},   {vtCj, 3.0},    {vtCmdyn, 5.0}};
    for (auto [c, v] : kAnswers)
      if (c == code) return v;
    return 0.0;
  }
  int setValue(ValueType code, double v) override {
    lastCode = code;
    lastValue = v;
    return result;
  }
  ValueType lastCode = vtNone;
  double lastValue = 0.0;
  int result = 1234;

 private:
  int* destroyed_;
};

// A wrapped law: its factory and what it promises.
struct Inner {
  std::string name;
  Factory make;
  std::vector<double> joints{};
  int smooth = 2;
  bool sampled = false;   // reports the base's sampled derivative extremes
  bool caIsPeak = false;  // Ca and Cv are its f'' and f' peaks
};

Factory harmComb(double fd0, double l) {
  return factory<kDrvHarmComb>({{vtLambda, l}, {vtFd0, fd0}});
}
Factory poly5(double fd0, double fdd0, double fd1, double fdd1) {
  return factory<kDrvPoly5>({{vtFd0, fd0}, {vtFdd0, fdd0}, {vtFd1, fd1}, {vtFdd1, fdd1}});
}

const Inner kLinear{"Linear", factory<kDrvLinear>()};
const Inner kQuadParab{"QuadParab", factory<kDrvQuadParab>(), {0.5}, 1};
const Inner kInclSine{"InclSine", factory<kDrvInclSine>(), {}, 2, false, true};
const Inner kModTrapezRR{
    "ModTrapezRR", factory<kDrvModTrapezRR>(), {0.125, 0.375, 0.5, 0.625, 0.875}, 2, false, true};

std::vector<Inner> mirrorInners() {
  return {kLinear,
          kQuadParab,
          kInclSine,
          kModTrapezRR,
          {"HarmComb", harmComb(0.0, 0.5), {0.125, 0.5}, 2, true},
          {"HarmCombFd0Lambda", harmComb(0.4, 0.3), {0.075, 0.3}, 2, true},
          {"HarmCombNegativeFd0", harmComb(-1.0, 0.2), {0.05, 0.2}, 2, true},
          {"Poly5Asymmetric", poly5(0.3, 1.0, 0.5, -0.5), {}, 2, true}};
}

// Point-symmetric laws, which kDrvLambda is meant for.
std::vector<Inner> symmetricInners() {
  return {kLinear,
          kQuadParab,
          kInclSine,
          kModTrapezRR,
          {"Poly5RestToRest", poly5(0, 0, 0, 0), {}, 2, true},
          {"Poly5EqualSlopes", poly5(0.2, 0, 0.2, 0), {}, 2, true},
          {"Poly5OppositeCurvatures", poly5(0, 1, 0, -1), {}, 2, true}};
}

std::vector<LawCase> rows() {
  std::vector<LawCase> v;
  for (const Inner& in : mirrorInners()) {
    LawCase c{"Inverse(" + in.name + ")",
              [make = in.make] { return std::make_unique<kDrvInverse>(make()); }};
    for (double j : in.joints) c.joints.push_back(1.0 - j);
    c.ignoresOthers = false;  // the wrappers pass codes on
    c.smooth = in.smooth;
    c.extremeTol = 1e-3;  // ModTrapezRR reports rounded figures
    if (in.name.rfind("Poly5", 0) == 0) c.extremes[0] = Extreme::kUnchecked;
    if (in.sampled) c.derivatives(Extreme::kSampled);
    v.push_back(c);
  }
  std::vector<double> lambdas = {0.5, 0.25, 0.75, 0.1};
  std::mt19937 rng(7311);
  std::uniform_real_distribution<double> lambda(0.05, 0.95);
  for (int i = 0; i < 3; ++i) lambdas.push_back(lambda(rng));
  for (const Inner& in : symmetricInners()) {
    for (double l : lambdas) {
      LawCase c{label("Lambda", in.name, l), [make = in.make, l] {
                  auto law = std::make_unique<kDrvLambda>(make());
                  EXPECT_EQ(law->setValue(vtLambda, l), kLawOk);
                  return law;
                }};
      // Each half of the wrapped law is stretched onto [0, λ] or [λ, 1].
      c.joints = {l};
      for (double j : in.joints)
        if (j != 0.5) c.joints.push_back(j < 0.5 ? 2 * l * j : l + (j - 0.5) * 2 * (1 - l));
      c.smooth = in.smooth;
      c.extremeTol = 1e-3;
      c.ignoresOthers = false;
      if (in.sampled) c.derivatives(Extreme::kWithin);
      c.peaks = {{vtLambda, 0, Peak::kAt, l}};  // f(λ) = λ
      // Ca is the peak before λ, Ca* the peak deceleration after it, positive.
      if (in.caIsPeak)
        c.peaks.insert(c.peaks.end(), {{vtCa, 2, Peak::kMax, 0.0, l, 1e-3},
                                       {vtCaStar, 2, Peak::kMin, l, 1.0, 1e-3, -1.0},
                                       {vtCv, 1, Peak::kMax, 0.0, 1.0, 1e-3}});
      v.push_back(c);
    }
  }
  return v;
}

// Fault mended (Lambda rows): fddmax was divided by max(λ, 1 − λ) and fdddmax by
// max(λ², (1 − λ)²), so for λ ≠ 0.5 they reported less than the curve reaches; and the end
// curvatures were the wrapped law's, unscaled, unlike the curve.
INSTANTIATE_TEST_SUITE_P(DerivedLaws, LawProperties, testing::ValuesIn(rows()));

TEST(Inverse, IsThePointMirrorOfTheWrappedLaw) {
  for (const Inner& in : mirrorInners()) {
    SCOPED_TRACE(in.name);
    kDrvInverse law(in.make());
    auto f = in.make();
    for (int i = 0; i <= 200; ++i) {
      const double z = i / 200.0;
      const FArr g = at(law, z), w = at(*f, 1.0 - z);
      EXPECT_NEAR(1.0 - g[0], w[0], 1e-12) << z;
      EXPECT_EQ(g[1], w[1]) << z;
      EXPECT_EQ(-g[2], w[2]) << z;
      EXPECT_EQ(g[3], w[3]) << z;
    }
  }
}

TEST(Inverse, SetterAndValueReachTheMirroredCode) {
  const struct {
    ValueType code, innerCode;
    double sign;  // the wrapped law sees sign·v and answers sign·value
  } forwards[] = {{vtFd0, vtFd1, 1},       {vtFd1, vtFd0, 1},
                  {vtFdd0, vtFdd1, -1},    {vtFdd1, vtFdd0, -1},
                  {vtCa, vtCa, -1},        {vtCaStar, vtCaStar, -1},
                  {vtLambda, vtLambda, 1}, {vtCv, vtCv, 1},
                  {vtCj, vtCj, 1},         {vtCaEqCaStar, vtCaEqCaStar, 1}};
  for (const auto& c : forwards) {
    auto owned = std::make_unique<RecordingLaw>();
    RecordingLaw* inner = owned.get();
    kDrvInverse law(std::move(owned));
    EXPECT_EQ(law.setValue(c.code, 3.0), 1234) << "the wrapped law's result is passed back";
    EXPECT_EQ(inner->lastCode, c.innerCode) << c.code;
    EXPECT_EQ(inner->lastValue, c.sign * 3.0) << c.code;
    EXPECT_EQ(law.value(c.code), c.sign * inner->value(c.innerCode)) << c.code;
  }
}

// RecordingLaw: Ca 2, Cj 3, Cmdyn 5, Cv 7, fd0 11, fdd0 17, fdd1 19; λ = 0.25 stretches the
// first half by 0.5 and the second by 1.5.
TEST(Lambda, CharacteristicValuesScaleWithTheirHalf) {
  kDrvLambda law(std::make_unique<RecordingLaw>());
  ASSERT_EQ(law.setValue(vtLambda, 0.25), 0);
  const std::pair<ValueType, double> expected[] = {
      {vtCa, 4.0},     {vtCaStar, 4.0 / 3},     {vtCj, 12.0},    {vtCjStar, 4.0 / 3},
      {vtCmdyn, 10.0}, {vtCmdynStar, 10.0 / 3}, {vtCv, 7.0},     {vtFd0, 11.0},
      {vtFdd0, 34.0},  {vtFdd1, 19.0 / 1.5},    {vtLambda, 0.25}};
  for (auto [code, v] : expected) EXPECT_DOUBLE_EQ(law.value(code), v) << code;
}

TEST(Lambda, SettersOtherThanLambdaReachTheWrappedLaw) {
  auto owned = std::make_unique<RecordingLaw>();
  RecordingLaw* inner = owned.get();
  kDrvLambda law(std::move(owned));
  for (ValueType code : {vtFd0, vtFd1, vtFdd0, vtFdd1, vtCa, vtCaStar, vtC, vtCaEqCaStar}) {
    inner->result = 1010 + code;
    EXPECT_EQ(law.setValue(code, -2.5), 1010 + code) << code;
    EXPECT_EQ(inner->lastCode, code);
    EXPECT_EQ(inner->lastValue, -2.5);
  }
  inner->lastCode = vtNone;
  EXPECT_EQ(law.setValue(vtLambda, 0.3), 0);
  EXPECT_EQ(inner->lastCode, vtNone) << "lambda belongs to the wrapper";
}

SetterCase lambdaCase(const char* name, double v, int result, double stored, bool evaluates) {
  return {name,     [] { return std::make_unique<kDrvLambda>(std::make_unique<kDrvInclSine>()); },
          vtLambda, v,
          result,   valueOf(vtLambda),
          stored,   evaluates};
}

// Stored as given inside [0, 1], moved just inside beyond it; a lambda within 2ε of 0 or 1
// leaves the output alone.
INSTANTIATE_TEST_SUITE_P(
    Lambda, LawSetter,
    testing::Values(
        lambdaCase("InsideIsStored", 0.3, 0, 0.3, true),
        lambdaCase("AboveOneMovesJustBelowOne", 1.2, 0, 1.0 - kEps, false),
        lambdaCase("BelowZeroMovesJustAboveZero", -0.5, 0, kEps, false),
        lambdaCase("ZeroIsStored", 0.0, 0, 0.0, false),
        lambdaCase("TwoEpsilonBelowOneIsDegenerate", 1.0 - 2 * kEps, 0, 1.0 - 2 * kEps, false),
        lambdaCase("FourEpsilonBelowOneEvaluates", 1.0 - 4 * kEps, 0, 1.0 - 4 * kEps, true),
        // Fault mended: NaN was neither stored nor reported (result 0).
        lambdaCase("NaNIsRefused", std::numeric_limits<double>::quiet_NaN(), kLawLambdaRefused, 0.5,
                   true)),
    setterName);

TEST(Wrappers, WithoutInnerAnswerFallbacks) {
  kDrvInverse inverse(nullptr);
  kDrvLambda lambda(nullptr);
  for (kBaseDrive* law : std::initializer_list<kBaseDrive*>{&inverse, &lambda}) {
    FArr out{9.0, 8.0, 7.0, 6.0};
    EXPECT_EQ(law->farr(0.3, out), (FArr{9.0, 8.0, 7.0, 6.0}));
    EXPECT_EQ(law->setValue(vtFd0, 2.0), 0);
    EXPECT_EQ(law->value(vtFd0), 0.0);
  }
  EXPECT_EQ(inverse.fdddmax(), 1.0);
  EXPECT_EQ(lambda.fdddmax(), 0.0);
  EXPECT_EQ(lambda.setValue(vtLambda, 0.3), 0);
  EXPECT_EQ(lambda.value(vtLambda), 0.3);
}

TEST(Wrappers, DestroyTheWrappedLawExactlyOnce) {
  int destroyed = 0;
  { kDrvInverse law(new RecordingLaw(&destroyed)); }
  EXPECT_EQ(destroyed, 1);
  {
    std::unique_ptr<kBaseDrive> nested =
        std::make_unique<kDrvLambda>(new kDrvInverse(new RecordingLaw(&destroyed)));
    EXPECT_EQ(destroyed, 1);
  }
  EXPECT_EQ(destroyed, 2);
}

}  // namespace
}  // namespace lawchecks
