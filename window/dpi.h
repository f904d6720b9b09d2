// The scale a window is shown at, for what it draws at its own size.
#pragma once
#include <windows.h>

#include "window/screen.h"

// System metric index (SM_CXSMICON, SM_CXICON, ...) at window's DPI: on
// Windows 10 (1607) and later at its own monitor's scale, elsewhere at the
// system's (GetSystemMetrics).
int MetricForWindow(HWND window, int index);

// The scale in dots per inch of the monitor holding the largest part of rect,
// the nearest when none does, and that monitor's rectangle in *bounds. Where
// the system has no scale per monitor (before Windows 8.1), or gives this
// program the same for all, every monitor has the same. 0 when no monitor can
// be found; *bounds is then unset.
UINT MonitorScaleForRect(ScreenRect rect, ScreenRect* bounds);
