#include "window/dpi.h"

#include "base/system_library.h"
#include "window/monitor_shim.h"

namespace {

typedef UINT(WINAPI* DpiForWindowProc)(HWND);
typedef int(WINAPI* MetricForDpiProc)(int, UINT);
typedef BOOL(WINAPI* EnumDisplayMonitorsProc)(HDC, const RECT*, MONITORENUMPROC, LPARAM);
typedef HRESULT(WINAPI* DpiForMonitorProc)(HMONITOR, int, UINT*, UINT*);

// MDT_EFFECTIVE_DPI: the scale the user chose for the monitor.
const int kEffectiveDpi = 0;
// Every monitor's scale where the system has none per monitor: only
// sameness is ever asked of it.
const UINT kOneScaleForAll = 96;

// The scale functions arrived in Windows 10 (1607) and the monitor's in 8.1
// (in shcore.dll, which only a drag across monitors needs); an older system
// lacks some, so they are looked up rather than imported, once per process.
struct DpiBinding {
  int attempted;
  DpiForWindowProc dpiForWindow;
  MetricForDpiProc metricForDpi;
  int monitorsAttempted;
  EnumDisplayMonitorsProc enumDisplayMonitors;
  DpiForMonitorProc dpiForMonitor;
};

DpiBinding g_dpi;

void Bind() {
  if (g_dpi.attempted) return;
  g_dpi.attempted = 1;
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  DpiForWindowProc forWindow = LookupProc<DpiForWindowProc>(user32, "GetDpiForWindow");
  MetricForDpiProc forDpi = LookupProc<MetricForDpiProc>(user32, "GetSystemMetricsForDpi");
  if (!forWindow || !forDpi) return;
  g_dpi.dpiForWindow = forWindow;
  g_dpi.metricForDpi = forDpi;
}

void BindMonitors() {
  if (g_dpi.monitorsAttempted) return;
  g_dpi.monitorsAttempted = 1;
  g_dpi.enumDisplayMonitors =
      LookupProc<EnumDisplayMonitorsProc>(GetModuleHandleW(L"user32.dll"), "EnumDisplayMonitors");
  if (g_dpi.enumDisplayMonitors)
    g_dpi.dpiForMonitor = LookupProc<DpiForMonitorProc>(LoadSystemLibrary(L"shcore.dll"), "GetDpiForMonitor");
}

// The list being taken, and the rectangle whose nearest monitors it keeps
// when there are too many.
struct Listing {
  MonitorList* list;
  ScreenRect nearest;
};

// Adds monitor, with its rectangle and scale, to the listing in data; goes
// on to the next whatever the list keeps.
BOOL CALLBACK AddToListing(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  Listing* listing = reinterpret_cast<Listing*>(data);
  MonitorBinding::Info info = {};
  info.size = sizeof info;
  if (!MonitorShim::GetMonitorInfo(monitor, &info)) return TRUE;
  UINT dpiX = 0;
  UINT dpiY = 0;
  if (!g_dpi.dpiForMonitor || g_dpi.dpiForMonitor(monitor, kEffectiveDpi, &dpiX, &dpiY) != S_OK || dpiX == 0) {
    dpiX = kOneScaleForAll;
  }
  const Monitor found = {info.monitor, dpiX};
  AddToMonitors(listing->list, found, listing->nearest);
  return TRUE;
}

}  // namespace

int MetricForWindow(HWND window, int index) {
  Bind();
  UINT dpi = g_dpi.dpiForWindow ? g_dpi.dpiForWindow(window) : 0;
  int metric = dpi != 0 ? g_dpi.metricForDpi(index, dpi) : 0;
  return metric > 0 ? metric : GetSystemMetrics(index);
}

int ListMonitors(ScreenRect nearest, MonitorList* list) {
  BindMonitors();
  list->count = 0;
  Listing listing = {list, nearest};
  if (g_dpi.enumDisplayMonitors) {
    g_dpi.enumDisplayMonitors(nullptr, nullptr, AddToListing, reinterpret_cast<LPARAM>(&listing));
  }
  return list->count;
}
