#include "window/place_near_cursor.h"

#include "window/monitor_shim.h"
#include "window/placement.h"
#include "window/screen.h"

void PlaceNearCursor(HWND window) {
  RECT rect = {0, 0, 0, 0};
  // Not a window: there is nothing to place.
  if (!GetWindowRect(window, &rect)) return;
  // Unreadable cursor (another desktop has the input): (0, 0) puts the window
  // at the primary screen's top-left, where the dialog manager put it anyway.
  POINT cursor = {0, 0};
  if (!GetCursorPos(&cursor)) cursor.x = cursor.y = 0;
  ScreenPoint at = {cursor.x, cursor.y};
  ScreenPoint origin = PlacementOrigin(rect.right - rect.left, rect.bottom - rect.top, at, MonitorShim::MonitorRect(at));
  SetWindowPos(window, NULL, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
