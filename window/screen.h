// Screen coordinates as every unit of window/ works with them. The glue that
// hands them to the system checks that they lie like POINT and RECT.
#pragma once
#include <stdint.h>

struct ScreenPoint {
  int32_t x;
  int32_t y;
};

struct ScreenRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

// 1 when point lies within rect with all four bounds included, so the column
// at rect.right and the row at rect.bottom count as inside; else 0.
int PointInRect(ScreenPoint point, ScreenRect rect);

// value when it fits in 32 bits, else the nearer of INT32_MIN and INT32_MAX.
// Coordinates are worked out wide and brought back through here, so that
// absurd rectangles give a defined position instead of an overflow.
int32_t ClampToInt32(long long value);
