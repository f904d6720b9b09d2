// Where the dialog lies on monitors of different scales: the monitor Windows
// counts a rectangle on, and single drag steps that the simulated drags of
// drag_machine_test reach only in shapes the system may not take.
#include <gtest/gtest.h>

#include <string>

#include "window/scale_rules.h"

namespace {

// 100 % left of 200 %.
const MonitorList kDesk = {2, {{{-1920, 0, 0, 1080}, 96}, {{0, 0, 3840, 2160}, 192}}};

std::string Rect(ScreenRect r) {
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) + " " +
         std::to_string(r.bottom);
}

struct HoldingCase {
  const char* name;
  ScreenRect rect;
  int expected;
};

// clang-format off
const HoldingCase kHoldings[] = {
  // name                                 rect                        monitor
  {"more on the second",                  {-100, 0, 101, 100},        1},
  {"a tie goes to the first listed",      {-100, 0, 100, 100},        0},
  {"on none: the nearest",                {-3000, 2000, -2500, 2100}, 0},
  {"on none, below both: the nearest",    {100, 2500, 300, 2600},     1},
};
// clang-format on

TEST(ScaleRules, MonitorHolding) {
  for (const HoldingCase& c : kHoldings) EXPECT_EQ(c.expected, MonitorHolding(&kDesk, c.rect)) << c.name;
  const MonitorList none = {};
  EXPECT_EQ(-1, MonitorHolding(&none, kHoldings[0].rect)) << "no monitors";
}

struct StepCase {
  const char* name;
  ScreenRect was;
  ScreenPoint cursor;  // after the step
  ScreenPoint travel;
  ScreenRect expected;
};

// clang-format off
const StepCase kStepCases[] = {
  // name                                              was                     cursor      travel   | window after the step
  {"on one monitor: by the travel",                    {100, 300, 1054, 661},  {605, 505}, {5, 5},   {105, 305, 1059, 666}},
  {"cursor past the edge: brought under it",           {100, 300, 1054, 661},  {1100, 500}, {5, 0},  {146, 300, 1100, 661}},
  {"cursor far back on 100 %: only as far as 200 %",   {-400, 300, 554, 661},  {-600, 500}, {5, 0},  {-476, 300, 478, 661}},
};
// clang-format on

TEST(ScaleRules, SteppedTo) {
  for (const StepCase& c : kStepCases) {
    EXPECT_EQ(Rect(c.expected), Rect(SteppedTo(&kDesk, c.was, c.cursor, c.travel))) << c.name;
  }
}

}  // namespace
