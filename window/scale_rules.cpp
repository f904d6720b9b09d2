#include "window/scale_rules.h"

namespace {

// The sizes the system may give the window at a new scale, in sixteenths of
// the size foreseen (the rectangle it suggests, or the size in proportion to
// the scale left): the dialog manager lays the template out again with the
// font at that scale, and fonts round, some 8 % under at one scale and 8 %
// over at the other; a little more is left for rounding.
const int kLeastSizeGiven = 13;
const int kSizesGiven[] = {kLeastSizeGiven, 16, 19};
const int kSixteenths = 16;

// Far enough to leave any offset between 32-bit coordinates free.
const long long kUnbounded = 1LL << 40;

enum Axis { kX, kY };
const Axis kAxes[] = {kX, kY};

long long Low(ScreenRect rect, Axis axis) { return axis == kX ? rect.left : rect.top; }
long long High(ScreenRect rect, Axis axis) { return axis == kX ? rect.right : rect.bottom; }
long long Coordinate(ScreenPoint point, Axis axis) { return axis == kX ? point.x : point.y; }

long long Overlap(ScreenRect a, ScreenRect b, Axis axis) {
  long long low = Low(a, axis) > Low(b, axis) ? Low(a, axis) : Low(b, axis);
  long long high = High(a, axis) < High(b, axis) ? High(a, axis) : High(b, axis);
  return high > low ? high - low : 0;
}

long long Area(ScreenRect a, ScreenRect b) { return Overlap(a, b, kX) * Overlap(a, b, kY); }

// The square of how far apart two rectangles lie; 0 when they touch or
// overlap.
double SquaredGap(ScreenRect a, ScreenRect b) {
  double sum = 0.0;
  for (Axis axis : kAxes) {
    double gap = 0.0;
    if (High(a, axis) < Low(b, axis)) gap = static_cast<double>(Low(b, axis) - High(a, axis));
    if (High(b, axis) < Low(a, axis)) gap = static_cast<double>(Low(a, axis) - High(b, axis));
    sum += gap * gap;
  }
  return sum;
}

ScreenRect Offset(ScreenRect rect, long long dx, long long dy) {
  const ScreenRect moved = {ClampToInt32(rect.left + dx), ClampToInt32(rect.top + dy), ClampToInt32(rect.right + dx),
                            ClampToInt32(rect.bottom + dy)};
  return moved;
}

// The integer nearest to value, halves away from zero. Coordinates are
// worked out in floating point, which needs no 64-bit division routine in
// the 32-bit program.
long long NearestInteger(double value) {
  return value < 0 ? -static_cast<long long>(-value + 0.5) : static_cast<long long>(value + 0.5);
}

// An edge of a span scaled by factor around cursor, so that the cursor lies
// over the same point of the span; rounded so that there and back again lands
// within a pixel of the start.
int32_t ScaledEdge(int32_t cursor, int32_t edge, double factor) {
  double scaled = static_cast<double>(static_cast<long long>(edge) - cursor) * factor;
  if (scaled >= 4294967296.0) return INT32_MAX;
  if (scaled <= -4294967296.0) return INT32_MIN;
  return ClampToInt32(cursor + NearestInteger(scaled));
}

// rect with every edge scaled by factor around point.
ScreenRect ScaledRect(ScreenRect rect, ScreenPoint point, double factor) {
  const ScreenRect scaled = {ScaledEdge(point.x, rect.left, factor), ScaledEdge(point.y, rect.top, factor),
                             ScaledEdge(point.x, rect.right, factor), ScaledEdge(point.y, rect.bottom, factor)};
  return scaled;
}

// A rectangle of size's width and height, placed so that cursor lies over the
// same point of it as of was. An empty span of was has no point to keep, so
// size's edge stays.
ScreenRect RectAroundCursor(ScreenRect was, ScreenPoint cursor, ScreenRect size) {
  long long low[2];
  long long length[2];
  for (Axis axis : kAxes) {
    length[axis] = High(size, axis) - Low(size, axis);
    const long long wasLength = High(was, axis) - Low(was, axis);
    low[axis] = Low(size, axis);
    if (wasLength > 0) {
      low[axis] = ScaledEdge(static_cast<int32_t>(Coordinate(cursor, axis)), static_cast<int32_t>(Low(was, axis)),
                             static_cast<double>(length[axis]) / static_cast<double>(wasLength));
    }
  }
  const ScreenRect rect = {ClampToInt32(low[kX]), ClampToInt32(low[kY]), ClampToInt32(low[kX] + length[kX]),
                           ClampToInt32(low[kY] + length[kY])};
  return rect;
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

// What a place must give. kSameScale: the monitor holding the largest part
// of the rectangle has the scale of monitor index, so the window keeps that
// scale there. kOnWithRoom: more of it lies on monitor index than on any
// other, so that no tie leaves the choice to the system, and so it does at
// every size the system may give it instead of its own, grown or shrunk from
// its top-left corner, where the system places a window from.
enum Test { kSameScale, kOnWithRoom };
struct Goal {
  const MonitorList* list;
  int index;
  Test test;
};

int Meets(const Goal* goal, ScreenRect rect) {
  const MonitorList* list = goal->list;
  const uint32_t dpi = list->monitors[goal->index].dpi;
  if (goal->test == kSameScale) return list->monitors[MonitorHolding(list, rect)].dpi == dpi;
  const long long width = static_cast<long long>(rect.right) - rect.left;
  const long long height = static_cast<long long>(rect.bottom) - rect.top;
  for (int sixteenths : kSizesGiven) {
    ScreenRect sized = rect;
    sized.right = ClampToInt32(rect.left + width * sixteenths / kSixteenths);
    sized.bottom = ClampToInt32(rect.top + height * sixteenths / kSixteenths);
    if (!LiesOn(list, sized, goal->index)) return 0;
  }
  return 1;
}

// The places a search passes: from, moved along a straight line by up to
// move, each axis's offset held within [least, most] (so that a point stays
// on it, or unbounded).
struct Route {
  ScreenRect from;
  long long move[2];
  long long least[2];
  long long most[2];
};

Route StraightRoute(ScreenRect from, long long dx, long long dy) {
  const Route route = {from, {dx, dy}, {-kUnbounded, -kUnbounded}, {kUnbounded, kUnbounded}};
  return route;
}

// A route from rect to the middle of monitor: there its share of the monitor
// is the largest it can be, and on the way each axis only gains on it.
Route RouteToMiddle(ScreenRect rect, ScreenRect monitor) {
  return StraightRoute(rect, (static_cast<long long>(monitor.left) + monitor.right - rect.left - rect.right) / 2,
                       (static_cast<long long>(monitor.top) + monitor.bottom - rect.top - rect.bottom) / 2);
}

// The route held so that point stays on the rectangle, bounds included.
Route RouteWithPointOn(Route route, ScreenPoint point) {
  for (Axis axis : kAxes) {
    route.least[axis] = Coordinate(point, axis) - High(route.from, axis);
    route.most[axis] = Coordinate(point, axis) - Low(route.from, axis);
  }
  return route;
}

long long StepCount(const Route* route) {
  long long count = 0;
  for (Axis axis : kAxes) {
    const long long length = route->move[axis] < 0 ? -route->move[axis] : route->move[axis];
    if (length > count) count = length;
  }
  return count;
}

// The rectangle at step of count along route: at most a pixel further along
// each axis than the step before.
ScreenRect RectAt(const Route* route, long long step, long long count) {
  long long offset[2];
  for (Axis axis : kAxes) {
    offset[axis] = count > 0 ? NearestInteger(static_cast<double>(route->move[axis]) * static_cast<double>(step) /
                                              static_cast<double>(count))
                             : 0;
    if (offset[axis] < route->least[axis]) offset[axis] = route->least[axis];
    if (offset[axis] > route->most[axis]) offset[axis] = route->most[axis];
  }
  return Offset(route->from, offset[kX], offset[kY]);
}

// 1 with *found set to the first rectangle on route that meets goal, found
// by halving; 0 when the route's end does not meet it. Along a route to a
// monitor's middle the rectangle's share of that monitor only grows. Where
// three monitors meet, its share of another may grow too, and the halving may
// then find a later place than the first: one that meets the goal all the
// same.
int FirstMeeting(const Route* route, const Goal* goal, ScreenRect* found) {
  const long long count = StepCount(route);
  if (!Meets(goal, RectAt(route, count, count))) return 0;
  long long low = 0;
  long long high = count;
  while (low < high) {
    long long middle = low + (high - low) / 2;
    if (Meets(goal, RectAt(route, middle, count))) {
      high = middle;
    } else {
      low = middle + 1;
    }
  }
  *found = RectAt(route, low, count);
  return 1;
}

// 1 with *placed set to rect moved towards the middle of monitor index by
// the least amount that leaves it lying there at every size the system may
// give it, with point on it; 0 where there is no such place. Both the test
// before a crossing and the placing after it search so.
int HasPlaceOn(const MonitorList* list, ScreenRect rect, ScreenPoint point, int index, ScreenRect* placed) {
  const Route route = RouteWithPointOn(RouteToMiddle(rect, list->monitors[index].bounds), point);
  const Goal goal = {list, index, kOnWithRoom};
  return FirstMeeting(&route, &goal, placed);
}

// rect moved by the least amount that puts cursor on it, bounds included.
ScreenRect RectUnderCursor(ScreenRect rect, ScreenPoint cursor) {
  long long need[2];
  for (Axis axis : kAxes) {
    const long long pointer = Coordinate(cursor, axis);
    need[axis] = pointer < Low(rect, axis)    ? pointer - Low(rect, axis)
                 : pointer > High(rect, axis) ? pointer - High(rect, axis)
                                              : 0;
  }
  return Offset(rect, need[kX], need[kY]);
}

}  // namespace

void AddToMonitors(MonitorList* list, Monitor monitor, ScreenRect rect) {
  if (list->count < kMostMonitors) {
    list->monitors[list->count++] = monitor;
    return;
  }
  int farthest = 0;
  for (int i = 1; i < list->count; ++i) {
    if (SquaredGap(list->monitors[i].bounds, rect) > SquaredGap(list->monitors[farthest].bounds, rect)) farthest = i;
  }
  if (SquaredGap(monitor.bounds, rect) >= SquaredGap(list->monitors[farthest].bounds, rect)) return;
  for (int i = farthest; i + 1 < list->count; ++i) list->monitors[i] = list->monitors[i + 1];
  list->monitors[list->count - 1] = monitor;
}

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
  for (int i = 0; i < list->count; ++i) {
    if (best < 0 || SquaredGap(rect, list->monitors[i].bounds) < SquaredGap(rect, list->monitors[best].bounds)) {
      best = i;
    }
  }
  return best;
}

int MonitorOfScale(const MonitorList* list, ScreenRect window, ScreenRect suggested, uint32_t dpi) {
  // The window has mostly crossed when the system rescales it, so its own
  // monitor is the new scale's; a suggestion may lie on either.
  int index = MonitorHolding(list, window);
  if (index < 0 || list->monitors[index].dpi != dpi) index = MonitorHolding(list, suggested);
  return index >= 0 && list->monitors[index].dpi == dpi ? index : -1;
}

ScreenRect RectForScale(const MonitorList* list, ScreenRect window, ScreenRect suggested, uint32_t dpi) {
  const int index = MonitorOfScale(list, window, suggested, dpi);
  if (index < 0) return suggested;
  const Route route = RouteToMiddle(suggested, list->monitors[index].bounds);
  const Goal goal = {list, index, kOnWithRoom};
  ScreenRect placed;
  return FirstMeeting(&route, &goal, &placed) ? placed : suggested;
}

ScreenRect RectForDraggedScale(const MonitorList* list, ScreenRect window, ScreenRect suggested, uint32_t dpi,
                               ScreenPoint cursor) {
  const ScreenRect rect = RectAroundCursor(window, cursor, suggested);
  const int index = MonitorOfScale(list, window, suggested, dpi);
  if (index < 0) return rect;
  // Lying on that monitor comes before the cursor: elsewhere the system would
  // put the old scale straight back. The cursor left off the window is
  // brought back by the next step.
  ScreenRect placed;
  return HasPlaceOn(list, rect, cursor, index, &placed) ? placed : RectForScale(list, window, suggested, dpi);
}

ScreenRect RectForStep(const MonitorList* list, ScreenRect was, ScreenPoint cursor, ScreenPoint travel) {
  // A window the cursor is not on (the system gave it another size than
  // foreseen) is brought back under it, and meets the rules below there.
  const ScreenRect target = RectUnderCursor(Offset(was, travel.x, travel.y), cursor);
  if (list->count == 0) return target;
  const int here = MonitorHolding(list, was);
  const int there = MonitorHolding(list, target);
  const uint32_t now = list->monitors[here].dpi;
  const uint32_t next = list->monitors[there].dpi;
  if (now == next || now == 0) return target;
  // The size the new scale gives the window cannot be known before it does;
  // the least it may give needs the cursor furthest onto the new monitor.
  const double least = static_cast<double>(next) * kLeastSizeGiven / (static_cast<double>(now) * kSixteenths);
  ScreenRect placed;
  if (HasPlaceOn(list, ScaledRect(target, cursor, least), cursor, there, &placed)) return target;
  // Not yet: the window gives back as little of the step as keeps its scale,
  // and the cursor slides over it; where the cursor's place on it makes the
  // window follow the step, it is moved the least towards the middle of its
  // own monitor instead.
  const Goal stay = {list, here, kSameScale};
  const Route back = RouteWithPointOn(
      StraightRoute(target, -static_cast<long long>(travel.x), -static_cast<long long>(travel.y)), cursor);
  const Route home = RouteWithPointOn(RouteToMiddle(target, list->monitors[here].bounds), cursor);
  return FirstMeeting(&back, &stay, &placed) || FirstMeeting(&home, &stay, &placed) ? placed : target;
}
