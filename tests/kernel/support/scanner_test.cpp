#include "kernel/support/scanner.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "tests/kernel/support/error_capture.h"

namespace {

using Messages = std::vector<std::string>;

// ---- Cases the segment format string depends on

TEST(Scanner, ReadsTypeNameAndTwoNumbers) {
  ErrorCapture errors;
  const char* stream = "\"Linear\", 0, 0";
  char type[kScanTextSize] = "x";
  double z0 = 7, f0 = 7;
  EXPECT_EQ(scan(&stream, "%s, %f, %f", type, &z0, &f0), 3);
  EXPECT_STREQ(type, "Linear");
  EXPECT_EQ(z0, 0.0);
  EXPECT_EQ(f0, 0.0);
  EXPECT_STREQ(stream, "");
  EXPECT_TRUE(errors.messages().empty());
}

TEST(Scanner, UnquotedTypeNameFailsWithOpeningQuoteMessage) {
  ErrorCapture errors;
  const char* stream = "Linear, 0, 0";
  char type[kScanTextSize];
  double z0, f0;
  EXPECT_EQ(scan(&stream, "%s, %f, %f", type, &z0, &f0), -1);
  EXPECT_EQ(errors.messages(), Messages{"String opening \" or ' expected, 'Linear' found.\n"});
}

TEST(Scanner, ReadsSignedNumbersWithExponent) {
  ErrorCapture errors;
  const char* stream = "\"Sine\", -1.5e3, +2";
  char type[kScanTextSize];
  double z0 = 0, f0 = 0;
  EXPECT_EQ(scan(&stream, "%s, %f, %f", type, &z0, &f0), 3);
  EXPECT_STREQ(type, "Sine");
  EXPECT_EQ(z0, -1500.0);
  EXPECT_EQ(f0, 2.0);
  EXPECT_TRUE(errors.messages().empty());
}

TEST(Scanner, ClosingParenthesisEndsArgumentListQuietly) {
  ErrorCapture errors;
  const char* stream = "\"Sine\", 1)";
  char type[kScanTextSize];
  double z0 = 0, f0 = 42;
  EXPECT_EQ(scan(&stream, "%s, %f, %f", type, &z0, &f0), 2);
  EXPECT_EQ(z0, 1.0);
  EXPECT_EQ(f0, 42.0);  // untouched
  EXPECT_TRUE(errors.messages().empty());
}

TEST(Scanner, ParenthesisWhereFormatHasOtherTokenIsAMismatch) {
  ErrorCapture errors;
  const char* stream = ")";
  EXPECT_EQ(scan(&stream, ";"), -1);
  EXPECT_EQ(errors.messages(), Messages{"';' in format differs from ')' in stream\n"});
}

TEST(Scanner, StringCutOffByEndOfTextIsKeptAndReported) {
  ErrorCapture errors;
  const char* stream = "\"Sine";
  char text[kScanTextSize];
  EXPECT_EQ(scan(&stream, "%s", text), 1);
  EXPECT_STREQ(text, "Sine");
  EXPECT_EQ(errors.messages(), Messages{"String closing \" expected, EOS found.\n"});
  EXPECT_STREQ(stream, "");
}

TEST(Scanner, SingleQuotedStringKeepsDoubleQuotesAndBlanks) {
  ErrorCapture errors;
  const char* stream = " 'a \"b\"  c' rest";
  char text[kScanTextSize];
  EXPECT_EQ(scan(&stream, "%s", text), 1);
  EXPECT_STREQ(text, "a \"b\"  c");
  EXPECT_STREQ(stream, " rest");
}

// ---- Messages

TEST(Scanner, UnknownSpecifierIsReportedAndFails) {
  ErrorCapture errors;
  const char* stream = "1";
  int value = 0;
  EXPECT_EQ(scan(&stream, "%q", &value), -1);
  EXPECT_EQ(errors.messages(), Messages{"unknown format specifier '%q'\n"});
}

TEST(Scanner, MismatchNamesBothTokensAndKeepsEarlierOutputs) {
  ErrorCapture errors;
  const char* stream = "\"fd1\" ; 2";
  char name[kScanTextSize];
  double value = -7;
  EXPECT_EQ(scan(&stream, "%s, %f", name, &value), -1);
  EXPECT_STREQ(name, "fd1");
  EXPECT_EQ(value, -7.0);
  EXPECT_EQ(errors.messages(), Messages{"',' in format differs from ';' in stream\n"});
}

TEST(Scanner, EndOfStreamWhereFormatWantsTokenIsAMismatch) {
  ErrorCapture errors;
  const char* stream = "abc";
  EXPECT_EQ(scan(&stream, "abc ,"), -1);
  EXPECT_EQ(errors.messages(), Messages{"',' in format differs from '' in stream\n"});
}

TEST(Scanner, ItemOfWrongKindIsReportedAndFails) {
  ErrorCapture errors;
  struct Case {
    const char* stream;
    const char* format;
    const char* message;
  };
  const Case cases[] = {
      {"abc", "%f", "Number expected, 'abc' found.\n"},
      {".5", "%f", "Number expected, '.' found.\n"},
      {"1.5", "%d", "Number expected, '1.5' found.\n"},
      {"", "%i", "Number expected, '' found.\n"},
      {"12", "%n", "Name expected, '12' found.\n"},
  };
  for (const Case& c : cases) {
    errors.messages().clear();
    const char* stream = c.stream;
    double d;
    int i;
    char n[kScanTextSize];
    void* out = c.format[1] == 'f' ? static_cast<void*>(&d) : c.format[1] == 'n' ? static_cast<void*>(n) : &i;
    EXPECT_EQ(scan(&stream, c.format, out), -1) << c.stream;
    EXPECT_EQ(errors.messages(), Messages{c.message}) << c.stream;
  }
}

// ---- Specifiers

TEST(Scanner, CharSkipsAllWhiteSpaceAndGivesMinusOneAtEnd) {
  ErrorCapture errors;
  const char* stream = " \t\n ,x";
  char a = 0, b = 0, c = 0;
  EXPECT_EQ(scan(&stream, "%c%c%c", &a, &b, &c), 3);
  EXPECT_EQ(a, ',');
  EXPECT_EQ(b, 'x');
  EXPECT_EQ(c, static_cast<char>(-1));
  EXPECT_TRUE(errors.messages().empty());
}

TEST(Scanner, IntegersTakeSignTokensAndSaturateAt32Bits) {
  ErrorCapture errors;
  const struct {
    const char* text;
    int value;
  } cases[] = {{"0", 0},
               {"+17", 17},
               {"- 17", -17},
               {"2147483647", 2147483647},
               {"-2147483648", -2147483647 - 1},
               {"2147483648", 2147483647},
               {"-99999999999999999999", -2147483647 - 1}};
  for (const auto& c : cases) {
    const char* stream = c.text;
    int value = 1;
    EXPECT_EQ(scan(&stream, "%d", &value), 1) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
    stream = c.text;
    EXPECT_EQ(scan(&stream, "%i", &value), 1) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
  EXPECT_TRUE(errors.messages().empty());
}

TEST(Scanner, HexReadsOneTokenAndItsLeadingHexDigits) {
  ErrorCapture errors;
  int a = 0, b = 0, c = 0;
  const char* stream = "ff DEADbeef 1A";
  EXPECT_EQ(scan(&stream, "%x %x %x", &a, &b, &c), 3);
  EXPECT_EQ(a, 255);
  EXPECT_EQ(static_cast<unsigned>(b), 0xDEADBEEFu);
  EXPECT_EQ(c, 1);  // "1A" is the number 1 followed by the name A
  EXPECT_STREQ(stream, "A");
}

TEST(Scanner, NameAndOtherSpecifiersTogether) {
  ErrorCapture errors;
  const char* stream = "$seg_1 -12 7f #";
  char name[kScanTextSize];
  int number = 0, hex = 0;
  char c = 0;
  EXPECT_EQ(scan(&stream, "%n%d%x%c", name, &number, &hex, &c), 4);
  EXPECT_STREQ(name, "$seg_1");
  EXPECT_EQ(number, -12);
  EXPECT_EQ(hex, 7);  // "7f": number 7, then the name f
  EXPECT_EQ(c, 'f');
}

TEST(Scanner, OverlongNamesAndStringsAreCutButReadWhole) {
  ErrorCapture errors;
  const std::string longName(100, 'n');
  const std::string longText(100, 's');
  const std::string text = longName + " '" + longText + "', 5";
  const char* stream = text.c_str();
  char name[kScanTextSize];
  char string[kScanTextSize];
  double value = 0;
  EXPECT_EQ(scan(&stream, "%n %s, %f", name, string, &value), 3);
  EXPECT_EQ(std::string(name), longName.substr(0, kScanTextSize - 1));
  EXPECT_EQ(std::string(string), longText.substr(0, kScanTextSize - 1));
  EXPECT_EQ(value, 5.0);
  EXPECT_TRUE(errors.messages().empty());
}

TEST(Scanner, LongMismatchingTokensAreCutInTheMessage) {
  ErrorCapture errors;
  const std::string word(2000, 'w');
  const char* stream = word.c_str();
  EXPECT_EQ(scan(&stream, "v"), -1);
  ASSERT_EQ(errors.messages().size(), 1u);
  EXPECT_LT(errors.messages()[0].size(), 512u);
}

TEST(Scanner, NumbersRoundTripThroughShortestDecimalForm) {
  ErrorCapture errors;
  std::mt19937_64 random(2143);
  std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-300, 300);
  for (int i = 0; i < 2000; ++i) {
    const double x = std::ldexp(mantissa(random), exponent(random));
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", x);
    const char* stream = text;
    double y = 0;
    ASSERT_EQ(scan(&stream, "%f", &y), 1) << text;
    EXPECT_EQ(y, x) << text;
  }
}

TEST(Scanner, NumbersUseDecimalPointWhateverTheLocale) {
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale";
  const char* stream = "2.5";
  double value = 0;
  EXPECT_EQ(scan(&stream, "%f", &value), 1);
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_EQ(value, 2.5);
}

TEST(Scanner, NullStreamTextReadsAsEmpty) {
  ErrorCapture errors;
  const char* stream = nullptr;
  char c = 0;
  EXPECT_EQ(scan(&stream, "%c", &c), 1);
  EXPECT_EQ(c, static_cast<char>(-1));
  EXPECT_EQ(scan(nullptr, "%c", &c), -1);
}

// ---- Tokens

TEST(ScannerTokens, FollowTheNumberAndNameRules) {
  const struct {
    const char* text;
    std::vector<std::pair<int, std::string>> tokens;
  } cases[] = {
      {"1.2.3", {{kTokNumber, "1.2"}, {'.', "."}, {kTokInteger, "3"}}},
      {"1e5e3", {{kTokNumber, "1e5"}, {kTokName, "e3"}}},
      {"2E-7+1", {{kTokNumber, "2E-7"}, {'+', "+"}, {kTokInteger, "1"}}},
      {"1+5", {{kTokInteger, "1"}, {'+', "+"}, {kTokInteger, "5"}}},
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
