// Where a dialog opens: centred on the cursor, pushed inside the monitor.
// The monitor it is pushed into is found by the monitor layer (monitor_binding_test).
#include <gtest/gtest.h>

#include "window/placement.h"

namespace {

struct OriginCase {
  const char* name;
  int width, height;
  ScreenPoint cursor;
  ScreenRect bounds;
  ScreenPoint expected;
};

const ScreenRect kFullHd = {0, 0, 1920, 1080};

// name                                   w     h     cursor        bounds                   expected
const OriginCase kOriginCases[] = {
    {"centred on the cursor",             300,  200,  {1000, 500},  kFullHd,                 {850, 400}},
    {"odd sizes: extra pixel right/below", 301, 201,  {1000, 500},  kFullHd,                 {850, 400}},
    {"bottom-right corner: touches edges", 300, 200,  {1900, 1070}, kFullHd,                 {1620, 880}},
    {"top-left corner",                   300,  200,  {10, 10},     kFullHd,                 {0, 0}},
    {"one pixel past right and bottom",   300,  200,  {1771, 981},  kFullHd,                 {1620, 880}},
    {"wider than the monitor: left wins", 2000, 200,  {1000, 500},  kFullHd,                 {0, 400}},
    {"wider, cursor near the right edge", 2000, 200,  {1900, 500},  kFullHd,                 {0, 400}},
    {"taller than the monitor: bottom wins", 300, 1200, {1000, 500}, kFullHd,                {850, -120}},
    {"taller, cursor near the top",       300,  1200, {1000, 5},    kFullHd,                 {850, -120}},
    {"second monitor on the left",        300,  200,  {-5, 500},    {-1920, 0, 0, 1080},     {-300, 400}},
    {"second monitor, its left edge",     300,  200,  {-1915, 5},   {-1920, 0, 0, 1080},     {-1920, 0}},
    {"monitor above the primary",         300,  200,  {100, -1075}, {0, -1080, 1920, 0},     {0, -1080}},
    {"odd size on odd cursor",            3,    3,    {0, 0},       {-10, -10, 10, 10},      {-1, -1}},
    {"cursor left of and above the origin", 301,  201,  {-1, -1},     {-1000, -1000, 1000, 1000}, {-151, -101}},
};

TEST(Placement, OriginTable) {
  for (const OriginCase& c : kOriginCases) {
    ScreenPoint got = PlacementOrigin(c.width, c.height, c.cursor, c.bounds);
    EXPECT_EQ(c.expected.x, got.x) << c.name;
    EXPECT_EQ(c.expected.y, got.y) << c.name;
  }
}

}  // namespace
