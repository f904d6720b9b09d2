#include "window/place_near_cursor.h"

#include <stddef.h>

#include "window/monitor_shim.h"
#include "window/placement.h"

// The shim hands its records and points straight to USER32, so they must be
// laid out exactly like the system's own.
static_assert(sizeof(MonitorShimPoint) == sizeof(POINT), "POINT layout");
static_assert(sizeof(MonitorShimRect) == sizeof(RECT), "RECT layout");
static_assert(offsetof(MonitorShimRect, left) == offsetof(RECT, left), "RECT layout");
static_assert(offsetof(MonitorShimRect, bottom) == offsetof(RECT, bottom), "RECT layout");
static_assert(sizeof(MonitorShimInfo) == sizeof(MONITORINFO), "MONITORINFO layout");
static_assert(offsetof(MonitorShimInfo, size) == offsetof(MONITORINFO, cbSize), "MONITORINFO layout");
static_assert(offsetof(MonitorShimInfo, monitor) == offsetof(MONITORINFO, rcMonitor), "MONITORINFO layout");
static_assert(offsetof(MonitorShimInfo, work) == offsetof(MONITORINFO, rcWork), "MONITORINFO layout");
static_assert(offsetof(MonitorShimInfo, flags) == offsetof(MONITORINFO, dwFlags), "MONITORINFO layout");
static_assert(sizeof(MonitorShimInfoEx) == sizeof(MONITORINFOEXA), "MONITORINFOEXA layout");
static_assert(offsetof(MonitorShimInfoEx, device) == sizeof(MONITORINFO), "MONITORINFOEXA layout");
static_assert(sizeof(MonitorShimInfoEx::device) == CCHDEVICENAME, "MONITORINFOEXA layout");
static_assert(kMonitorDefaultToPrimary == MONITOR_DEFAULTTOPRIMARY, "MonitorFromPoint flag");
static_assert(kMonitorInfoPrimary == MONITORINFOF_PRIMARY, "monitor flag");
static_assert(kMetricScreenWidth == SM_CXSCREEN && kMetricScreenHeight == SM_CYSCREEN, "metric indexes");

namespace {

void* FindModule(const char* name) { return GetModuleHandleA(name); }

MonitorShimProc FindProc(void* module, const char* name) {
  return reinterpret_cast<MonitorShimProc>(GetProcAddress(static_cast<HMODULE>(module), name));
}

int SystemMetric(int index) { return GetSystemMetrics(index); }

int WorkArea(MonitorShimRect* area) { return SystemParametersInfoA(SPI_GETWORKAREA, 0, area, 0) ? 1 : 0; }

const MonitorShimPlatform kWin32Monitors = {FindModule, FindProc, SystemMetric, WorkArea};

}  // namespace

void PlaceNearCursor(HWND window) {
  RECT rect = {0, 0, 0, 0};
  // Not a window: there is nothing to place.
  if (!GetWindowRect(window, &rect)) return;
  // Unreadable cursor (another desktop has the input): (0, 0) puts the window
  // at the primary screen's top-left, where the dialog manager put it anyway.
  POINT cursor = {0, 0};
  if (!GetCursorPos(&cursor)) cursor.x = cursor.y = 0;
  MonitorShim::SetPlatform(&kWin32Monitors);
  PlacePoint at = {cursor.x, cursor.y};
  PlacePoint origin = PlacementOrigin(rect.right - rect.left, rect.bottom - rect.top, at, PlacementBounds(at));
  SetWindowPos(window, NULL, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
