// Where a window goes when it opens at the cursor: pure arithmetic over
// screen coordinates.
#pragma once
#include <stdint.h>

#include "window/screen.h"

// Top-left corner for a width x height window centred on cursor (an odd pixel
// goes right of / below it), pushed inside bounds: right edge then left edge,
// top edge then bottom edge, so a too-wide window starts at bounds.left and a
// too-tall one ends at bounds.bottom. Touching right/bottom is inside.
ScreenPoint PlacementOrigin(int32_t width, int32_t height, ScreenPoint cursor, ScreenRect bounds);
