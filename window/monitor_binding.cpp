#include "window/monitor_binding.h"

#include <stddef.h>

namespace MonitorBinding {

namespace {

// Sets *field to the named export of module; 1 when there is one.
template <typename Fn>
int Found(Fn* field, const Platform* platform, void* module, const char* name) {
  *field = reinterpret_cast<Fn>(platform->findProc(module, name));
  return *field != nullptr;
}

void CopyBounded(char* dest, size_t cap, const char* src) {
  size_t i = 0;
  for (; i + 1 < cap && src[i] != '\0'; ++i) dest[i] = src[i];
  for (; i < cap; ++i) dest[i] = '\0';
}

// (0, 0, screen width, screen height) of the primary screen; all zero
// without a platform.
ScreenRect PrimaryScreen(const Platform* platform) {
  ScreenRect screen = {0, 0, 0, 0};
  if (platform == nullptr) return screen;
  screen.right = platform->systemMetric(kMetricScreenWidth);
  screen.bottom = platform->systemMetric(kMetricScreenHeight);
  return screen;
}

}  // namespace

int Bind(State* state, const Platform* platform) {
  if (state->attempted) return state->bound.getMonitorInfoA != nullptr;
  // Without a platform nothing can be tried yet; the real attempt comes later.
  if (platform == nullptr) return 0;
  state->attempted = 1;
  // Only a USER32 that is already loaded is used; the binding never loads it.
  void* user32 = platform->findModule("USER32");
  if (user32 == nullptr) return 0;
  // The first missing name ends the lookups. Half a set would mix real
  // monitor handles with the single-screen token, so it is not kept.
  Functions f = {};
  int all = Found(&f.getSystemMetrics, platform, user32, "GetSystemMetrics") &&
            Found(&f.monitorFromWindow, platform, user32, "MonitorFromWindow") &&
            Found(&f.monitorFromRect, platform, user32, "MonitorFromRect") &&
            Found(&f.monitorFromPoint, platform, user32, "MonitorFromPoint") &&
            Found(&f.enumDisplayMonitors, platform, user32, "EnumDisplayMonitors") &&
            Found(&f.getMonitorInfoA, platform, user32, "GetMonitorInfoA") &&
            Found(&f.enumDisplayDevicesA, platform, user32, "EnumDisplayDevicesA");
  if (!all) return 0;
  state->bound = f;
  return 1;
}

void* MonitorFromPoint(State* state, const Platform* platform, ScreenPoint point) {
  if (Bind(state, platform)) return state->bound.monitorFromPoint(point, kMonitorDefaultToPrimary);
  return reinterpret_cast<void*>(kPrimaryMonitorToken);
}

int GetMonitorInfo(State* state, const Platform* platform, void* monitor, Info* info) {
  if (Bind(state, platform)) return state->bound.getMonitorInfoA(monitor, info);
  if (monitor != reinterpret_cast<void*>(kPrimaryMonitorToken)) return 0;
  if (info == nullptr) return 0;
  if (info->size < sizeof(Info)) return 0;
  if (platform == nullptr) return 0;
  // Queried into a local first so that a failure leaves the record as it was.
  ScreenRect work = {0, 0, 0, 0};
  if (!platform->workArea(&work)) return 0;
  info->monitor = PrimaryScreen(platform);
  info->work = work;
  info->flags = kMonitorInfoPrimary;
  if (info->size >= sizeof(InfoEx)) {
    // info is the first member of the caller's extended record.
    InfoEx* extended = reinterpret_cast<InfoEx*>(info);
    CopyBounded(extended->device, sizeof extended->device, "DISPLAY");
  }
  return 1;
}

ScreenRect MonitorRect(State* state, const Platform* platform, ScreenPoint point) {
  void* monitor = MonitorFromPoint(state, platform, point);
  // Only the plain record is asked for. It lies in room for the extended one
  // because the compiler, seeing both here, cannot rule out the path that
  // writes the device name.
  InfoEx record = {};
  record.info.size = sizeof record.info;
  // The single-screen answer fails when the work-area query does; its record
  // is then untouched, so its rectangles must not be read.
  return GetMonitorInfo(state, platform, monitor, &record.info) ? record.info.monitor : PrimaryScreen(platform);
}

}  // namespace MonitorBinding
