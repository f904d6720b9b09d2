// The screen coordinates window/ shares: which points a rectangle holds, and
// how a wide coordinate comes back to 32 bits.
#include <gtest/gtest.h>
#include <stdint.h>

#include "window/screen.h"

namespace {

// A 300 x 200 window at (100, 100).
const ScreenRect kWindow = {100, 100, 400, 300};

struct PointCase {
  const char* name;
  ScreenPoint point;
  int inside;
};

// name                       point         inside
const PointCase kPointCases[] = {
    {"middle",                {250, 200},   1},
    {"top-left corner",       {100, 100},   1},
    {"right column",          {400, 200},   1},
    {"bottom row",            {250, 300},   1},
    {"bottom-right corner",   {400, 300},   1},
    {"left of it",            {99, 200},    0},
    {"above it",              {250, 99},    0},
    {"right of the column",   {401, 200},   0},
    {"below the row",         {250, 301},   0},
};

TEST(Screen, PointInRectTable) {
  for (const PointCase& c : kPointCases) {
    EXPECT_EQ(c.inside, PointInRect(c.point, kWindow)) << c.name;
  }
}

TEST(Screen, ClampToInt32Table) {
  struct Row {
    long long value;
    int32_t expected;
  };
  // wide value, 32-bit result
  const Row rows[] = {
      {0, 0},
      {-450, -450},
      {INT32_MAX, INT32_MAX},
      {INT32_MIN, INT32_MIN},
      {static_cast<long long>(INT32_MAX) + 1, INT32_MAX},
      {static_cast<long long>(INT32_MIN) - 1, INT32_MIN},
      {static_cast<long long>(INT32_MAX) * 2, INT32_MAX},
      {static_cast<long long>(INT32_MIN) * 2, INT32_MIN},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.expected, ClampToInt32(row.value)) << "value " << row.value;
  }
}

}  // namespace
