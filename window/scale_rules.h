// Where the insert dialog may lie as it is dragged over monitors of different
// scales. Windows gives a window the scale of the monitor holding the largest
// part of it, and rescales it from inside the move that takes it there; so
// each rule here is geometry over a list of the monitors, taken from the
// system now and then, and asks the system nothing.
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

// Adds monitor to list, in the order added; a full list keeps the
// kMostMonitors nearest to rect, dropping the farthest.
void AddToMonitors(MonitorList* list, Monitor monitor, ScreenRect rect);

// The index of the monitor holding the largest part of rect, the first listed
// on a tie and the nearest where none holds any of it; -1 for an empty list.
int MonitorHolding(const MonitorList* list, ScreenRect rect);

// The index of the monitor of scale dpi that window, or else suggested,
// mostly lies on; -1 where the list has none of that scale there, as when
// the displays changed since it was taken.
int MonitorOfScale(const MonitorList* list, ScreenRect window, ScreenRect suggested, uint32_t dpi);

// Where to place a window, not dragged, that the system gives the scale dpi:
// the suggested rectangle, moved towards the middle of the monitor of that
// scale by the least amount that leaves it lying there at any size the
// system may give it instead. Suggested as it is where the list has no such
// monitor or place.
ScreenRect RectForScale(const MonitorList* list, ScreenRect window, ScreenRect suggested, uint32_t dpi);

// The same for a dragged window: at the suggested size, the cursor over the
// same point of it as of window, moved by the same search with the cursor
// kept on it; where no such place is, RectForScale's.
ScreenRect RectForDraggedScale(const MonitorList* list, ScreenRect window, ScreenRect suggested, uint32_t dpi,
                               ScreenPoint cursor);

// Where one drag step by travel from the window at was puts it, the cursor
// now at cursor: moved by travel and, where the cursor is not on it (the
// system gave it another size than foreseen), by the least move that brings
// it back under the cursor. A step onto a monitor of another scale crosses
// where the least size that scale may give finds its place there by
// RectForDraggedScale's search; elsewhere the window keeps its scale with
// the cursor on it, giving back as little of the step as it must, or else
// moved the least towards its own monitor's middle, the cursor sliding over
// it. Where neither can keep the cursor on it, it crosses all the same.
ScreenRect RectForStep(const MonitorList* list, ScreenRect was, ScreenPoint cursor, ScreenPoint travel);
