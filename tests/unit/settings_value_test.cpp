#include "base/settings_value.h"

#include <gtest/gtest.h>

#include <limits.h>

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
