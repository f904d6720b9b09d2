#include "base/settings_value.h"

#include <gtest/gtest.h>

#include <limits.h>

#include <string>

TEST(ParseSettingInt, ReadsLikeAtoi) {
  struct Row {
    const char* text;
    int expected;
  };
  // stored text, flags word
  const Row rows[] = {
      {"", 0},          {"0", 0},          {"7", 7},           {"-1", -1},
      {"+5", 5},        {"  3", 3},        {"\t\n 6", 6},      {"007", 7},
      {"12abc", 12},    {"abc", 0},        {"- 3", 0},         {"+-3", 0},
      {"2147483647", INT_MAX},             {"-2147483648", INT_MIN},
      {"2147483648", INT_MAX},             {"-99999999999999", INT_MIN},
      {"999999999999999", INT_MAX},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.expected, ParseSettingInt(row.text)) << "text \"" << row.text << "\"";
  }
}

TEST(ReadDecimal, ReadsNoFurtherThanItsLength) {
  struct Row {
    std::string text;  // the bytes handed over, length taken from the row
    size_t length;
    int expected;
  };
  // bytes, length read, value
  const Row rows[] = {
      {"36", 2, 36},                      {"0036", 4, 36},
      {"12345", 3, 123},                  {"36", 1, 3},
      {"36", 0, 0},                       {"  36", 2, 0},
      {"-36", 1, 0},                      {"-36", 3, -36},
      {"+36", 3, 36},                     {" \t\v\r\n\f7", 7, 7},
      {std::string("3\0" "6", 3), 3, 3}, {"2147483648", 9, 214748364},
      {"2147483647", 10, INT_MAX},        {"2147483648", 10, INT_MAX},
      {"-2147483648", 11, INT_MIN},       {"-2147483649", 11, INT_MIN},
      {"21474836470", 10, INT_MAX},       {"99999999999999999999", 20, INT_MAX},
      {"4294967332", 10, INT_MAX},        {"-99999999999999999999", 21, INT_MIN},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.expected, ReadDecimal(row.text.data(), row.length))
        << "text \"" << row.text << "\", length " << row.length;
  }
}

TEST(ReadDecimal, NeedsNoNul) {
  // The field ends where its array does; the digits lying right behind it
  // (no NUL between) must not be read.
  const struct {
    char field[4];
    char behind[2];
  } text = {{'2', '0', '2', '6'}, {'7', '7'}};
  EXPECT_EQ(2026, ReadDecimal(text.field, sizeof text.field));
  const struct {
    char field[1];
    char behind[2];
  } sign = {{'-'}, {'3', '6'}};
  EXPECT_EQ(0, ReadDecimal(sign.field, sizeof sign.field));
  const struct {
    char field[3];
    char behind[2];
  } blanks = {{' ', ' ', ' '}, {'3', '6'}};
  EXPECT_EQ(0, ReadDecimal(blanks.field, sizeof blanks.field));
}

TEST(FlagsWithOptions, SetsOnlyTheTwoOptionBits) {
  struct Row {
    int flags, autoplay, loop, expected;
  };
  // stored flags, autoplay ticked, loop ticked, new flags
  const Row rows[] = {
      {0, 0, 0, 0},   {0, 1, 0, 2},   {0, 0, 1, 4},   {1, 1, 1, 7},
      {7, 0, 0, 1},   {7, 1, 0, 3},   {-1, 0, 0, -7}, {0x100, 1, 1, 0x106},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.expected, FlagsWithOptions(row.flags, row.autoplay, row.loop))
        << "flags " << row.flags << " autoplay " << row.autoplay << " loop " << row.loop;
  }
}
