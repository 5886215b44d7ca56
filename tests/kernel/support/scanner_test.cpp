#include "kernel/support/scanner.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/kernel/support/error_capture.h"

namespace {

using Messages = std::vector<std::string>;

// The segment format string: a quoted type name and two numbers; a ")" where the format has
// "," ends the list early and leaves the later outputs alone.
TEST(Scanner, ReadsTheSegmentFormatString) {
  const struct {
    const char* stream;
    int count;
    const char* type;
    double z0, f0;
    const char* rest;
  } cases[] = {{"\"Linear\", 0, 0", 3, "Linear", 0, 0, ""},
               {"\"Sine\", -1.5e3, +2", 3, "Sine", -1500, 2, ""},
               {"\"Sine\", 1) x", 2, "Sine", 1, 42, " x"},
               {" 'a \"b\"  c', 5, 6 rest", 3, "a \"b\"  c", 5, 6, " rest"}};
  for (const auto& c : cases) {
    ErrorCapture errors;
    const char* stream = c.stream;
    char type[kScanTextSize] = "x";
    double z0 = 42, f0 = 42;
    EXPECT_EQ(scan(&stream, "%s, %f, %f", type, &z0, &f0), c.count) << c.stream;
    EXPECT_STREQ(type, c.type);
    EXPECT_EQ(z0, c.z0) << c.stream;
    EXPECT_EQ(f0, c.f0) << c.stream;
    EXPECT_STREQ(stream, c.rest);
    EXPECT_EQ(errors.messages(), Messages{}) << c.stream;
  }
}

// Every message text, once each. Outputs filled before a failure keep their values; a string
// cut off by the end of the text is kept and reported.
TEST(Scanner, ReportsEachFailureWithItsMessage) {
  const struct {
    const char* stream;
    const char* format;
    int result;
    const char* message;
    const char* kept;
  } cases[] = {
      {"Linear, 0", "%s, %f", -1, "String opening \" or ' expected, 'Linear' found.\n", "#"},
      {"\"Sine", "%s", 1, "String closing \" expected, EOS found.\n", "Sine"},
      {"'Sine", "%s", 1, "String closing ' expected, EOS found.\n", "Sine"},
      {"\"fd1\" ; 2", "%s, %f", -1, "',' in format differs from ';' in stream\n", "fd1"},
      {")", ";", -1, "';' in format differs from ')' in stream\n", "#"},
      {"abc", "abc ,", -1, "',' in format differs from '' in stream\n", "#"},
      {"1", "%q", -1, "unknown format specifier '%q'\n", "#"},
      {"abc", "%f", -1, "Number expected, 'abc' found.\n", "#"},
      {".5", "%f", -1, "Number expected, '.' found.\n", "#"},
      {"-1e400", "%f", -1, "Finite number expected, '1e400' found.\n", "#"},  // was -inf
      {"1.5", "%d", -1, "Number expected, '1.5' found.\n", "#"},
      {"", "%i", -1, "Number expected, '' found.\n", "#"},
      {"12", "%n", -1, "Name expected, '12' found.\n", "#"},
  };
  for (const auto& c : cases) {
    ErrorCapture errors;
    const char* stream = c.stream;
    alignas(double) char out[kScanTextSize] = "#";  // every item of these formats fits here
    EXPECT_EQ(scan(&stream, c.format, out, out), c.result) << c.stream;
    EXPECT_EQ(errors.messages(), Messages{c.message}) << c.stream;
    EXPECT_STREQ(out, c.kept) << c.stream;
    EXPECT_TRUE(c.result < 0 || *stream == '\0') << stream;
  }
}

TEST(Scanner, ReadsEachSpecifier) {
  ErrorCapture errors;
  const char* stream = " \t\n ,$seg_1 -12 ff DEADbeef 1A";
  char c1 = 0, c2 = 0, c3 = 0, name[kScanTextSize];
  int d = 0, x1 = 0, x2 = 0, x3 = 0;
  EXPECT_EQ(scan(&stream, "%c%n%d%x%x%x%c%c", &c1, name, &d, &x1, &x2, &x3, &c2, &c3), 8);
  EXPECT_EQ(c1, ',');  // %c skips white space, line feeds included
  EXPECT_STREQ(name, "$seg_1");
  EXPECT_EQ(d, -12);
  EXPECT_EQ(x1, 255);
  EXPECT_EQ(static_cast<unsigned>(x2), 0xDEADBEEFu);
  EXPECT_EQ(x3, 1);  // "1A" is the number 1 and the name A
  EXPECT_EQ(c2, 'A');
  EXPECT_EQ(c3, static_cast<char>(-1));  // the end
  EXPECT_EQ(errors.messages(), Messages{});
}

TEST(Scanner, IntegersTakeSignTokensAndSaturateAt32Bits) {
  const std::pair<const char*, int> cases[] = {{"+17", 17},
                                               {"- 17", -17},
                                               {"2147483647", 2147483647},
                                               {"2147483648", 2147483647},
                                               {"-2147483648", -2147483647 - 1},
                                               {"-99999999999999999999", -2147483647 - 1}};
  for (auto [text, value] : cases) {
    for (const char* format : {"%d", "%i"}) {
      const char* stream = text;
      int read = 1;
      EXPECT_EQ(scan(&stream, format, &read), 1) << text;
      EXPECT_EQ(read, value) << text << " " << format;
    }
  }
}

TEST(ScannerTokens, FollowTheNumberAndNameRules) {
  const struct {
    const char* text;
    std::vector<std::pair<int, std::string>> tokens;
  } cases[] = {
      {"1.2.3", {{kTokNumber, "1.2"}, {'.', "."}, {kTokInteger, "3"}}},
      {"1e5e3", {{kTokNumber, "1e5"}, {kTokName, "e3"}}},
      {"2E-7+1", {{kTokNumber, "2E-7"}, {'+', "+"}, {kTokInteger, "1"}}},
      {"3.e+", {{kTokNumber, "3.e+"}}},
      {"_a$9 $", {{kTokName, "_a$9"}, {kTokName, "$"}}},
      {" a\t\r\nb", {{kTokName, "a"}, {'\n', "\n"}, {kTokName, "b"}}},
      {"\xc3\xa4\xff", {{0xc3, "\xc3"}, {0xa4, "\xa4"}, {0xff, "\xff"}}},
  };
  for (const auto& c : cases) {
    const char* stream = c.text;
    for (const auto& [kind, text] : c.tokens) {
      const ScanTokenSpan token = nextToken(&stream);
      EXPECT_EQ(token.kind, kind) << c.text;
      EXPECT_EQ(std::string(token.text, token.length), text) << c.text;
    }
    EXPECT_EQ(nextToken(&stream).kind, kTokEnd) << c.text;
    EXPECT_EQ(nextToken(&stream).kind, kTokEnd) << c.text;  // the end stays the end
  }
}

}  // namespace
