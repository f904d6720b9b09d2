#include "window/monitor_shim.h"

#include <stddef.h>

// The binding hands its records and points straight to USER32, so they must
// be laid out exactly like the system's own.
static_assert(sizeof(ScreenPoint) == sizeof(POINT), "POINT layout");
static_assert(offsetof(ScreenPoint, x) == offsetof(POINT, x), "POINT layout");
static_assert(offsetof(ScreenPoint, y) == offsetof(POINT, y), "POINT layout");
static_assert(sizeof(ScreenRect) == sizeof(RECT), "RECT layout");
static_assert(offsetof(ScreenRect, left) == offsetof(RECT, left), "RECT layout");
static_assert(offsetof(ScreenRect, top) == offsetof(RECT, top), "RECT layout");
static_assert(offsetof(ScreenRect, right) == offsetof(RECT, right), "RECT layout");
static_assert(offsetof(ScreenRect, bottom) == offsetof(RECT, bottom), "RECT layout");
static_assert(sizeof(MonitorBinding::Info) == sizeof(MONITORINFO), "MONITORINFO layout");
static_assert(offsetof(MonitorBinding::Info, size) == offsetof(MONITORINFO, cbSize), "MONITORINFO layout");
static_assert(offsetof(MonitorBinding::Info, monitor) == offsetof(MONITORINFO, rcMonitor), "MONITORINFO layout");
static_assert(offsetof(MonitorBinding::Info, work) == offsetof(MONITORINFO, rcWork), "MONITORINFO layout");
static_assert(offsetof(MonitorBinding::Info, flags) == offsetof(MONITORINFO, dwFlags), "MONITORINFO layout");
static_assert(sizeof(MonitorBinding::InfoEx) == sizeof(MONITORINFOEXA), "MONITORINFOEXA layout");
static_assert(offsetof(MonitorBinding::InfoEx, device) == sizeof(MONITORINFO), "MONITORINFOEXA layout");
static_assert(sizeof(MonitorBinding::InfoEx::device) == CCHDEVICENAME, "MONITORINFOEXA layout");
static_assert(MonitorBinding::kMonitorDefaultToPrimary == MONITOR_DEFAULTTOPRIMARY, "MonitorFromPoint flag");
static_assert(MonitorBinding::kMonitorInfoPrimary == MONITORINFOF_PRIMARY, "monitor flag");
static_assert(MonitorBinding::kMetricScreenWidth == SM_CXSCREEN && MonitorBinding::kMetricScreenHeight == SM_CYSCREEN,
              "metric indexes");

namespace {

void* FindModule(const char* name) { return GetModuleHandleA(name); }

MonitorBinding::Proc FindProc(void* module, const char* name) {
  return reinterpret_cast<MonitorBinding::Proc>(GetProcAddress(static_cast<HMODULE>(module), name));
}

int SystemMetric(int index) { return GetSystemMetrics(index); }

int WorkArea(ScreenRect* area) { return SystemParametersInfoA(SPI_GETWORKAREA, 0, area, 0) ? 1 : 0; }

const MonitorBinding::Platform kWin32Monitors = {FindModule, FindProc, SystemMetric, WorkArea};

// The binding of the run: made at the first query and kept to the end.
MonitorBinding::State g_monitors;

}  // namespace

namespace MonitorShim {

int Bind() { return MonitorBinding::Bind(&g_monitors, &kWin32Monitors); }

void* MonitorFromPoint(ScreenPoint point) {
  return MonitorBinding::MonitorFromPoint(&g_monitors, &kWin32Monitors, point);
}

int GetMonitorInfo(void* monitor, MonitorBinding::Info* info) {
  return MonitorBinding::GetMonitorInfo(&g_monitors, &kWin32Monitors, monitor, info);
}

ScreenRect MonitorRect(ScreenPoint point) { return MonitorBinding::MonitorRect(&g_monitors, &kWin32Monitors, point); }

}  // namespace MonitorShim
