#include "window/scale_rules.h"

namespace {

// The system may size the window at a new scale otherwise than it suggested
// (the dialog manager lays the template out again with the font at that
// scale, and fonts round): a place for the suggested size holds for one a
// quarter smaller or larger, grown or shrunk from its top-left corner, where
// the system places a window from.
const int kRoomNumerators[] = {3, 4, 5};
const int kRoomDenominator = 4;

// The smallest size a scale gives the dialog, against the size in proportion
// to the scale it leaves: some 8 % under at the one and 8 % over at the other
// make 0.85, and a little more is left for rounding.
const double kSmallestOfProportion = 13.0 / 16.0;

long long Overlap(int32_t a0, int32_t a1, int32_t b0, int32_t b1) {
  long long low = a0 > b0 ? a0 : b0;
  long long high = a1 < b1 ? a1 : b1;
  return high > low ? high - low : 0;
}

long long Area(ScreenRect a, ScreenRect b) {
  return Overlap(a.left, a.right, b.left, b.right) * Overlap(a.top, a.bottom, b.top, b.bottom);
}

// How far apart two spans lie; 0 when they touch or overlap.
double Gap(int32_t a0, int32_t a1, int32_t b0, int32_t b1) {
  if (a1 < b0) return static_cast<double>(b0) - a1;
  if (b1 < a0) return static_cast<double>(a0) - b1;
  return 0.0;
}

ScreenRect Offset(ScreenRect rect, long long dx, long long dy) {
  const ScreenRect moved = {ClampToInt32(rect.left + dx), ClampToInt32(rect.top + dy), ClampToInt32(rect.right + dx),
                            ClampToInt32(rect.bottom + dy)};
  return moved;
}

// An edge of a span scaled by factor around cursor, so that the cursor lies
// over the same point of the span; rounded to the nearest pixel, halves away
// from zero, so that there and back again lands within a pixel of the start.
// Worked out in floating point, which needs no 64-bit division routine in the
// 32-bit program.
int32_t ScaledEdge(int32_t cursor, int32_t edge, double factor) {
  double scaled = static_cast<double>(static_cast<long long>(edge) - cursor) * factor;
  if (scaled >= 4294967296.0) return INT32_MAX;
  if (scaled <= -4294967296.0) return INT32_MIN;
  long long rounded = scaled < 0 ? -static_cast<long long>(-scaled + 0.5) : static_cast<long long>(scaled + 0.5);
  return ClampToInt32(cursor + rounded);
}

// A rectangle of size's width and height, placed so that cursor lies over the
// same point of it as of was. An empty span of was has no point to keep, so
// size's edge stays.
ScreenRect KeepingCursor(ScreenRect was, ScreenPoint cursor, ScreenRect size) {
  long long width = static_cast<long long>(size.right) - size.left;
  long long height = static_cast<long long>(size.bottom) - size.top;
  long long wasWidth = static_cast<long long>(was.right) - was.left;
  long long wasHeight = static_cast<long long>(was.bottom) - was.top;
  ScreenRect rect = size;
  if (wasWidth > 0) {
    rect.left = ScaledEdge(cursor.x, was.left, static_cast<double>(width) / static_cast<double>(wasWidth));
  }
  if (wasHeight > 0)
    rect.top = ScaledEdge(cursor.y, was.top, static_cast<double>(height) / static_cast<double>(wasHeight));
  rect.right = ClampToInt32(rect.left + width);
  rect.bottom = ClampToInt32(rect.top + height);
  return rect;
}

// The axis the drag moves along: x unless its latest travel was mostly up or
// down.
int AlongX(ScreenPoint travel) {
  long long dx = travel.x < 0 ? -static_cast<long long>(travel.x) : travel.x;
  long long dy = travel.y < 0 ? -static_cast<long long>(travel.y) : travel.y;
  return dx >= dy;
}

// 1 when more of rect lies on monitor index than on any other, so that no
// tie leaves the choice to the system.
int LiesOn(const MonitorList* list, ScreenRect rect, int index) {
  long long on = Area(rect, list->monitors[index].bounds);
  if (on == 0) return 0;
  for (int i = 0; i < list->count; ++i) {
    if (i != index && Area(rect, list->monitors[i].bounds) >= on) return 0;
  }
  return 1;
}

// LiesOn, also for the sizes the system may give it instead of rect's.
int LiesOnWithRoom(const MonitorList* list, ScreenRect rect, int index) {
  const long long width = static_cast<long long>(rect.right) - rect.left;
  const long long height = static_cast<long long>(rect.bottom) - rect.top;
  for (int numerator : kRoomNumerators) {
    ScreenRect sized = rect;
    sized.right = ClampToInt32(rect.left + width * numerator / kRoomDenominator);
    sized.bottom = ClampToInt32(rect.top + height * numerator / kRoomDenominator);
    if (!LiesOn(list, sized, index)) return 0;
  }
  return 1;
}

// A rectangle moved along one axis, and what it must then do.
struct Slide {
  const MonitorList* list;
  ScreenRect rect;
  int alongX;
  int way;    // +1 right or down, -1 left or up
  int index;  // the monitor it must lie on
  int room;   // 1: with room for another size
};

ScreenRect Slid(const Slide* slide, long long by) {
  by *= slide->way;
  return Offset(slide->rect, slide->alongX ? by : 0, slide->alongX ? 0 : by);
}

int Holds(const Slide* slide, long long by) {
  ScreenRect rect = Slid(slide, by);
  return slide->room ? LiesOnWithRoom(slide->list, rect, slide->index) : LiesOn(slide->list, rect, slide->index);
}

// The least move in [low, high] at which the slide holds, by halving: moved
// towards the middle of a monitor, a rectangle only gains on it and loses
// elsewhere. -1 when it does not hold at high.
long long LeastMove(const Slide* slide, long long low, long long high) {
  if (low > high || !Holds(slide, high)) return -1;
  while (low < high) {
    long long middle = low + (high - low) / 2;
    if (Holds(slide, middle)) {
      high = middle;
    } else {
      low = middle + 1;
    }
  }
  return low;
}

// The greatest move in [0, high] at which the slide still holds, by halving;
// -1 when it does not hold unmoved.
long long MostMove(const Slide* slide, long long high) {
  if (!Holds(slide, 0)) return -1;
  long long low = 0;
  while (low < high) {
    long long middle = low + (high - low + 1) / 2;
    if (Holds(slide, middle)) {
      low = middle;
    } else {
      high = middle - 1;
    }
  }
  return low;
}

// rect, or rect moved towards monitor index along one axis (the drag's first,
// then the other) by the least amount that leaves it lying there, with room
// when room is 1, and cursor on it unless cursor is null, bounds included.
// 1 with *placed set; 0 when there is no such place.
int PlacedOn(const MonitorList* list, ScreenRect rect, const ScreenPoint* cursor, int alongX, int index, int room,
             ScreenRect* placed) {
  const ScreenRect& monitor = list->monitors[index].bounds;
  for (int axis = 0; axis < 2; ++axis) {
    const int x = axis == 0 ? alongX : !alongX;
    const long long nearEdge = x ? rect.left : rect.top;
    const long long farEdge = x ? rect.right : rect.bottom;
    const long long twiceMiddle =
        x ? static_cast<long long>(monitor.left) + monitor.right : static_cast<long long>(monitor.top) + monitor.bottom;
    Slide slide = {list, rect, x, twiceMiddle >= nearEdge + farEdge ? 1 : -1, index, room};
    // Beyond the monitor's middle a move only loses on it.
    long long low = 0;
    long long high = slide.way * (twiceMiddle - nearEdge - farEdge) / 2;
    if (cursor) {
      // A move along one axis cannot bring the cursor onto the other.
      const long long beside = x ? cursor->y : cursor->x;
      if (beside < (x ? rect.top : rect.left) || beside > (x ? rect.bottom : rect.right)) continue;
      const long long pointer = x ? cursor->x : cursor->y;
      const long long lowest = slide.way > 0 ? pointer - farEdge : nearEdge - pointer;
      const long long highest = slide.way > 0 ? pointer - nearEdge : farEdge - pointer;
      if (lowest > low) low = lowest;
      if (highest < high) high = highest;
    }
    const long long by = LeastMove(&slide, low, high);
    if (by >= 0) {
      *placed = Slid(&slide, by);
      return 1;
    }
  }
  return 0;
}

// target moved towards the cursor along each axis where the cursor is off it,
// by the least amount that puts the cursor on it, or as far as it keeps lying
// on monitor index.
ScreenRect UnderCursor(const MonitorList* list, ScreenRect target, ScreenPoint cursor, int index) {
  for (int x = 0; x < 2; ++x) {
    const long long pointer = x ? cursor.x : cursor.y;
    const long long nearEdge = x ? target.left : target.top;
    const long long farEdge = x ? target.right : target.bottom;
    const long long need = pointer < nearEdge ? nearEdge - pointer : pointer > farEdge ? pointer - farEdge : 0;
    if (need == 0) continue;
    Slide slide = {list, target, x, pointer < nearEdge ? -1 : 1, index, 0};
    long long by = MostMove(&slide, need);
    target = Slid(&slide, by < 0 ? need : by);
  }
  return target;
}

}  // namespace

int MonitorHolding(const MonitorList* list, ScreenRect rect) {
  int best = -1;
  long long bestArea = 0;
  for (int i = 0; i < list->count; ++i) {
    long long area = Area(rect, list->monitors[i].bounds);
    if (area > bestArea) {
      best = i;
      bestArea = area;
    }
  }
  if (best >= 0) return best;
  double bestDistance = 0.0;
  for (int i = 0; i < list->count; ++i) {
    const ScreenRect& m = list->monitors[i].bounds;
    double dx = Gap(rect.left, rect.right, m.left, m.right);
    double dy = Gap(rect.top, rect.bottom, m.top, m.bottom);
    double distance = dx * dx + dy * dy;
    if (best < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

ScreenRect PlacedForScale(const MonitorList* list, ScreenRect window, ScreenRect suggested, uint32_t dpi,
                          const ScreenPoint* cursor, ScreenPoint travel) {
  ScreenRect rect = cursor ? KeepingCursor(window, *cursor, suggested) : suggested;
  // The window has mostly crossed when the system rescales it, so its own
  // monitor is the new scale's; a suggestion may lie on either.
  int index = MonitorHolding(list, window);
  if (index < 0 || list->monitors[index].dpi != dpi) index = MonitorHolding(list, suggested);
  if (index < 0 || list->monitors[index].dpi != dpi) return rect;
  const int alongX = AlongX(travel);
  ScreenRect placed;
  // Lying on that monitor comes first: elsewhere the system would put the
  // old scale straight back. The cursor left off the window is brought back
  // by the next step.
  if (PlacedOn(list, rect, cursor, alongX, index, 1, &placed)) return placed;
  return PlacedOn(list, rect, nullptr, alongX, index, 1, &placed) ? placed : rect;
}

ScreenRect SteppedTo(const MonitorList* list, ScreenRect was, ScreenPoint cursor, ScreenPoint travel) {
  ScreenRect target = Offset(was, travel.x, travel.y);
  if (list->count == 0) return target;
  target = UnderCursor(list, target, cursor, MonitorHolding(list, target));
  const int here = MonitorHolding(list, was);
  const int there = MonitorHolding(list, target);
  const uint32_t now = list->monitors[here].dpi;
  const uint32_t next = list->monitors[there].dpi;
  if (now == next || now == 0) return target;
  // The size the new scale gives the window cannot be known before it does;
  // where its smallest likely size takes, any size it gives does.
  const double factor = kSmallestOfProportion * next / now;
  const ScreenRect smallest = {ScaledEdge(cursor.x, target.left, factor), ScaledEdge(cursor.y, target.top, factor),
                               ScaledEdge(cursor.x, target.right, factor), ScaledEdge(cursor.y, target.bottom, factor)};
  const int alongX = AlongX(travel);
  ScreenRect placed;
  if (PlacedOn(list, smallest, &cursor, alongX, there, 1, &placed)) return target;
  return PlacedOn(list, target, &cursor, alongX, here, 0, &placed) ? placed : target;
}
