#include "kernel/model/segment_registry.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "kernel/model/segment_types.h"
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
