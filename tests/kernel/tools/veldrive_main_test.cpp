// The veldrive batch tool, run as a user runs it, against a temporary registry.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/kernel/tools/program_run.h"
#include "tests/platform/com/temp_registry.h"

namespace {

const char kCamDrive[] =
    "# cam drive over one turn\n"
    "\"Linear\", 0, 0\n"
    "\n"
    "\"ModSine\", 60, 0\n"
    "   # an indented comment\n"
    "\"Linear\", 150, 50\n"
    "\"ModSine\", 210, 50\r\n"
    "\"Linear\", 300, 0\n"
    "\"Linear\", 360, 0\n";

using Row = std::vector<double>;

// Parses the table; every line must be five numbers separated by tabs, each printed with 17
// significant digits so that it reads back exactly.
std::vector<Row> table(const std::string& out) {
  std::vector<Row> rows;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    Row& row = rows.emplace_back();
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, '\t');) {
      char again[40];
      std::snprintf(again, sizeof again, "%.17g",
                    row.emplace_back(std::strtod(field.c_str(), nullptr)));
      EXPECT_EQ(field, again) << line;
    }
    EXPECT_EQ(row.size(), 5u) << line;
  }
  return rows;
}

class VeldriveToolTest : public TempRegistry {
 protected:
  void SetUp() override {
    TempRegistry::SetUp();
    const ProgramResult r = runProgram("kinetra-regsvr", {"libVelDrive.so"}, "", folder());
    ASSERT_EQ(r.status, 0) << r.out << r.err;
  }
  ProgramResult veldrive(const std::vector<std::string>& args, const std::string& input) {
    return runProgram("veldrive", args, input, folder());
  }
};

// A hundred steps from z0 to z1 by default; --step chooses the step (the last row inside the
// span ends the table), --at the points; the table alone goes to standard output, traces only
// with --trace and to standard error; a periodic line and --periodic are the same; a file
// name or "-" names the input.
TEST_F(VeldriveToolTest, RowsFollowTheOptions) {
  const ProgramResult r = veldrive({}, kCamDrive);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  std::vector<Row> rows = table(r.out);
  ASSERT_EQ(rows.size(), 101u);
  for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_NEAR(rows[i][0], 3.6 * i, 1e-9);
  EXPECT_NEAR(rows[50][1], 50.0, 1e-9);  // z = 180 lies in the upper dwell
  rows = table(veldrive({"--step", "7"}, kCamDrive).out);
  ASSERT_EQ(rows.size(), 52u);
  EXPECT_EQ(rows.back()[0], 357.0);
  const ProgramResult at = veldrive({"--at", "105,180,-10,400"}, kCamDrive);
  rows = table(at.out);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_NEAR(rows[0][1], 25.0, 1e-9);  // the middle of the rise
  const ProgramResult traced = veldrive({"--at", "105,180,-10,400", "--trace"}, kCamDrive);
  EXPECT_EQ(traced.out, at.out);
  EXPECT_NE(traced.err, "");
  EXPECT_EQ(veldrive({"--at", "0,60,360"}, std::string("periodic\n") + kCamDrive).out,
            veldrive({"--at", "0,60,360", "--periodic"}, kCamDrive).out);
  const std::string file = folder() + "/drive.txt";
  std::ofstream(file) << kCamDrive;
  EXPECT_EQ(veldrive({"--step", "45", file}, "").out,
            veldrive({"--step", "45", "-"}, kCamDrive).out);
  // Lines in any z0 order build the same drive.
  const std::string shuffled =
      "\"Linear\", 150, 50\n\"Linear\", 360, 0\n\"Linear\", 0, 0\n"
      "\"ModSine\", 210, 50\n\"ModSine\", 60, 0\n\"Linear\", 300, 0\n";
  EXPECT_EQ(veldrive({"--step", "30"}, shuffled).out, veldrive({"--step", "30"}, kCamDrive).out);
  const ProgramResult help = veldrive({"--help"}, "");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("usage: veldrive"), std::string::npos);
}

// Bad input or a bad command line ends with status 2, the line and the reason, and no table. Most
// rows were once taken: a line read in part, numbers beyond the double range, segments of no length
// or of overflowing span (evaluated into plainly wrong numbers), a directory.
TEST_F(VeldriveToolTest, HostileInputEndsWithItsLineAndStatus2) {
  auto framed = [](const std::string& bad) {
    return "\"Linear\", 0, 0\n# comment\n" + bad + "\n\"Linear\", 360, 0\n";
  };
  struct Case {
    std::string input;
    const char* says;
    std::vector<std::string> args = {};
  };
  const Case cases[] = {
      {framed("\"Bogus\", 0, 0"), "line 3: not a segment"},
      {framed("\"Linear\", zero, 0"), "line 3: kError: Number expected"},
      {framed("\"Linear\", 90, 0, \"nosuch\", 1"), "line 3:"},
      {framed("Linear 90 0"), "line 3:"},
      {framed("\"Linear\", 90, 0 junk"), "line 3: kError: String opening"},
      {framed("\"Linear\", 90, 0,"), "line 3: kError:"},
      {framed("\"ModSine\", 90, 0, \"lambda\""), "line 3: kError:"},
      {framed("\"ModSine\", 1e400, 0"), "line 3: kError: Finite number expected, '1e400'"},
      {"\"Linear\", -1e308, 0\n\"Linear\", 1e308, 0\n",
       "line 1: the segment from z0 = -1e+308 to 1e+308 has no finite length"},
      {"\"Linear\", 0, 0\n\"Linear\", 1, 1\n\"Linear\", 1, 2\n\"Linear\", 2, 0\n",
       "line 3: the segment is 0 long, which counts as no length: the segment of line 2"},
      {"\"Linear\", 0, 0\n\"Linear\", 1e-16, 1\n\"Linear\", 1, 1\n",
       "line 1: the segment is 1e-16 long"},
      {"\"Linear\", 0, 0\n\"Linear\", 1e-10, 1e300\n\"Linear\", 1, 1e300\n",
       "line 1: the segment's fd0 is inf"},
      {kCamDrive, "is a directory, not a drive file", {"/"}},
      {"\"Linear\", 150, 50\n\"Linear\", 0, 0\n\"Bogus\", 100, 0\n", "line 3:"},
      {"# nothing\n\n", ""},
      // Command-line mistakes; a step that would print absurdly many rows is refused rather
      // than run for hours.
      {kCamDrive, "", {"--step", "0"}},
      {kCamDrive, "", {"--step", "-1"}},
      {kCamDrive, "", {"--step"}},
      {kCamDrive, "", {"--step", "1e-12"}},
      {kCamDrive, "", {"--at", "1,,2"}},
      {kCamDrive, "", {"--step", "1", "--at", "2"}},
      {kCamDrive, "", {"--bogus"}},
      {kCamDrive, "", {"a.txt", "b.txt"}},
      {kCamDrive, "", {"/nonexistent/drive.txt"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input + (c.args.empty() ? "" : " " + c.args[0]));
    const ProgramResult r = veldrive(c.args, c.input);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("0x00000000"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

// A table that cannot be written is no success (it used to end with status 0).
TEST_F(VeldriveToolTest, LostOutputEndsWithStatus4) {
  for (const char* where : {"/dev/full", "-"}) {
    const ProgramResult r = runProgram("veldrive", {"--step", "1"}, kCamDrive, folder(), where);
    EXPECT_EQ(r.status, 4) << where;
    EXPECT_NE(r.err.find(*where == '-' ? "standard output is closed" : "No space left"),
              std::string::npos)
        << r.err;
  }
}

TEST_F(VeldriveToolTest, UnsolvedDriveEndsWithTheCountAndStatus3) {
  // A harmonic combination reverses at one end only: slopes at both ends leave it unsolved.
  const ProgramResult r = veldrive(
      {}, "\"Linear\", 0, 0\n\"HarmComb\", 10, 0, \"fd0\", 1, \"fd1\", 1\n\"Linear\", 90, 50\n");
  EXPECT_EQ(r.status, 3) << r.err;
  EXPECT_NE(r.err.find("veldrive: 1 segment unsolved"), std::string::npos) << r.err;
  // The kernel's reason comes first, once however often the passes repeated it.
  const std::size_t reason = r.err.find("kError: HarmComb");
  ASSERT_NE(reason, std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("kError: HarmComb", reason + 1), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
}

// Without a registration the tool registers the library beside it and says so once.
TEST_F(VeldriveToolTest, RegistersTheServerBesideItWhenUnregistered) {
  writeFile("");
  const ProgramResult first = veldrive({"--at", "180"}, kCamDrive);
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_NE(first.err.find("registered"), std::string::npos);
  EXPECT_EQ(table(first.out).size(), 1u);
  const ProgramResult second = veldrive({"--at", "180"}, kCamDrive);
  EXPECT_EQ(second.err, "");
  EXPECT_EQ(second.out, first.out);
}

}  // namespace
