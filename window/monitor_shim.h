// Run-time binding of USER32's multi-monitor functions, with a single-screen
// answer on systems that lack any of them. Pure: the platform calls come in
// through MonitorShimPlatform, so the same code runs natively under test.
#pragma once
#include <stdint.h>

// The bound USER32 functions use the system's calling convention, which
// differs from the compiler's default only on 32-bit Windows.
#if defined(_WIN32) && !defined(_WIN64)
#define MONITOR_SHIM_API __stdcall
#else
#define MONITOR_SHIM_API
#endif

struct MonitorShimPoint {
  int32_t x;
  int32_t y;
};

struct MonitorShimRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

// Byte for byte MONITORINFO (40 bytes); the caller sets size.
struct MonitorShimInfo {
  uint32_t size;
  MonitorShimRect monitor;
  MonitorShimRect work;
  uint32_t flags;
};

// Byte for byte MONITORINFOEXA (72 bytes): size at least 72 says a record is
// this one, and &ex.info is what gets passed.
struct MonitorShimInfoEx {
  MonitorShimInfo info;
  char device[32];
};

static_assert(sizeof(MonitorShimInfo) == 40, "MONITORINFO is 40 bytes");
static_assert(sizeof(MonitorShimInfoEx) == 72, "MONITORINFOEXA is 72 bytes");

enum : uintptr_t { kPrimaryMonitorToken = 0x12340042 };
enum {
  kMonitorDefaultToPrimary = 1,  // MONITOR_DEFAULTTOPRIMARY
  kMonitorInfoPrimary = 1,       // MONITORINFOF_PRIMARY
  kMetricScreenWidth = 0,        // SM_CXSCREEN
  kMetricScreenHeight = 1,       // SM_CYSCREEN
};

typedef void (*MonitorShimProc)(void);

// The platform operations the shim needs.
struct MonitorShimPlatform {
  // GetModuleHandleA: an already loaded module, or null.
  void* (*findModule)(const char* name);
  // GetProcAddress: the named export of module, or null.
  MonitorShimProc (*findProc)(void* module, const char* name);
  // GetSystemMetrics, called directly rather than through the binding.
  int (*systemMetric)(int index);
  // SystemParametersInfoA(SPI_GETWORKAREA, 0, area, 0): nonzero on success.
  int (*workArea)(MonitorShimRect* area);
};

namespace MonitorShim {

// Installs the platform table (kept, not copied). Until one is installed
// nothing is bound and every query fails or answers with the token.
void SetPlatform(const MonitorShimPlatform* platform);

// 1 when all seven multi-monitor functions are bound, 0 in single-screen mode.
// The first call with a platform binds; later calls return that outcome.
int Bind();

// Monitor containing point, or the primary one; the token when not bound.
void* MonitorFromPoint(MonitorShimPoint point);

// Fills info (size set by the caller) for monitor; nonzero on success. Not
// bound: only the token is known, and a failure leaves info untouched.
int GetMonitorInfo(void* monitor, MonitorShimInfo* info);

// (0, 0, screen width, screen height) of the primary screen; all zero
// without a platform.
MonitorShimRect ScreenRect();

// Tests only: forgets the binding and the platform.
void ResetForTest();

}  // namespace MonitorShim
