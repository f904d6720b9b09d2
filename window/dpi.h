// The scale a window is shown at, for what it draws at its own size.
#pragma once
#include <windows.h>

#include "window/scale_rules.h"

// System metric index (SM_CXSMICON, SM_CXICON, ...) at window's DPI: on
// Windows 10 (1607) and later at its own monitor's scale, elsewhere at the
// system's (GetSystemMetrics).
int MetricForWindow(HWND window, int index);

// Every monitor's rectangle and scale in dots per inch into *list, or, past
// kMostMonitors, the monitors nearest to nearest; the count. Where the system
// has no scale per monitor (before Windows 8.1), or gives this program the
// same for all, every monitor has the same. 0 when the monitors cannot be
// listed.
int ListMonitors(ScreenRect nearest, MonitorList* list);
