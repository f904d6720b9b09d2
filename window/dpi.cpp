#include "window/dpi.h"

#include "base/system_library.h"
#include "window/monitor_shim.h"

namespace {

typedef UINT(WINAPI* DpiForWindowProc)(HWND);
typedef int(WINAPI* MetricForDpiProc)(int, UINT);
typedef HMONITOR(WINAPI* MonitorFromRectProc)(const RECT*, DWORD);
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
  MonitorFromRectProc monitorFromRect;
  DpiForMonitorProc dpiForMonitor;
};

DpiBinding g_dpi;

template <typename Proc>
Proc Lookup(HMODULE module, const char* name) {
  FARPROC found = module ? GetProcAddress(module, name) : nullptr;
  return reinterpret_cast<Proc>(reinterpret_cast<void*>(found));
}

void Bind() {
  if (g_dpi.attempted) return;
  g_dpi.attempted = 1;
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  DpiForWindowProc forWindow = Lookup<DpiForWindowProc>(user32, "GetDpiForWindow");
  MetricForDpiProc forDpi = Lookup<MetricForDpiProc>(user32, "GetSystemMetricsForDpi");
  if (!forWindow || !forDpi) return;
  g_dpi.dpiForWindow = forWindow;
  g_dpi.metricForDpi = forDpi;
}

void BindMonitors() {
  if (g_dpi.monitorsAttempted) return;
  g_dpi.monitorsAttempted = 1;
  g_dpi.monitorFromRect = Lookup<MonitorFromRectProc>(GetModuleHandleW(L"user32.dll"), "MonitorFromRect");
  if (g_dpi.monitorFromRect)
    g_dpi.dpiForMonitor = Lookup<DpiForMonitorProc>(LoadSystemLibrary(L"shcore.dll"), "GetDpiForMonitor");
}

}  // namespace

int MetricForWindow(HWND window, int index) {
  Bind();
  UINT dpi = g_dpi.dpiForWindow ? g_dpi.dpiForWindow(window) : 0;
  int metric = dpi != 0 ? g_dpi.metricForDpi(index, dpi) : 0;
  return metric > 0 ? metric : GetSystemMetrics(index);
}

UINT MonitorScaleForRect(const RECT* rect, RECT* bounds) {
  BindMonitors();
  HMONITOR monitor = g_dpi.monitorFromRect ? g_dpi.monitorFromRect(rect, MONITOR_DEFAULTTONEAREST) : nullptr;
  MonitorBinding::Info info = {};
  info.size = sizeof info;
  if (!monitor || !MonitorShim::GetMonitorInfo(monitor, &info)) return 0;
  bounds->left = info.monitor.left;
  bounds->top = info.monitor.top;
  bounds->right = info.monitor.right;
  bounds->bottom = info.monitor.bottom;
  UINT dpiX = 0;
  UINT dpiY = 0;
  if (!g_dpi.dpiForMonitor || g_dpi.dpiForMonitor(monitor, kEffectiveDpi, &dpiX, &dpiY) != S_OK || dpiX == 0) {
    return kOneScaleForAll;
  }
  return dpiX;
}
