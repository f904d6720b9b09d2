// Where a dialog opens: centred on the cursor, pushed inside the monitor.
#include <gtest/gtest.h>

#include <string>

#include "window/monitor_shim.h"
#include "window/placement.h"

namespace {

struct OriginCase {
  const char* name;
  int width, height;
  PlacePoint cursor;
  PlaceRect bounds;
  PlacePoint expected;
};

const PlaceRect kFullHd = {0, 0, 1920, 1080};

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
    PlacePoint got = PlacementOrigin(c.width, c.height, c.cursor, c.bounds);
    EXPECT_EQ(c.expected.x, got.x) << c.name;
    EXPECT_EQ(c.expected.y, got.y) << c.name;
  }
}

// A scripted platform: either multi-monitor (two monitors side by side) or
// single-screen (USER32 without GetMonitorInfoA).
struct FakeSystem {
  int multiMonitor;
  int workAreaWorks;
  int screenWidth, screenHeight;
  int lookups;
  MonitorShimPoint askedPoint;
};
FakeSystem g_fake;

const uintptr_t kLeftMonitor = 0x2000, kPrimaryMonitor = 0x1000;

void* MONITOR_SHIM_API FakeMonitorFromPoint(MonitorShimPoint point, uint32_t) {
  g_fake.askedPoint = point;
  return reinterpret_cast<void*>(point.x < 0 ? kLeftMonitor : kPrimaryMonitor);
}

int MONITOR_SHIM_API FakeGetMonitorInfo(void* monitor, MonitorShimInfo* info) {
  if (monitor == reinterpret_cast<void*>(kLeftMonitor)) {
    info->monitor = {-1920, 0, 0, 1080};
  } else {
    info->monitor = {0, 0, 1920, 1080};
  }
  info->work = info->monitor;
  info->work.bottom -= 40;
  return 1;
}

void Unused() {}

void* FindModule(const char*) { return &g_fake; }

MonitorShimProc FindProc(void*, const char* name) {
  ++g_fake.lookups;
  if (std::string(name) == "MonitorFromPoint") return reinterpret_cast<MonitorShimProc>(FakeMonitorFromPoint);
  if (std::string(name) == "GetMonitorInfoA") {
    return g_fake.multiMonitor ? reinterpret_cast<MonitorShimProc>(FakeGetMonitorInfo) : nullptr;
  }
  return Unused;
}

int SystemMetric(int index) {
  if (index == kMetricScreenWidth) return g_fake.screenWidth;
  if (index == kMetricScreenHeight) return g_fake.screenHeight;
  return -1;
}

int WorkArea(MonitorShimRect* area) {
  if (!g_fake.workAreaWorks) return 0;
  *area = {0, 0, g_fake.screenWidth, g_fake.screenHeight - 30};
  return 1;
}

const MonitorShimPlatform kFakePlatform = {FindModule, FindProc, SystemMetric, WorkArea};

class PlacementBoundsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MonitorShim::ResetForTest();
    g_fake = FakeSystem{1, 1, 1280, 1024, 0, {0, 0}};
    MonitorShim::SetPlatform(&kFakePlatform);
  }
  void TearDown() override { MonitorShim::ResetForTest(); }
};

struct BoundsCase {
  const char* name;
  int multiMonitor, workAreaWorks;
  PlacePoint cursor;
  PlaceRect expected;
};

// name                                           multi work  cursor       expected bounds
const BoundsCase kBoundsCases[] = {
    {"multi-monitor: monitor under the cursor",   1,    1,    {-5, 500},   {-1920, 0, 0, 1080}},
    {"multi-monitor: whole monitor, not work area", 1,  1,    {5, 1075},   {0, 0, 1920, 1080}},
    {"single screen: primary screen",             0,    1,    {600, 500},  {0, 0, 1280, 1024}},
    {"single screen: whatever the cursor",        0,    1,    {-700, 3000}, {0, 0, 1280, 1024}},
    {"single screen, work area fails: screen",    0,    0,    {600, 500},  {0, 0, 1280, 1024}},
};

TEST_F(PlacementBoundsTest, BoundsTable) {
  for (const BoundsCase& c : kBoundsCases) {
    MonitorShim::ResetForTest();
    MonitorShim::SetPlatform(&kFakePlatform);
    g_fake.multiMonitor = c.multiMonitor;
    g_fake.workAreaWorks = c.workAreaWorks;
    PlaceRect got = PlacementBounds(c.cursor);
    EXPECT_EQ(c.expected.left, got.left) << c.name;
    EXPECT_EQ(c.expected.top, got.top) << c.name;
    EXPECT_EQ(c.expected.right, got.right) << c.name;
    EXPECT_EQ(c.expected.bottom, got.bottom) << c.name;
  }
}

TEST_F(PlacementBoundsTest, SecondMonitorEndToEnd) {
  PlacePoint cursor = {-5, 500};
  PlacePoint got = PlacementOrigin(300, 200, cursor, PlacementBounds(cursor));
  EXPECT_EQ(-5, g_fake.askedPoint.x) << "point handed to MonitorFromPoint";
  EXPECT_EQ(500, g_fake.askedPoint.y) << "point handed to MonitorFromPoint";
  EXPECT_EQ(-300, got.x);
  EXPECT_EQ(400, got.y);
}

TEST_F(PlacementBoundsTest, SecondPlacementLooksNothingUp) {
  PlacePoint cursor = {1000, 500};
  PlacementBounds(cursor);
  EXPECT_EQ(7, g_fake.lookups) << "first placement binds all seven functions";
  PlacementBounds(cursor);
  EXPECT_EQ(7, g_fake.lookups) << "second placement";
}

}  // namespace
