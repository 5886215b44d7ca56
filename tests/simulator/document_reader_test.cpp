#include "simulator/document_reader.h"

#include <gtest/gtest.h>

#include <string>

namespace motionsim {
namespace {

const std::string kHeader = "motionsim-document 1\nstep 0.02\n";

TEST(DocumentReader, ReadsEveryClauseQuotedNamesCommentsAndWindowsLineEnds) {
  const std::string text =
      "\xEF\xBB\xBFmotionsim-document 1\r\n"
      "  # comment line\r\n"
      "\r\n"
      "step +2.5e-2   # trailing comment\r\n"
      "input -7 \"Hub \\\"A\\\" \\\\ # not a comment\" -1.5\r\n"
      "input 8 Plain 0\r\n"
      "body 10 Base offset 1 2 3 angles 0.1 0.2 0.3\r\n"
      "body 11 \"Arm\" parent 10 joint prismatic x input Plain constant 0.5 rate -1 gain 2\r\n"
      "body 12 Tip joint revolute y input Plain parent 11\r\n";
  Mechanism m;
  DocumentError error;
  ASSERT_TRUE(readDocument(text, m, error)) << error.line << ": " << error.message;
  EXPECT_EQ(m.timeStep, 0.025);
  EXPECT_EQ(m.inputs[0].id, -7);
  EXPECT_EQ(m.inputs[0].name, "Hub \"A\" \\ # not a comment");
  EXPECT_EQ(m.inputs[0].initialValue, -1.5);
  EXPECT_EQ(m.bodies[0].offset.z, 3.0);
  EXPECT_EQ(m.bodies[0].angles.y, 0.2);
  const Joint& arm = m.bodies[1].joint;
  EXPECT_EQ(m.bodies[1].parent, 0);
  EXPECT_EQ(arm.axis, Axis::X);
  EXPECT_EQ(arm.input, 1);
  EXPECT_EQ(arm.constant, 0.5);
  EXPECT_EQ(arm.rate, -1.0);
  EXPECT_EQ(arm.gain, 2.0);
  // An input without a gain drives the joint one to one.
  EXPECT_EQ(m.bodies[2].joint.gain, 1.0);
  EXPECT_EQ(m.bodies[2].parent, 1);
}

struct BadDocument {
  const char* what;
  std::string text;
  int line;
  const char* message;  // a part of the expected message
};

class DocumentReaderRefuses : public testing::TestWithParam<BadDocument> {};

TEST_P(DocumentReaderRefuses, WithTheLineAndReasonAndLeavesTheMechanismAlone) {
  const BadDocument& bad = GetParam();
  Mechanism m;
  m.timeStep = 123.0;
  DocumentError error;
  EXPECT_FALSE(readDocument(bad.text, m, error));
  EXPECT_EQ(error.line, bad.line) << error.message;
  EXPECT_NE(error.message.find(bad.message), std::string::npos) << error.message;
  EXPECT_EQ(m.timeStep, 123.0);
  EXPECT_TRUE(m.bodies.empty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryKindOfFault, DocumentReaderRefuses,
    testing::Values(
        BadDocument{"Empty", "", 1, "empty document"},
        BadDocument{"NoMagic", "step 0.02\n", 1, "not a motionsim document"},
        BadDocument{"OtherVersion", "motionsim-document 2\nstep 1\n", 1,
                    "unsupported document version 2"},
        BadDocument{"NoStep", "motionsim-document 1\ninput 1 a 0\n\n", 3, "no step statement"},
        BadDocument{"StepTwice", kHeader + "step 0.01\n", 3, "step given twice (first on line 2)"},
        BadDocument{"StepZero", "motionsim-document 1\nstep 0\n", 2, "greater than 0"},
        BadDocument{"StepNaN", "motionsim-document 1\nstep nan\n", 2, "not finite"},
        BadDocument{"StepOverflow", "motionsim-document 1\nstep 1e999\n", 2, "out of range"},
        BadDocument{"StepNotNumber", "motionsim-document 1\nstep 0.02s\n", 2, "expected a number"},
        BadDocument{"UnknownStatement", kHeader + "bodies 1 a\n", 3,
                    "unknown statement \"bodies\""},
        BadDocument{"InputShort", kHeader + "input 1 a\n", 3, "input needs"},
        BadDocument{"InputIdHuge", kHeader + "input 99999999999 a 0\n", 3, "out of range"},
        BadDocument{"InputIdTwice", kHeader + "input 1 a 0\ninput 1 b 0\n", 4,
                    "input ID 1 used twice"},
        BadDocument{"InputNameTwice", kHeader + "input 1 a 0\ninput 2 a 0\n", 4,
                    "input name \"a\" used twice"},
        BadDocument{"EmptyName", kHeader + "input 1 \"\" 0\n", 3, "empty name"},
        BadDocument{"LongName", kHeader + "input 1 " + std::string(256, 'n') + " 0\n", 3,
                    "longer than 255"},
        BadDocument{"BadEscape", kHeader + "input 1 \"H\\ub\" 0\n", 3, "unknown escape"},
        BadDocument{"ControlCharacter", kHeader + "input 1 H\x01ub 0\n", 3, "control character"},
        BadDocument{"BodyShort", kHeader + "body 1\n", 3, "body needs"},
        BadDocument{"BodyIdTwice", kHeader + "body 1 a\nbody 1 b\n", 4, "body ID 1 used twice"},
        BadDocument{"UnknownClause", kHeader + "body 1 a colour red\n", 3,
                    "unknown body clause \"colour\""},
        BadDocument{"OffsetShort", kHeader + "body 1 a offset 1 2\n", 3, "needs 3 values"},
        BadDocument{"ParentLater", kHeader + "body 1 a parent 2\nbody 2 b\n", 3,
                    "unknown parent body 2"},
        BadDocument{"UnknownJoint", kHeader + "body 1 a joint hinge z\n", 3,
                    "unknown joint \"hinge\""},
        BadDocument{"JointBadAxis", kHeader + "body 1 a joint prismatic w\n", 3,
                    "unknown joint axis"},
        BadDocument{"RateOnFixed", kHeader + "body 1 a rate 1\n", 3,
                    "need a revolute or prismatic"},
        BadDocument{"GainWithoutInput", kHeader + "body 1 a joint revolute x gain 2\n", 3,
                    "gain needs an input"},
        BadDocument{"UnknownInput", kHeader + "body 1 a joint revolute x input Hub\n", 3,
                    "unknown input \"Hub\""},
        // Numbers that are finite but let the frames overflow (CurrentTime inf, angles NaN).
        BadDocument{"StepOverflowsLater", "motionsim-document 1\nstep 1e308\nbody 1 a\n", 2,
                    "step 1e+308 is too large"},
        BadDocument{"RateOverflowsLater", kHeader + "body 1 a joint revolute z rate 1e300\n", 3,
                    "body 1 \"a\": its joint coordinate"},
        BadDocument{"OffsetChainOverflows",
                    kHeader + "body 1 a offset 6e299 0 0\nbody 2 b parent 1 offset 6e299 0 0\n", 4,
                    "body 2 \"b\": its offsets and slides"},
        BadDocument{"NameWhereClause", kHeader + "body 1 a \"parent\" ground\n", 3,
                    "expected a body clause"}),
    [](const testing::TestParamInfo<BadDocument>& info) { return std::string(info.param.what); });

// The example loads; a missing file or a folder is reported without a line.
TEST(DocumentReader, LoadsTheExampleAndReportsAMissingFileWithoutALine) {
  Mechanism m;
  DocumentError error;
  ASSERT_TRUE(
      loadDocument(std::string(KINETRA_SOURCE_DIR) + "/examples/cam_mechanism.msim", m, error))
      << error.line << ": " << error.message;
  EXPECT_EQ(m.bodies.size(), 6u);
  EXPECT_FALSE(loadDocument("/nonexistent/dir/none.msim", m, error));
  EXPECT_EQ(error.line, 0);
  EXPECT_FALSE(loadDocument("/tmp", m, error));
  EXPECT_EQ(error.line, 0);
}

}  // namespace
}  // namespace motionsim
