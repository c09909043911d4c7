#include <gtest/gtest.h>

#include "settings/integer_text.h"

using zorbel::settings::parseInteger;

TEST(IntegerText, AcceptsDecimalWithOptionalSignAndLeadingSpaces) {
  EXPECT_EQ(parseInteger("0"), 0);
  EXPECT_EQ(parseInteger("007"), 7);
  EXPECT_EQ(parseInteger("+7"), 7);
  EXPECT_EQ(parseInteger("-1"), -1);
  EXPECT_EQ(parseInteger("   42"), 42);
  EXPECT_EQ(parseInteger("2147483647"), 2147483647);
  EXPECT_EQ(parseInteger("-2147483648"), INT32_MIN);
}

TEST(IntegerText, AcceptsEveryHexPrefixWithoutSign) {
  EXPECT_EQ(parseInteger("$1F"), 31);
  EXPECT_EQ(parseInteger("x1f"), 31);
  EXPECT_EQ(parseInteger("X1F"), 31);
  EXPECT_EQ(parseInteger("0x1F"), 31);
  EXPECT_EQ(parseInteger("0X1f"), 31);
  EXPECT_EQ(parseInteger(" $7FFFFFFF"), INT32_MAX);
}

TEST(IntegerText, RefusesEverythingElse) {
  for (const char* text : {"",          " ",           "+",     "-",          "$",
                           "0x",        "x",           "12abc", "1 ",         "1.5",
                           "- 1",       "+$10",        "-0x10", "2147483648", "-2147483649",
                           "$80000000", "0x100000000", "１",    "1\t",        "\t1"}) {
    EXPECT_FALSE(parseInteger(text).has_value()) << '"' << text << '"';
  }
}
