#include "kernel/model/segment_registry.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "kernel/model/segment_types.h"
#include "kernel/model/value_names.h"
#include "platform/com/com_ptr.h"
#include "tests/kernel/model/segment_test_support.h"

namespace {

using SegmentRegistry = SegmentTypeTest;

TEST_F(SegmentRegistry, NineNamesWithLinearQuadParabAndSineInTheirPlaces) {
  ASSERT_EQ(segmentTypeCount(), 9);
  EXPECT_STREQ(segmentTypeName(0), "Linear");
  EXPECT_STREQ(segmentTypeName(1), "QuadParab");
  EXPECT_STREQ(segmentTypeName(4), "Sine");
  const std::set<std::string> want = {"Linear",  "QuadParab", "InclSine",  "Sine",    "SineLinear",
                                      "ModSine", "Poly5",     "ModTrapez", "HarmComb"};
  std::set<std::string> got;
  for (int i = 0; i < segmentTypeCount(); ++i) got.insert(segmentTypeName(i));
  EXPECT_EQ(got, want);
  EXPECT_EQ(segmentTypeName(-1), nullptr);
  EXPECT_EQ(segmentTypeName(9), nullptr);
}

// The names hasValue accepts, in the order of the name table.
std::string reportedValues(VelDriveSeg& s) {
  std::string names;
  for (int code = vtZ0; code <= vtCaEqCaStar; code <<= 1)
    if (s.hasValue(static_cast<ValueType>(code)))
      names += std::string(names.empty() ? "" : " ") + valueTypeName(code);
  return names;
}

TEST_F(SegmentRegistry, EveryTypeReportsItsOwnValues) {
  const std::string common = "z0 z1 f0 f1 fd0 fd1 fdd0 fdd1";
  const std::string all = " lambda Ca Ca* Cv Cj Cj* Cmdyn Cmdyn*";
  const std::map<std::string, std::string> own = {
      {"Linear", ""},
      {"QuadParab", ""},
      {"InclSine", " Ca Cv Cj Cmdyn"},  // the starred ones and lambda only once lambda is set
      {"Sine", all},
      {"SineLinear", " lambda c Ca Ca* Cv Cj Cj* Cmdyn Cmdyn*"},
      {"ModSine", " lambda Ca Ca* Cv"},
      {"Poly5", " lambda"},  // while its ends are symmetric
      {"ModTrapez", all},
      {"HarmComb", " lambda Ca Ca* Cv"}};
  SegChain c;
  for (const auto& [name, values] : own)
    EXPECT_EQ(reportedValues(*c.adopt(createSegment(name.c_str()), 0, 0)), common + values) << name;
  VelDriveSeg* incl = c.adopt(createSegment("InclSine"), 0, 0);
  incl->setValue(vtLambda, vsExplicit, 0.3);
  EXPECT_EQ(reportedValues(*incl), common + all);
}

// Every registered type, made as the server makes it, with nothing set.
class EveryType : public SegmentTypeTest, public ::testing::WithParamInterface<int> {};

TEST_P(EveryType, NamesItselfAndCompilesWithoutValuesRisingAndFalling) {
  const char* name = segmentTypeName(GetParam());
  for (double f1 : {10.0, -4.0}) {
    SegChain c;
    VelDriveSeg* s = c.adopt(createSegment(name), 1.0, 2.0);
    c.adopt(createSegment("Linear"), 3.5, f1);
    EXPECT_STREQ(s->typeName(), name);
    EXPECT_FALSE(s->isCompiled());
    EXPECT_EQ(s->compile(vsDerived), 0) << name;
    expectJoinsEndPoints(*s);
    for (ValueType t : {vtFd0, vtFd1, vtFdd0, vtFdd1}) EXPECT_TRUE(s->hasValue(t)) << name;
    // A compiled segment keeps its law; values and law survive a decompile.
    const kBaseDrive* law = s->law();
    EXPECT_EQ(s->compile(vsDerived), 0);
    EXPECT_EQ(s->law(), law);
    const std::vector<double> first = sampleCurve(*s);
    s->decompile();
    EXPECT_FALSE(s->isCompiled());
    EXPECT_EQ(s->compile(vsDerived), 0);
    EXPECT_EQ(sampleCurve(*s), first) << name;
    // Start values come from the client alone.
    EXPECT_TRUE(s->isVarValue(vtZ0, vsExplicit));
    EXPECT_FALSE(s->isVarValue(vtZ1, vsExplicit));
    EXPECT_FALSE(s->isVarValue(vtF0, vsDerived));
  }
}

INSTANTIATE_TEST_SUITE_P(Registry, EveryType, ::testing::Range(0, 9),
                         [](const ::testing::TestParamInfo<int>& i) {
                           return std::string(segmentTypeName(i.param));
                         });

}  // namespace
