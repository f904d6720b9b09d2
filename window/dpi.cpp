#include "window/dpi.h"

namespace {

typedef UINT(WINAPI* DpiForWindowProc)(HWND);
typedef int(WINAPI* MetricForDpiProc)(int, UINT);

// Both arrived in Windows 10 (1607); an older system has neither or only one,
// so they are looked up rather than imported, once per process.
struct DpiBinding {
  int attempted;
  DpiForWindowProc dpiForWindow;
  MetricForDpiProc metricForDpi;
};

DpiBinding g_dpi;

void Bind() {
  if (g_dpi.attempted) return;
  g_dpi.attempted = 1;
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (!user32) return;
  FARPROC forWindow = GetProcAddress(user32, "GetDpiForWindow");
  FARPROC forDpi = GetProcAddress(user32, "GetSystemMetricsForDpi");
  if (!forWindow || !forDpi) return;
  g_dpi.dpiForWindow = reinterpret_cast<DpiForWindowProc>(reinterpret_cast<void*>(forWindow));
  g_dpi.metricForDpi = reinterpret_cast<MetricForDpiProc>(reinterpret_cast<void*>(forDpi));
}

}  // namespace

int MetricForWindow(HWND window, int index) {
  Bind();
  UINT dpi = g_dpi.dpiForWindow ? g_dpi.dpiForWindow(window) : 0;
  int metric = dpi != 0 ? g_dpi.metricForDpi(index, dpi) : 0;
  return metric > 0 ? metric : GetSystemMetrics(index);
}
