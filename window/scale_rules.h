// Where the insert dialog may lie as it is dragged over monitors of different
// scales. Windows gives a window the scale of the monitor holding the largest
// part of it, and rescales it from inside the move that takes it there; so
// each rule here is geometry over a list of the monitors, taken from the
// system once, and asks the system nothing.
#pragma once
#include <stdint.h>

#include "window/screen.h"

enum { kMostMonitors = 16 };

struct Monitor {
  ScreenRect bounds;
  uint32_t dpi;  // its scale in dots per inch, as this program sees it
};

struct MonitorList {
  int32_t count;
  Monitor monitors[kMostMonitors];
};

// The index of the monitor holding the largest part of rect, the first listed
// on a tie and the nearest where none holds any of it; -1 for an empty list.
int MonitorHolding(const MonitorList* list, ScreenRect rect);

// Where to place a window that the system gives the scale dpi, from the
// rectangle it suggests: at the suggested size, on the monitor of that scale
// that the window, or else the suggestion, mostly lies on, with room for the
// size the system finally gives it to differ by a quarter. While dragging
// (cursor not null) the cursor stays over the same point of the window, which
// is moved along the drag (travel), or else across it, by the least amount
// that leaves it there; where no such place keeps the cursor on it, the least
// move without the cursor. With no monitor of that scale, the window at the
// suggested size as it is.
ScreenRect PlacedForScale(const MonitorList* list, ScreenRect window, ScreenRect suggested, uint32_t dpi,
                          const ScreenPoint* cursor, ScreenPoint travel);

// Where one drag step by travel from the window at was puts it, the cursor
// now at cursor. A window the cursor is not on (the system gave it another
// size than foreseen) is brought under it by the least move, as far as that
// keeps the scale it steps onto. A step onto a monitor of another scale, where
// that scale's smallest likely size could not keep the cursor on the window
// and lie there with room, keeps the window on its own monitor along the drag,
// the cursor sliding over it, until the scale can.
ScreenRect SteppedTo(const MonitorList* list, ScreenRect was, ScreenPoint cursor, ScreenPoint travel);
