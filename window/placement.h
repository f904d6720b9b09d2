// Where a window goes when it opens at the cursor: pure arithmetic over
// screen coordinates, plus the walk through MonitorShim that finds the bounds.
#pragma once

struct PlacePoint {
  int x;
  int y;
};

struct PlaceRect {
  int left;
  int top;
  int right;
  int bottom;
};

// Top-left corner for a width x height window centred on cursor (an odd pixel
// goes right of / below it), pushed inside bounds: right edge then left edge,
// top edge then bottom edge, so a too-wide window starts at bounds.left and a
// too-tall one ends at bounds.bottom. Touching right/bottom is inside.
PlacePoint PlacementOrigin(int width, int height, PlacePoint cursor, PlaceRect bounds);

// The whole rectangle of the monitor under cursor, as MonitorShim reports it;
// when the monitor query fails, the primary screen (0, 0, width, height).
PlaceRect PlacementBounds(PlacePoint cursor);
