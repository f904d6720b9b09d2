#include "window/placement.h"

namespace {

// Wide enough that no sum or difference of two coordinates overflows.
typedef long long Coord;

}  // namespace

ScreenPoint PlacementOrigin(int32_t width, int32_t height, ScreenPoint cursor, ScreenRect bounds) {
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
  ScreenPoint origin = {ClampToInt32(x), ClampToInt32(y)};
  return origin;
}
