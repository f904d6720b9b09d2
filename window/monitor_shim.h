// The monitor layer as the program uses it: USER32's multi-monitor functions
// bound at run time once per process, with a single-screen answer on systems
// that lack any of them. Win32 glue over MonitorBinding.
#pragma once
#include <windows.h>

// windows.h spells GetMonitorInfo as a macro for its A and W forms; the
// monitor layer's GetMonitorInfo keeps its own name wherever it is seen.
#undef GetMonitorInfo

#include "window/monitor_binding.h"
#include "window/screen.h"

namespace MonitorShim {

// 1 when all seven multi-monitor functions are bound, 0 in single-screen mode.
// The first call binds; later calls return that outcome.
int Bind();

// Monitor containing point, or the primary one; the token when not bound.
void* MonitorFromPoint(ScreenPoint point);

// Fills info (size set by the caller) for monitor; nonzero on success. Not
// bound: only the token is known, and a failure leaves info untouched.
int GetMonitorInfo(void* monitor, MonitorBinding::Info* info);

// The whole rectangle of the monitor under point; the primary screen
// (0, 0, width, height) when the monitor query fails.
ScreenRect MonitorRect(ScreenPoint point);

}  // namespace MonitorShim
