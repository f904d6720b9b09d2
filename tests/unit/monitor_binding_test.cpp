// Run-time binding of the multi-monitor functions, the single-screen answer,
// and the monitor rectangle that placement works in. Every test makes its
// own state record.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "window/monitor_binding.h"
#include "window/placement.h"

namespace {

using MonitorBinding::Info;
using MonitorBinding::InfoEx;
using MonitorBinding::kPrimaryMonitorToken;
using MonitorBinding::State;

const char* const kExpectedOrder[] = {
    "GetSystemMetrics", "MonitorFromWindow", "MonitorFromRect", "MonitorFromPoint",
    "EnumDisplayMonitors", "GetMonitorInfoA", "EnumDisplayDevicesA",
};

// A scripted USER32 and system: the primary monitor, and with leftMonitor a
// second one left of it; single-screen when one of the seven exports is
// missing. It records what is asked of it.
struct FakeUser32 {
  int loaded;                // GetModuleHandleA finds USER32
  std::string missing;       // the one export GetProcAddress does not find
  int leftMonitor;           // a second monitor lies left of the primary
  int workAreaWorks;
  int boundInfoResult;       // what the bound GetMonitorInfoA returns
  int screenWidth, screenHeight;
  std::vector<std::string> moduleNames;
  std::vector<std::string> lookups;
  int workAreaCalls;
  int boundFromPointCalls;
  ScreenPoint boundPoint;
  uint32_t boundFlags;
  int boundInfoCalls;
  void* boundMonitor;
  Info* boundRecord;
};
FakeUser32 g_user32;

char g_moduleHandle;  // any distinct address stands for the module
const uintptr_t kRealMonitor = 0x10001, kLeftMonitor = 0x20002;
const ScreenRect kPrimaryRect = {0, 0, 1920, 1080}, kLeftRect = {-1920, 0, 0, 1080};

void* MONITOR_BINDING_API BoundMonitorFromPoint(ScreenPoint point, uint32_t flags) {
  ++g_user32.boundFromPointCalls;
  g_user32.boundPoint = point;
  g_user32.boundFlags = flags;
  return reinterpret_cast<void*>(g_user32.leftMonitor && point.x < 0 ? kLeftMonitor : kRealMonitor);
}

int MONITOR_BINDING_API BoundGetMonitorInfo(void* monitor, Info* info) {
  ++g_user32.boundInfoCalls;
  g_user32.boundMonitor = monitor;
  g_user32.boundRecord = info;
  if (g_user32.boundInfoResult) {
    info->monitor = monitor == reinterpret_cast<void*>(kLeftMonitor) ? kLeftRect : kPrimaryRect;
    info->work = info->monitor;
    info->work.bottom -= 40;
  }
  return g_user32.boundInfoResult;
}

void OtherExport() {}

void* FindModule(const char* name) {
  g_user32.moduleNames.push_back(name);
  return g_user32.loaded ? &g_moduleHandle : nullptr;
}

MonitorBinding::Proc FindProc(void* module, const char* name) {
  g_user32.lookups.push_back(name);
  if (module != &g_moduleHandle || g_user32.missing == name) return nullptr;
  if (strcmp(name, "MonitorFromPoint") == 0) return reinterpret_cast<MonitorBinding::Proc>(BoundMonitorFromPoint);
  if (strcmp(name, "GetMonitorInfoA") == 0) return reinterpret_cast<MonitorBinding::Proc>(BoundGetMonitorInfo);
  return OtherExport;
}

const int kScreenWidth = 1366, kScreenHeight = 768;
const ScreenRect kWorkArea = {0, 0, 1366, 728};

int SystemMetric(int index) {
  if (index == MonitorBinding::kMetricScreenWidth) return g_user32.screenWidth;
  if (index == MonitorBinding::kMetricScreenHeight) return g_user32.screenHeight;
  return -1;
}

int WorkArea(ScreenRect* area) {
  ++g_user32.workAreaCalls;
  if (!g_user32.workAreaWorks) return 0;
  *area = kWorkArea;
  return 1;
}

const MonitorBinding::Platform kFakePlatform = {FindModule, FindProc, SystemMetric, WorkArea};

void* Token() { return reinterpret_cast<void*>(kPrimaryMonitorToken); }

// A system with all seven functions, one monitor and a working work-area query.
void Fresh() {
  g_user32 = FakeUser32();
  g_user32.loaded = 1;
  g_user32.workAreaWorks = 1;
  g_user32.boundInfoResult = 1;
  g_user32.screenWidth = kScreenWidth;
  g_user32.screenHeight = kScreenHeight;
}

struct BindCase {
  const char* name;
  int loaded;
  const char* missing;
  int expectedBound;
  size_t expectedLookups;
};

// name                          loaded missing                 bound lookups
const BindCase kBindCases[] = {
    {"all seven present",         1,    "",                     1,    7},
    {"USER32 not loaded",         0,    "",                     0,    0},
    {"first missing",             1,    "GetSystemMetrics",     0,    1},
    {"MonitorFromPoint missing",  1,    "MonitorFromPoint",     0,    4},
    {"GetMonitorInfoA missing",   1,    "GetMonitorInfoA",      0,    6},
    {"seventh missing",           1,    "EnumDisplayDevicesA",  0,    7},
};

TEST(MonitorBinding, BindTable) {
  for (const BindCase& c : kBindCases) {
    Fresh();
    State state = {};
    g_user32.loaded = c.loaded;
    g_user32.missing = c.missing;
    EXPECT_EQ(c.expectedBound, MonitorBinding::Bind(&state, &kFakePlatform)) << c.name;
    ASSERT_EQ(1u, g_user32.moduleNames.size()) << c.name;
    EXPECT_EQ("USER32", g_user32.moduleNames[0]) << c.name;
    ASSERT_EQ(c.expectedLookups, g_user32.lookups.size()) << c.name;
    for (size_t i = 0; i < c.expectedLookups; ++i) {
      EXPECT_EQ(kExpectedOrder[i], g_user32.lookups[i]) << c.name << ", lookup " << i;
    }
    // All or nothing: a partial set must not be used, even the parts found.
    void* monitor = MonitorBinding::MonitorFromPoint(&state, &kFakePlatform, ScreenPoint{5, 5});
    EXPECT_EQ(c.expectedBound ? reinterpret_cast<void*>(kRealMonitor) : Token(), monitor) << c.name;
    EXPECT_EQ(c.expectedBound, g_user32.boundFromPointCalls) << c.name << ": bound MonitorFromPoint calls";
    Info info = {};
    info.size = sizeof info;
    MonitorBinding::GetMonitorInfo(&state, &kFakePlatform, Token(), &info);
    EXPECT_EQ(c.expectedBound, g_user32.boundInfoCalls) << c.name << ": bound GetMonitorInfoA calls";
    // Nothing is retried, whichever way the first attempt went.
    EXPECT_EQ(c.expectedBound, MonitorBinding::Bind(&state, &kFakePlatform)) << c.name << ", second Bind";
    EXPECT_EQ(1u, g_user32.moduleNames.size()) << c.name << ", second Bind looked up the module";
    EXPECT_EQ(c.expectedLookups, g_user32.lookups.size()) << c.name << ", second Bind looked up functions";
  }
}

TEST(MonitorBinding, BindWaitsForAPlatform) {
  Fresh();
  State state = {};
  EXPECT_EQ(0, MonitorBinding::Bind(&state, nullptr)) << "no platform yet";
  EXPECT_EQ(Token(), MonitorBinding::MonitorFromPoint(&state, nullptr, ScreenPoint{0, 0})) << "no platform yet";
  Info info = {};
  info.size = sizeof info;
  EXPECT_EQ(0, MonitorBinding::GetMonitorInfo(&state, nullptr, Token(), &info)) << "no platform yet";
  EXPECT_EQ(1, MonitorBinding::Bind(&state, &kFakePlatform)) << "platform installed";
  EXPECT_EQ(7u, g_user32.lookups.size());
}

TEST(MonitorBinding, BoundQueriesForward) {
  Fresh();
  State state = {};
  ScreenPoint point = {-1700, 333};
  EXPECT_EQ(reinterpret_cast<void*>(kRealMonitor), MonitorBinding::MonitorFromPoint(&state, &kFakePlatform, point));
  EXPECT_EQ(-1700, g_user32.boundPoint.x);
  EXPECT_EQ(333, g_user32.boundPoint.y);
  EXPECT_EQ(1u, g_user32.boundFlags) << "MONITOR_DEFAULTTOPRIMARY";

  Info info = {};
  info.size = sizeof info;
  const int kResults[] = {1, 0};
  for (int result : kResults) {
    g_user32.boundInfoResult = result;
    EXPECT_EQ(result, MonitorBinding::GetMonitorInfo(&state, &kFakePlatform, reinterpret_cast<void*>(kRealMonitor), &info))
        << "bound result " << result;
    EXPECT_EQ(reinterpret_cast<void*>(kRealMonitor), g_user32.boundMonitor);
    EXPECT_EQ(&info, g_user32.boundRecord);
  }
  EXPECT_EQ(0, g_user32.workAreaCalls) << "bound mode asks the system, not the work area";
}

struct AnswerCase {
  const char* name;
  uintptr_t monitor;
  int recordPresent;
  uint32_t size;
  int workAreaWorks;
  int expected;
  int expectedWorkAreaCalls;
  int expectDevice;  // device name written
};

// name                                monitor                 record size        work  result calls device
const AnswerCase kAnswerCases[] = {
    {"token, extended record",         kPrimaryMonitorToken,   1,     72,         1,    1,     1,    1},
    {"token, plain record",            kPrimaryMonitorToken,   1,     40,         1,    1,     1,    0},
    {"token, size 71: no device",      kPrimaryMonitorToken,   1,     71,         1,    1,     1,    0},
    {"token, size beyond 72",          kPrimaryMonitorToken,   1,     0xffffffff, 1,    1,     1,    1},
    {"token, size 39",                 kPrimaryMonitorToken,   1,     39,         1,    0,     0,    0},
    {"token, size 0",                  kPrimaryMonitorToken,   1,     0,          1,    0,     0,    0},
    {"token, no record",               kPrimaryMonitorToken,   0,     72,         1,    0,     0,    0},
    {"other handle",                   kPrimaryMonitorToken + 1, 1,   72,         1,    0,     0,    0},
    {"null handle",                    0,                      1,     72,         1,    0,     0,    0},
    {"token, work area fails",         kPrimaryMonitorToken,   1,     72,         0,    0,     1,    0},
};

TEST(MonitorBinding, SingleScreenAnswerTable) {
  for (const AnswerCase& c : kAnswerCases) {
    Fresh();
    State state = {};
    g_user32.missing = "GetMonitorInfoA";
    ASSERT_EQ(0, MonitorBinding::Bind(&state, &kFakePlatform)) << c.name;
    g_user32.workAreaWorks = c.workAreaWorks;
    InfoEx record;
    memset(&record, 0x5a, sizeof record);
    record.info.size = c.size;
    InfoEx before = record;
    int got = MonitorBinding::GetMonitorInfo(&state, &kFakePlatform, reinterpret_cast<void*>(c.monitor),
                                             c.recordPresent ? &record.info : nullptr);
    EXPECT_EQ(c.expected, got) << c.name;
    EXPECT_EQ(c.expectedWorkAreaCalls, g_user32.workAreaCalls) << c.name << ": work-area queries";
    EXPECT_EQ(c.size, record.info.size) << c.name << ": size field";
    if (!c.expected) {
      EXPECT_EQ(0, memcmp(&before, &record, sizeof record)) << c.name << ": record must stay untouched";
      continue;
    }
    EXPECT_EQ(0, record.info.monitor.left) << c.name;
    EXPECT_EQ(0, record.info.monitor.top) << c.name;
    EXPECT_EQ(kScreenWidth, record.info.monitor.right) << c.name;
    EXPECT_EQ(kScreenHeight, record.info.monitor.bottom) << c.name;
    EXPECT_EQ(kWorkArea.left, record.info.work.left) << c.name;
    EXPECT_EQ(kWorkArea.top, record.info.work.top) << c.name;
    EXPECT_EQ(kWorkArea.right, record.info.work.right) << c.name;
    EXPECT_EQ(kWorkArea.bottom, record.info.work.bottom) << c.name;
    EXPECT_EQ(1u, record.info.flags) << c.name;
    if (c.expectDevice) {
      EXPECT_STREQ("DISPLAY", record.device) << c.name;
    } else {
      EXPECT_EQ(0, memcmp(before.device, record.device, sizeof record.device))
          << c.name << ": a record shorter than 72 bytes has no device field to write";
    }
  }
}

// Placement's bounds: two monitors side by side (all seven functions), or a
// single 1280 x 1024 screen (USER32 without GetMonitorInfoA).
void FreshForPlacement(int multiMonitor, int workAreaWorks) {
  Fresh();
  g_user32.leftMonitor = 1;
  g_user32.missing = multiMonitor ? "" : "GetMonitorInfoA";
  g_user32.workAreaWorks = workAreaWorks;
  g_user32.screenWidth = 1280;
  g_user32.screenHeight = 1024;
}

struct BoundsCase {
  const char* name;
  int multiMonitor, workAreaWorks;
  ScreenPoint cursor;
  ScreenRect expected;
};

// name                                           multi work  cursor       expected bounds
const BoundsCase kBoundsCases[] = {
    {"multi-monitor: monitor under the cursor",   1,    1,    {-5, 500},   {-1920, 0, 0, 1080}},
    {"multi-monitor: whole monitor, not work area", 1,  1,    {5, 1075},   {0, 0, 1920, 1080}},
    {"single screen: primary screen",             0,    1,    {600, 500},  {0, 0, 1280, 1024}},
    {"single screen: whatever the cursor",        0,    1,    {-700, 3000}, {0, 0, 1280, 1024}},
    {"single screen, work area fails: screen",    0,    0,    {600, 500},  {0, 0, 1280, 1024}},
};

TEST(MonitorRect, BoundsTable) {
  for (const BoundsCase& c : kBoundsCases) {
    FreshForPlacement(c.multiMonitor, c.workAreaWorks);
    State state = {};
    ScreenRect got = MonitorBinding::MonitorRect(&state, &kFakePlatform, c.cursor);
    EXPECT_EQ(c.expected.left, got.left) << c.name;
    EXPECT_EQ(c.expected.top, got.top) << c.name;
    EXPECT_EQ(c.expected.right, got.right) << c.name;
    EXPECT_EQ(c.expected.bottom, got.bottom) << c.name;
  }
}

TEST(MonitorRect, SecondMonitorEndToEnd) {
  FreshForPlacement(1, 1);
  State state = {};
  ScreenPoint cursor = {-5, 500};
  ScreenPoint got = PlacementOrigin(300, 200, cursor, MonitorBinding::MonitorRect(&state, &kFakePlatform, cursor));
  EXPECT_EQ(-5, g_user32.boundPoint.x) << "point handed to MonitorFromPoint";
  EXPECT_EQ(500, g_user32.boundPoint.y) << "point handed to MonitorFromPoint";
  EXPECT_EQ(-300, got.x);
  EXPECT_EQ(400, got.y);
}

TEST(MonitorRect, SecondPlacementLooksNothingUp) {
  FreshForPlacement(1, 1);
  State state = {};
  ScreenPoint cursor = {1000, 500};
  MonitorBinding::MonitorRect(&state, &kFakePlatform, cursor);
  EXPECT_EQ(7u, g_user32.lookups.size()) << "first placement binds all seven functions";
  MonitorBinding::MonitorRect(&state, &kFakePlatform, cursor);
  EXPECT_EQ(7u, g_user32.lookups.size()) << "second placement";
}

}  // namespace
