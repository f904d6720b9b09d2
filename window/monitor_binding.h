// Run-time binding of USER32's multi-monitor functions, with a single-screen
// answer on systems that lack any of them. Pure: the binding lives in a state
// record and the platform calls come in through a table, both handed in by
// the caller, so the same code runs natively under test.
#pragma once
#include <stdint.h>

#include "window/screen.h"

// The bound USER32 functions use the system's calling convention, which
// differs from the compiler's default only on 32-bit Windows.
#if defined(_WIN32) && !defined(_WIN64)
#define MONITOR_BINDING_API __stdcall
#else
#define MONITOR_BINDING_API
#endif

namespace MonitorBinding {

// Byte for byte MONITORINFO (40 bytes); the caller sets size.
struct Info {
  uint32_t size;
  ScreenRect monitor;
  ScreenRect work;
  uint32_t flags;
};

// Byte for byte MONITORINFOEXA (72 bytes): size at least 72 says a record is
// this one, and &ex.info is what gets passed.
struct InfoEx {
  Info info;
  char device[32];
};

static_assert(sizeof(Info) == 40, "MONITORINFO is 40 bytes");
static_assert(sizeof(InfoEx) == 72, "MONITORINFOEXA is 72 bytes");

enum : uintptr_t { kPrimaryMonitorToken = 0x12340042 };
enum {
  kMonitorDefaultToPrimary = 1,  // MONITOR_DEFAULTTOPRIMARY
  kMonitorInfoPrimary = 1,       // MONITORINFOF_PRIMARY
  kMetricScreenWidth = 0,        // SM_CXSCREEN
  kMetricScreenHeight = 1,       // SM_CYSCREEN
};

typedef void (*Proc)(void);
typedef void*(MONITOR_BINDING_API* MonitorFromPointFn)(ScreenPoint point, uint32_t flags);
typedef int(MONITOR_BINDING_API* GetMonitorInfoFn)(void* monitor, Info* info);

// The seven functions in the order they are looked up. Only two are ever
// called; the others are bound so that a system lacking any of them counts
// as single-screen. All are set or none.
struct Functions {
  Proc getSystemMetrics;
  Proc monitorFromWindow;
  Proc monitorFromRect;
  MonitorFromPointFn monitorFromPoint;
  Proc enumDisplayMonitors;
  GetMonitorInfoFn getMonitorInfoA;
  Proc enumDisplayDevicesA;
};

// Zero before the first attempt; attempted stays 1 after it, whatever it found.
struct State {
  int attempted;
  Functions bound;
};

// The platform operations the binding needs.
struct Platform {
  // GetModuleHandleA: an already loaded module, or null.
  void* (*findModule)(const char* name);
  // GetProcAddress: the named export of module, or null.
  Proc (*findProc)(void* module, const char* name);
  // GetSystemMetrics, called directly rather than through the binding.
  int (*systemMetric)(int index);
  // SystemParametersInfoA(SPI_GETWORKAREA, 0, area, 0): nonzero on success.
  int (*workArea)(ScreenRect* area);
};

// Every operation takes the state record and the platform table (kept by the
// caller; null means none yet: nothing is tried, and every query fails or
// answers with the token).

// 1 when all seven functions are bound, 0 in single-screen mode. The first
// call with a platform binds; later calls return that outcome.
int Bind(State* state, const Platform* platform);

// Monitor containing point, or the primary one; the token when not bound.
void* MonitorFromPoint(State* state, const Platform* platform, ScreenPoint point);

// Fills info (size set by the caller) for monitor; nonzero on success. Not
// bound: only the token is known, and a failure leaves info untouched.
int GetMonitorInfo(State* state, const Platform* platform, void* monitor, Info* info);

// The whole rectangle of the monitor under point; when the monitor query
// fails, the primary screen (0, 0, width, height), all zero without a platform.
ScreenRect MonitorRect(State* state, const Platform* platform, ScreenPoint point);

}  // namespace MonitorBinding
