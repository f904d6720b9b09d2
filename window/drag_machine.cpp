#include "window/drag_machine.h"

namespace DragMachine {

namespace {

int WithinSlop(ScreenPoint point, ScreenPoint press) {
  long long dx = static_cast<long long>(point.x) - press.x;
  long long dy = static_cast<long long>(point.y) - press.y;
  const long long slop = kSlop;
  return -slop <= dx && dx <= slop && -slop <= dy && dy <= slop;
}

// The monitors the drag's rules work over, asked of the system, those nearest
// the window at nearest where there are too many; an empty list where it
// cannot tell.
void TakeMonitors(Record* record, const Platform* platform, ScreenRect nearest) {
  record->monitors.count = platform->listMonitors(nearest, &record->monitors);
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
  // the pixels moved before the drag started are never applied. The monitors
  // are listed once for the drag, not at each step.
  record->dragging = 1;
  TakeMonitors(record, platform, record->windowRect);
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
  const ScreenPoint travel = {ClampToInt32(dx), ClampToInt32(dy)};
  // No clamping to a monitor: the user may park the window partly off screen.
  const ScreenRect target = RectForStep(&record->monitors, record->windowRect, cursor, travel);
  // A move onto a monitor of another scale reports the new scale from inside
  // the move; the pointer's place in the window is then the one this step
  // aims at, so the record holds the target until the move is done.
  record->windowRect = target;
  platform->moveWindow(window, target.left, target.top);
  record->windowRect = platform->windowRect(window);
}

// The mouse was taken away from the window, so the release will go elsewhere:
// the drag ends, and a hold pending with it, which would otherwise start a
// drag again. cancelled: the system asked the window to let go of the mouse
// for a box of its own, and a hold pending without a drag ends as well;
// otherwise another window took the capture (also told after this machine
// let go), which is not taken back: letting go takes the capture from
// whichever window of the thread holds it.
void MouseTaken(Record* record, const Platform* platform, void* window, int cancelled) {
  if (!record->dragging && !cancelled) return;
  if (record->holdTimerId != 0) platform->killTimer(window, record->holdTimerId);
  record->holdTimerId = 0;
  if (record->dragging && cancelled) platform->releaseCapture(window);
  record->dragging = 0;
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
    case kCancelMode:
      MouseTaken(record, platform, window, 1);
      break;
    case kCaptureLost:
      MouseTaken(record, platform, window, 0);
      break;
    case kDisplayChange:
      if (record->dragging) TakeMonitors(record, platform, record->windowRect);
      break;
    case kDestroy:
      if (record->holdTimerId != 0) platform->killTimer(window, record->holdTimerId);
      if (record->dragging) platform->releaseCapture(window);
      break;
    case kOther:
      break;
  }
}

ScreenRect ScaleChanged(Record* record, const Platform* platform, void* window, uint32_t dpi, ScreenRect suggested) {
  // The system places the window as suggested once this returns. Placing it
  // here as well would undo the placing that met this scale, and the two
  // could go on undoing each other for as long as the pointer moves.
  if (record->placingForScale) return suggested;
  // While dragging, the window is where the step that met the scale aims it.
  const ScreenRect now = record->dragging ? record->windowRect : platform->windowRect(window);
  // A drag's own crossing onto a listed monitor asks the system nothing, so
  // that a step makes few queries. Any other new scale may come from the
  // display settings, or meet a list taken before the displays changed: the
  // monitors are asked about again.
  if (!record->dragging || MonitorOfScale(&record->monitors, now, suggested, dpi) < 0) {
    TakeMonitors(record, platform, now);
  }
  ScreenRect rect = record->dragging ? RectForDraggedScale(&record->monitors, now, suggested, dpi, record->lastCursor)
                                     : RectForScale(&record->monitors, now, suggested, dpi);
  record->placingForScale = 1;
  platform->placeWindow(window, rect);
  record->placingForScale = 0;
  // Where it lies now, and where the next move step starts from.
  rect = platform->windowRect(window);
  if (record->dragging) record->windowRect = rect;
  return rect;
}

}  // namespace DragMachine
