#include "app/common/number_text.h"

#include <gtest/gtest.h>

namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kGerman(QLocale::German, QLocale::Germany);

TEST(NumberText, GeneralAndSignedTextsFollowTheirConventions) {
  EXPECT_EQ(generalText(0.02, kEnglish), "0.02");
  EXPECT_EQ(generalText(0.02, kGerman), "0,02");
  EXPECT_EQ(generalText(-0.0, kEnglish), "0");
  EXPECT_EQ(generalText(1e20, kEnglish), "1E+20");
  EXPECT_EQ(generalText(1.0 / 3.0, kEnglish), "0.333333333333333");
  EXPECT_EQ(signedText(7.5), " 7.5");
  EXPECT_EQ(signedText(-2.5), "-2.5");
  EXPECT_EQ(signedText(0.0), " 0");
}

TEST(NumberText, PrintFileFormsPadWithBlanksAndDropTheLeadingZero) {
  EXPECT_EQ(printFileInteger(4), " 4 ");
  EXPECT_EQ(printFileInteger(-3), "-3 ");
  EXPECT_EQ(printFileDouble(0.02, kEnglish), " .02 ");
  EXPECT_EQ(printFileDouble(0.02, kGerman), " ,02 ");
  EXPECT_EQ(printFileDouble(-0.5, kEnglish), "-.5 ");
  EXPECT_EQ(printFileDouble(12.25, kEnglish), " 12.25 ");
  EXPECT_EQ(printFileBool(true), "True");
}

TEST(NumberText, ParsingReadsEitherSeparatorButNeverGroupsOrNonFinite) {
  EXPECT_EQ(parseNumber(" .02 ", kEnglish), 0.02);
  EXPECT_EQ(parseNumber(" ,02 ", kGerman), 0.02);
  EXPECT_EQ(parseNumber("1.5", kGerman), 1.5);  // never 15
  EXPECT_EQ(parseNumber("1E+20", kGerman), 1e20);
  for (const char* bad : {"", "  ", "1,5", "x", "n/A", "inf", "nan", "1e999"})
    EXPECT_FALSE(parseNumber(QString::fromLatin1(bad), kEnglish)) << bad;
}

TEST(NumberText, RoundingIsHalfToEvenAndTheCellTextReadsBackExactly) {
  EXPECT_EQ(roundHalfEven(0.125, 2), 0.12);
  EXPECT_EQ(roundHalfEven(0.375, 2), 0.38);
  EXPECT_EQ(roundHalfEven(-2.5, 0), -2.0);
  EXPECT_EQ(roundHalfEven(3.5999999046325684, 10), 3.5999999046);
  for (double v : {359.9999904632568, 123456.78901234567, -98765432.123456789, 1e-7}) {
    const double shown = displayValue(v, 10);
    EXPECT_EQ(parseNumber(generalText(shown, kGerman), kGerman), shown) << v;
  }
}

}  // namespace
