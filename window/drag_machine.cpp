#include "window/drag_machine.h"

namespace DragMachine {

namespace {

int WithinSlop(ScreenPoint point, ScreenPoint press) {
  long long dx = static_cast<long long>(point.x) - press.x;
  long long dy = static_cast<long long>(point.y) - press.y;
  const long long slop = kSlop;
  return -slop <= dx && dx <= slop && -slop <= dy && dy <= slop;
}

int SameRect(ScreenRect a, ScreenRect b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

ScreenRect Offset(ScreenRect rect, long long dx, long long dy) {
  const ScreenRect moved = {ClampToInt32(rect.left + dx), ClampToInt32(rect.top + dy), ClampToInt32(rect.right + dx),
                            ClampToInt32(rect.bottom + dy)};
  return moved;
}

// An edge of a span scaled by numerator / denominator around cursor, so that
// the cursor lies over the same point of the span; rounded to the nearest
// pixel, halves away from zero, so that there and back again lands within a
// pixel of the start. Worked out in floating point, which needs no 64-bit
// division routine in the 32-bit program.
int32_t ScaledEdge(int32_t cursor, int32_t edge, double numerator, double denominator) {
  double scaled = static_cast<double>(static_cast<long long>(edge) - cursor) * numerator / denominator;
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
  if (wasWidth > 0)
    rect.left = ScaledEdge(cursor.x, was.left, static_cast<double>(width), static_cast<double>(wasWidth));
  if (wasHeight > 0)
    rect.top = ScaledEdge(cursor.y, was.top, static_cast<double>(height), static_cast<double>(wasHeight));
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

// 1 when the largest part of rect lies on the monitor whose rectangle is
// *monitor.
int LiesOn(const Platform* platform, void* window, const ScreenRect* rect, const ScreenRect* monitor) {
  ScreenRect bounds;
  return platform->monitorAt(window, *rect, &bounds) != 0 && SameRect(bounds, *monitor);
}

// No monitor is this wide, so no move along one axis need be longer.
const long long kLongestShift = 1 << 16;

// rect, or rect moved towards *monitor along the x or y axis by the least
// amount that leaves its largest part there while cursor stays on it, bounds
// included. 1 with *placed set; 0 when there is no such place.
int MovedOnto(const Platform* platform, void* window, const ScreenRect* rect, ScreenPoint cursor, int alongX,
              const ScreenRect* monitor, ScreenRect* placed) {
  *placed = *rect;
  if (LiesOn(platform, window, rect, monitor)) return 1;
  long long pointer = alongX ? cursor.x : cursor.y;
  long long nearEdge = alongX ? rect->left : rect->top;
  long long farEdge = alongX ? rect->right : rect->bottom;
  long long twiceCentre = alongX ? static_cast<long long>(monitor->left) + monitor->right
                                 : static_cast<long long>(monitor->top) + monitor->bottom;
  int32_t way = twiceCentre > nearEdge + farEdge ? 1 : -1;
  long long room = way > 0 ? pointer - nearEdge : farEdge - pointer;
  for (int32_t shift = 1; shift <= room && shift <= kLongestShift; ++shift) {
    *placed = Offset(*rect, alongX ? way * shift : 0, alongX ? 0 : way * shift);
    if (LiesOn(platform, window, placed, monitor)) return 1;
  }
  return 0;
}

// A move from was to target that takes the largest part of the window onto a
// monitor of another scale makes the system rescale it around the pointer. If
// that scale's size could not keep the pointer on the window and lie mostly on
// that monitor, the system would rescale it back at once, over and over while
// the pointer moves; so until the scale can take, the window is held back
// along the drag on its own monitor, and the pointer slides over it. The size
// at the new scale is taken as proportional, less a thirty-second, since the
// system's size for it rounds the dialog's layout: a place found for the
// smaller size holds for the real one, which only reaches further.
ScreenRect HeldForScale(const Record* record, const Platform* platform, void* window, ScreenRect was,
                        ScreenRect target) {
  ScreenRect here;
  ScreenRect there;
  uint32_t now = platform->monitorAt(window, was, &here);
  uint32_t next = platform->monitorAt(window, target, &there);
  if (now == 0 || next == 0 || now == next) return target;
  const ScreenPoint cursor = record->lastCursor;
  const int alongX = AlongX(record->lastTravel);
  const double numerator = 31.0 * next;
  const double denominator = 32.0 * now;
  const ScreenRect scaled = {ScaledEdge(cursor.x, target.left, numerator, denominator),
                             ScaledEdge(cursor.y, target.top, numerator, denominator),
                             ScaledEdge(cursor.x, target.right, numerator, denominator),
                             ScaledEdge(cursor.y, target.bottom, numerator, denominator)};
  ScreenRect placed;
  if (MovedOnto(platform, window, &scaled, cursor, alongX, &there, &placed)) return target;
  return MovedOnto(platform, window, &target, cursor, alongX, &here, &placed) ? placed : target;
}

// Shared by the timer and by a move that leaves the slop with the button held.
void HoldExpired(Record* record, const Platform* platform, void* window) {
  // Whatever follows, this hold is over: the timer fires at most once.
  if (record->holdTimerId != 0) platform->killTimer(window, record->holdTimerId);
  record->holdTimerId = 0;
  if (!platform->leftButtonHeld(window)) return;
  if (record->dragging) return;
  record->windowRect = platform->windowRect(window);
  record->lastCursor = platform->cursorPos(window);
  if (!PointInRect(record->lastCursor, record->windowRect)) return;
  // The window stays put here: travel counts from this cursor position on, so
  // the pixels moved before the drag started are never applied.
  record->dragging = 1;
  platform->showDragCursor(window);
  platform->setCapture(window);
}

void MoveStep(Record* record, const Platform* platform, void* window, ScreenPoint cursor) {
  // The button state is read now rather than taken from the message, so a
  // button-up that went to another window still ends the drag here.
  if (!platform->leftButtonHeld(window)) {
    record->dragging = 0;
    platform->releaseCapture(window);
    return;
  }
  platform->showDragCursor(window);
  ScreenPoint previous = record->lastCursor;
  record->lastCursor = cursor;
  long long dx = static_cast<long long>(cursor.x) - previous.x;
  long long dy = static_cast<long long>(cursor.y) - previous.y;
  if (dx == 0 && dy == 0) return;
  record->lastTravel.x = ClampToInt32(dx);
  record->lastTravel.y = ClampToInt32(dy);
  // No clamping to a monitor: the user may park the window partly off screen.
  const ScreenRect was = record->windowRect;
  const ScreenRect target = HeldForScale(record, platform, window, was, Offset(was, dx, dy));
  // A move onto a monitor of another scale reports the new scale from inside
  // the move; the pointer's place in the window is then the one this step
  // aims at, so the record holds the target until the move is done.
  record->windowRect = target;
  platform->moveWindow(window, target.left, target.top);
  record->windowRect = platform->windowRect(window);
}

void ButtonDown(Record* record, const Platform* platform, void* window) {
  record->pressPoint = platform->cursorPos(window);
  if (record->holdTimerId != 0) {
    // A second press inside the hold time cancels the hold rather than
    // starting a new one. The second press of a double click is not one: the
    // dialog's class asks for double clicks, so it arrives as
    // WM_LBUTTONDBLCLK, which is no press here, and a double-click-and-hold
    // drags from the first press's hold. Only a press released and made again
    // away from the first or after the double-click time comes here.
    platform->killTimer(window, record->holdTimerId);
    record->holdTimerId = 0;
    return;
  }
  if (platform->cursorInWindow(window)) {
    // A failed start stores 0, so that press leaves no hold pending.
    record->holdTimerId = platform->setTimer(window, kHoldTimerId, kHoldTimeMs);
  }
}

void MouseMove(Record* record, const Platform* platform, void* window) {
  ScreenPoint cursor = platform->cursorPos(window);
  if (record->dragging) {
    MoveStep(record, platform, window, cursor);
    return;
  }
  if (record->holdTimerId != 0) {
    if (WithinSlop(cursor, record->pressPoint)) {
      platform->showHoverCursor(window);
      return;
    }
    if (platform->leftButtonHeld(window)) {
      HoldExpired(record, platform, window);
      return;
    }
  }
  platform->showHoverCursor(window);
}

}  // namespace

void Handle(Record* record, const Platform* platform, void* window, Message message, uint64_t timerId) {
  switch (message) {
    case kLeftButtonDown:
      ButtonDown(record, platform, window);
      break;
    case kTimer:
      // Id 0 never names a hold: with none pending, a stray timer of id 0
      // must not start a drag.
      if (record->holdTimerId != 0 && timerId == record->holdTimerId) HoldExpired(record, platform, window);
      break;
    case kMouseMove:
      MouseMove(record, platform, window);
      break;
    case kLeftButtonUp:
      // A pending hold is left alone; its expiry finds the button up.
      if (record->dragging) {
        record->dragging = 0;
        platform->releaseCapture(window);
      }
      break;
    case kDestroy:
      if (record->holdTimerId != 0) platform->killTimer(window, record->holdTimerId);
      if (record->dragging) platform->releaseCapture(window);
      break;
    case kOther:
      break;
  }
}

ScreenRect ScaleChanged(Record* record, const Platform* platform, void* window, ScreenRect suggested) {
  // The system places the window as suggested once this returns. Placing it
  // here as well would undo the placing that met this scale, and the two
  // could go on undoing each other for as long as the pointer moves.
  if (record->placingForScale) return suggested;
  ScreenRect rect = suggested;
  if (record->dragging) {
    // The new scale's monitor is the suggestion's: the window still counts as
    // on the monitor it is leaving.
    ScreenRect monitor;
    const ScreenRect kept = KeepingCursor(record->windowRect, record->lastCursor, suggested);
    if (!platform->monitorAt(window, suggested, &monitor)) {
      rect = kept;
    } else if (!MovedOnto(platform, window, &kept, record->lastCursor, AlongX(record->lastTravel), &monitor, &rect)) {
      rect = suggested;
    }
  }
  record->placingForScale = 1;
  platform->placeWindow(window, rect);
  record->placingForScale = 0;
  // Where it lies now, and where the next move step starts from.
  rect = platform->windowRect(window);
  if (record->dragging) record->windowRect = rect;
  return rect;
}

}  // namespace DragMachine
