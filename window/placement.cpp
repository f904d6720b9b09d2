#include "window/placement.h"

#include "window/monitor_shim.h"

namespace {

// Wide enough that no sum or difference of two coordinates overflows.
typedef long long Coord;

int Narrow(Coord value) {
  // Only reachable with absurd rectangles; keeps the result defined.
  if (value > 0x7fffffff) return 0x7fffffff;
  if (value < -0x7fffffffLL - 1) return -0x7fffffff - 1;
  return static_cast<int>(value);
}

}  // namespace

PlacePoint PlacementOrigin(int width, int height, PlacePoint cursor, PlaceRect bounds) {
  // C++ division truncates toward zero, as the halves must.
  Coord x = static_cast<Coord>(cursor.x) - width / 2;
  Coord y = static_cast<Coord>(cursor.y) - height / 2;
  // Right before left: a window wider than the monitor keeps its left edge visible.
  if (x + width > bounds.right) x = static_cast<Coord>(bounds.right) - width;
  if (x < bounds.left) x = bounds.left;
  // Top before bottom: a window taller than the monitor keeps its bottom edge
  // (where the OK and Cancel buttons sit) visible.
  if (y < bounds.top) y = bounds.top;
  if (y + height > bounds.bottom) y = static_cast<Coord>(bounds.bottom) - height;
  PlacePoint origin = {Narrow(x), Narrow(y)};
  return origin;
}

PlaceRect PlacementBounds(PlacePoint cursor) {
  MonitorShimPoint at = {cursor.x, cursor.y};
  void* monitor = MonitorShim::MonitorFromPoint(at);
  MonitorShimInfo info = {};
  info.size = sizeof info;
  // The single-screen answer fails when the work-area query does; its record
  // is then untouched, so its rectangles must not be read.
  MonitorShimRect area = MonitorShim::GetMonitorInfo(monitor, &info) ? info.monitor
                                                                     : MonitorShim::ScreenRect();
  PlaceRect bounds = {area.left, area.top, area.right, area.bottom};
  return bounds;
}
