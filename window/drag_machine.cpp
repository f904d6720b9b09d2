#include "window/drag_machine.h"

namespace DragMachine {

namespace {

int WithinSlop(ScreenPoint point, ScreenPoint press) {
  long long dx = static_cast<long long>(point.x) - press.x;
  long long dy = static_cast<long long>(point.y) - press.y;
  const long long slop = kSlop;
  return -slop <= dx && dx <= slop && -slop <= dy && dy <= slop;
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
  // No clamping to a monitor: the user may park the window partly off screen.
  const ScreenRect was = record->windowRect;
  const ScreenRect target = {ClampToInt32(was.left + dx), ClampToInt32(was.top + dy), ClampToInt32(was.right + dx),
                             ClampToInt32(was.bottom + dy)};
  // A move onto a monitor of another scale reports the new scale from inside
  // the move; the pointer's place in the window is then the one this step
  // aims at, so the record holds the target until the move is done.
  record->windowRect = target;
  platform->moveWindow(window, target.left, target.top);
  record->windowRect = platform->windowRect(window);
}

// The near edge (left or top) of the new span, so that cursor lies at the
// same fraction of it as of the old span [oldNear, oldFar]. An empty old span
// has no fraction to keep, so the suggested edge stays.
int32_t NearEdgeKeepingCursor(int32_t cursor, int32_t oldNear, int32_t oldFar, int32_t newNear, int32_t newFar) {
  long long oldSize = static_cast<long long>(oldFar) - oldNear;
  if (oldSize <= 0) return newNear;
  // Both factors are brought into 32 bits (only spans wider than any screen
  // lose anything), so their product stays within 62 bits.
  long long offset = ClampToInt32(static_cast<long long>(cursor) - oldNear);
  long long newSize = ClampToInt32(static_cast<long long>(newFar) - newNear);
  long long scaled = offset * newSize;
  // Nearest pixel, halves away from zero, so that there and back again lands
  // within a pixel of where the pointer started.
  long long newOffset = scaled / oldSize;
  long long rest = scaled % oldSize;
  if (2 * (rest < 0 ? -rest : rest) >= oldSize) newOffset += scaled < 0 ? -1 : 1;
  return ClampToInt32(cursor - newOffset);
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

ScreenRect RectForNewScale(Record* record, ScreenRect suggested) {
  if (!record->dragging) return suggested;
  const ScreenRect was = record->windowRect;
  const ScreenPoint cursor = record->lastCursor;
  ScreenRect rect;
  rect.left = NearEdgeKeepingCursor(cursor.x, was.left, was.right, suggested.left, suggested.right);
  rect.top = NearEdgeKeepingCursor(cursor.y, was.top, was.bottom, suggested.top, suggested.bottom);
  rect.right = ClampToInt32(static_cast<long long>(rect.left) + suggested.right - suggested.left);
  rect.bottom = ClampToInt32(static_cast<long long>(rect.top) + suggested.bottom - suggested.top);
  record->windowRect = rect;
  return rect;
}

}  // namespace DragMachine
