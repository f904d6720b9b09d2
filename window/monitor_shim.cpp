#include "window/monitor_shim.h"

#include <stddef.h>

namespace {

typedef void*(MONITOR_SHIM_API* MonitorFromPointFn)(MonitorShimPoint point, uint32_t flags);
typedef int(MONITOR_SHIM_API* GetMonitorInfoFn)(void* monitor, MonitorShimInfo* info);

// Lookup order matters only in that the first missing name ends the lookups.
const char* const kEntryNames[] = {
    "GetSystemMetrics", "MonitorFromWindow",   "MonitorFromRect",     "MonitorFromPoint",
    "EnumDisplayMonitors", "GetMonitorInfoA", "EnumDisplayDevicesA",
};
enum { kEntryCount = sizeof kEntryNames / sizeof kEntryNames[0] };
enum { kSlotMonitorFromPoint = 3, kSlotGetMonitorInfo = 5 };

struct ShimState {
  const MonitorShimPlatform* platform;
  int attempted;
  MonitorShimProc entries[kEntryCount];
};

ShimState g_shim;

void ClearEntries() {
  for (int i = 0; i < kEntryCount; ++i) g_shim.entries[i] = nullptr;
}

void CopyBounded(char* dest, size_t cap, const char* src) {
  size_t i = 0;
  for (; i + 1 < cap && src[i] != '\0'; ++i) dest[i] = src[i];
  for (; i < cap; ++i) dest[i] = '\0';
}

}  // namespace

namespace MonitorShim {

void SetPlatform(const MonitorShimPlatform* platform) { g_shim.platform = platform; }

int Bind() {
  if (g_shim.attempted) return g_shim.entries[kSlotGetMonitorInfo] != nullptr;
  const MonitorShimPlatform* platform = g_shim.platform;
  // Without a platform nothing can be tried yet; the real attempt comes later.
  if (platform == nullptr) return 0;
  g_shim.attempted = 1;
  // Only a USER32 that is already loaded is used; the shim never loads it.
  void* user32 = platform->findModule("USER32");
  if (user32 != nullptr) {
    int found = 0;
    while (found < kEntryCount) {
      g_shim.entries[found] = platform->findProc(user32, kEntryNames[found]);
      if (g_shim.entries[found] == nullptr) break;
      ++found;
    }
    if (found == kEntryCount) return 1;
  }
  // Half a set would mix real monitor handles with the single-screen token.
  ClearEntries();
  return 0;
}

void* MonitorFromPoint(MonitorShimPoint point) {
  if (Bind()) {
    MonitorFromPointFn bound = reinterpret_cast<MonitorFromPointFn>(g_shim.entries[kSlotMonitorFromPoint]);
    return bound(point, kMonitorDefaultToPrimary);
  }
  return reinterpret_cast<void*>(kPrimaryMonitorToken);
}

int GetMonitorInfo(void* monitor, MonitorShimInfo* info) {
  if (Bind()) {
    GetMonitorInfoFn bound = reinterpret_cast<GetMonitorInfoFn>(g_shim.entries[kSlotGetMonitorInfo]);
    return bound(monitor, info);
  }
  if (monitor != reinterpret_cast<void*>(kPrimaryMonitorToken)) return 0;
  if (info == nullptr) return 0;
  if (info->size < sizeof(MonitorShimInfo)) return 0;
  const MonitorShimPlatform* platform = g_shim.platform;
  if (platform == nullptr) return 0;
  // Queried into a local first so that a failure leaves the record as it was.
  MonitorShimRect work = {0, 0, 0, 0};
  if (!platform->workArea(&work)) return 0;
  info->monitor = ScreenRect();
  info->work = work;
  info->flags = kMonitorInfoPrimary;
  if (info->size >= sizeof(MonitorShimInfoEx)) {
    // info is the first member of the caller's extended record.
    MonitorShimInfoEx* extended = reinterpret_cast<MonitorShimInfoEx*>(info);
    CopyBounded(extended->device, sizeof extended->device, "DISPLAY");
  }
  return 1;
}

MonitorShimRect ScreenRect() {
  MonitorShimRect screen = {0, 0, 0, 0};
  const MonitorShimPlatform* platform = g_shim.platform;
  if (platform == nullptr) return screen;
  screen.right = platform->systemMetric(kMetricScreenWidth);
  screen.bottom = platform->systemMetric(kMetricScreenHeight);
  return screen;
}

void ResetForTest() {
  g_shim.platform = nullptr;
  g_shim.attempted = 0;
  ClearEntries();
}

}  // namespace MonitorShim
