// The scale a window is shown at, for what it draws at its own size.
#pragma once
#include <windows.h>

// System metric index (SM_CXSMICON, SM_CXICON, ...) at window's DPI: on
// Windows 10 (1607) and later at its own monitor's scale, elsewhere at the
// system's (GetSystemMetrics).
int MetricForWindow(HWND window, int index);
