// Run-time binding of the multi-monitor functions and the single-screen answer.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "window/monitor_shim.h"

namespace {

const char* const kExpectedOrder[] = {
    "GetSystemMetrics", "MonitorFromWindow", "MonitorFromRect", "MonitorFromPoint",
    "EnumDisplayMonitors", "GetMonitorInfoA", "EnumDisplayDevicesA",
};

struct FakeUser32 {
  int loaded;                // GetModuleHandleA finds USER32
  std::string missing;       // the one export GetProcAddress does not find
  int workAreaWorks;
  int boundInfoResult;       // what the bound GetMonitorInfoA returns
  std::vector<std::string> moduleNames;
  std::vector<std::string> lookups;
  int workAreaCalls;
  int boundFromPointCalls;
  MonitorShimPoint boundPoint;
  uint32_t boundFlags;
  int boundInfoCalls;
  void* boundMonitor;
  MonitorShimInfo* boundRecord;
};
FakeUser32 g_user32;

char g_moduleHandle;  // any distinct address stands for the module
const uintptr_t kRealMonitor = 0x10001;

void* MONITOR_SHIM_API BoundMonitorFromPoint(MonitorShimPoint point, uint32_t flags) {
  ++g_user32.boundFromPointCalls;
  g_user32.boundPoint = point;
  g_user32.boundFlags = flags;
  return reinterpret_cast<void*>(kRealMonitor);
}

int MONITOR_SHIM_API BoundGetMonitorInfo(void* monitor, MonitorShimInfo* info) {
  ++g_user32.boundInfoCalls;
  g_user32.boundMonitor = monitor;
  g_user32.boundRecord = info;
  return g_user32.boundInfoResult;
}

void OtherExport() {}

void* FindModule(const char* name) {
  g_user32.moduleNames.push_back(name);
  return g_user32.loaded ? &g_moduleHandle : nullptr;
}

MonitorShimProc FindProc(void* module, const char* name) {
  g_user32.lookups.push_back(name);
  if (module != &g_moduleHandle || g_user32.missing == name) return nullptr;
  if (strcmp(name, "MonitorFromPoint") == 0) return reinterpret_cast<MonitorShimProc>(BoundMonitorFromPoint);
  if (strcmp(name, "GetMonitorInfoA") == 0) return reinterpret_cast<MonitorShimProc>(BoundGetMonitorInfo);
  return OtherExport;
}

const int kScreenWidth = 1366, kScreenHeight = 768;
const MonitorShimRect kWorkArea = {0, 0, 1366, 728};

int SystemMetric(int index) {
  if (index == kMetricScreenWidth) return kScreenWidth;
  if (index == kMetricScreenHeight) return kScreenHeight;
  return -1;
}

int WorkArea(MonitorShimRect* area) {
  ++g_user32.workAreaCalls;
  if (!g_user32.workAreaWorks) return 0;
  *area = kWorkArea;
  return 1;
}

const MonitorShimPlatform kFakePlatform = {FindModule, FindProc, SystemMetric, WorkArea};

void* Token() { return reinterpret_cast<void*>(kPrimaryMonitorToken); }

class MonitorShimTest : public ::testing::Test {
 protected:
  void SetUp() override { Fresh(); }
  void TearDown() override { MonitorShim::ResetForTest(); }
  static void Fresh() {
    MonitorShim::ResetForTest();
    g_user32 = FakeUser32();
    g_user32.loaded = 1;
    g_user32.workAreaWorks = 1;
    g_user32.boundInfoResult = 1;
    MonitorShim::SetPlatform(&kFakePlatform);
  }
};

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

TEST_F(MonitorShimTest, BindTable) {
  for (const BindCase& c : kBindCases) {
    Fresh();
    g_user32.loaded = c.loaded;
    g_user32.missing = c.missing;
    EXPECT_EQ(c.expectedBound, MonitorShim::Bind()) << c.name;
    ASSERT_EQ(1u, g_user32.moduleNames.size()) << c.name;
    EXPECT_EQ("USER32", g_user32.moduleNames[0]) << c.name;
    ASSERT_EQ(c.expectedLookups, g_user32.lookups.size()) << c.name;
    for (size_t i = 0; i < c.expectedLookups; ++i) {
      EXPECT_EQ(kExpectedOrder[i], g_user32.lookups[i]) << c.name << ", lookup " << i;
    }
    // All or nothing: a partial set must not be used, even the parts found.
    void* monitor = MonitorShim::MonitorFromPoint(MonitorShimPoint{5, 5});
    EXPECT_EQ(c.expectedBound ? reinterpret_cast<void*>(kRealMonitor) : Token(), monitor) << c.name;
    EXPECT_EQ(c.expectedBound, g_user32.boundFromPointCalls) << c.name << ": bound MonitorFromPoint calls";
    MonitorShimInfo info = {};
    info.size = sizeof info;
    MonitorShim::GetMonitorInfo(Token(), &info);
    EXPECT_EQ(c.expectedBound, g_user32.boundInfoCalls) << c.name << ": bound GetMonitorInfoA calls";
    // Nothing is retried, whichever way the first attempt went.
    EXPECT_EQ(c.expectedBound, MonitorShim::Bind()) << c.name << ", second Bind";
    EXPECT_EQ(1u, g_user32.moduleNames.size()) << c.name << ", second Bind looked up the module";
    EXPECT_EQ(c.expectedLookups, g_user32.lookups.size()) << c.name << ", second Bind looked up functions";
  }
}

TEST_F(MonitorShimTest, BindWaitsForAPlatform) {
  MonitorShim::ResetForTest();
  EXPECT_EQ(0, MonitorShim::Bind()) << "no platform yet";
  EXPECT_EQ(Token(), MonitorShim::MonitorFromPoint(MonitorShimPoint{0, 0})) << "no platform yet";
  MonitorShimInfo info = {};
  info.size = sizeof info;
  EXPECT_EQ(0, MonitorShim::GetMonitorInfo(Token(), &info)) << "no platform yet";
  MonitorShim::SetPlatform(&kFakePlatform);
  EXPECT_EQ(1, MonitorShim::Bind()) << "platform installed";
  EXPECT_EQ(7u, g_user32.lookups.size());
}

TEST_F(MonitorShimTest, BoundQueriesForward) {
  MonitorShimPoint point = {-1700, 333};
  EXPECT_EQ(reinterpret_cast<void*>(kRealMonitor), MonitorShim::MonitorFromPoint(point));
  EXPECT_EQ(-1700, g_user32.boundPoint.x);
  EXPECT_EQ(333, g_user32.boundPoint.y);
  EXPECT_EQ(1u, g_user32.boundFlags) << "MONITOR_DEFAULTTOPRIMARY";

  MonitorShimInfo info = {};
  info.size = sizeof info;
  const int kResults[] = {1, 0};
  for (int result : kResults) {
    g_user32.boundInfoResult = result;
    EXPECT_EQ(result, MonitorShim::GetMonitorInfo(reinterpret_cast<void*>(kRealMonitor), &info))
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

TEST_F(MonitorShimTest, SingleScreenAnswerTable) {
  for (const AnswerCase& c : kAnswerCases) {
    Fresh();
    g_user32.missing = "GetMonitorInfoA";
    ASSERT_EQ(0, MonitorShim::Bind()) << c.name;
    g_user32.workAreaWorks = c.workAreaWorks;
    MonitorShimInfoEx record;
    memset(&record, 0x5a, sizeof record);
    record.info.size = c.size;
    MonitorShimInfoEx before = record;
    int got = MonitorShim::GetMonitorInfo(reinterpret_cast<void*>(c.monitor), c.recordPresent ? &record.info : nullptr);
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

}  // namespace
