// The press-and-hold drag of the caption-less insert dialog, as a pure state
// machine: the record, the message kinds it reacts to, and the platform calls
// it makes, handed in as a table so the machine runs natively under test.
#pragma once
#include <stdint.h>

#include "window/screen.h"

namespace DragMachine {

enum : uint32_t {
  kHoldTimerId = 120,
  kHoldTimeMs = 500,
  kSlop = 2,  // pixels each way from the press point, bounds included
};

// Idle: holdTimerId 0, dragging 0. Hold pending: holdTimerId set. Dragging:
// dragging 1 and the window holds the mouse capture.
struct Record {
  int32_t dragging;
  uint32_t holdTimerId;     // what the timer start returned; 0 = no hold pending
  ScreenPoint pressPoint;   // cursor at the latest left-button press
  ScreenPoint lastCursor;   // cursor at the drag's start and after every move step
  ScreenRect windowRect;    // window at the drag's start and after every move step
  ScreenPoint lastTravel;   // the cursor's travel in the latest move step: the
                            // drag's direction
  int32_t placingForScale;  // 1 while the window is being placed for a new scale
};

enum Message { kOther, kDestroy, kTimer, kMouseMove, kLeftButtonDown, kLeftButtonUp };

// Every call gets the window the message belongs to.
struct Platform {
  ScreenPoint (*cursorPos)(void* window);  // screen coordinates, read now
  ScreenRect (*windowRect)(void* window);  // screen coordinates, read now
  int (*cursorInWindow)(void* window);     // 1 when the cursor lies in the window,
                                           // bounds included; read now
  int (*leftButtonHeld)(void* window);     // the logical left button, read now
  uint32_t (*setTimer)(void* window, uint32_t id,
                       uint32_t milliseconds);  // 0 on failure
  void (*killTimer)(void* window, uint32_t id);
  void (*showDragCursor)(void* window);
  void (*showHoverCursor)(void* window);
  void (*setCapture)(void* window);
  void (*releaseCapture)(void* window);
  void (*moveWindow)(void* window, int32_t left,
                     int32_t top);  // keeps size and z-order
  void (*placeWindow)(void* window,
                      ScreenRect rect);  // keeps z-order and activation
  // The monitor holding the largest part of rect, the nearest when none does:
  // its rectangle into *bounds, and its scale in dots per inch as this program
  // sees it; 0 when the system cannot tell (bounds then unset).
  uint32_t (*monitorAt)(void* window, ScreenRect rect, ScreenRect* bounds);
};

// Advances record for one message of window; timerId is the timer message's
// id and is read for kTimer only. Reports nothing; the caller goes on to
// handle the message itself. A move step that would take the largest part of
// the window onto a monitor of another scale, where that scale's size could
// not keep the pointer on the window and lie mostly on that monitor, keeps
// the window on its own monitor along the drag, the pointer sliding over it,
// until the scale can.
void Handle(Record* record, const Platform* platform, void* window, Message message, uint64_t timerId);

// Places window for a new scale, from the rectangle the system suggests, and
// returns where it lies then, for the system's own handling to agree with.
// While dragging: the suggested size with the pointer over the same point of
// the window, moved along the drag by the least amount that leaves the largest
// part of the window on the new scale's monitor, or the suggestion as it is
// where no such place keeps the pointer on the window; the drag goes on from
// there. Otherwise the suggestion as it is; and a new scale met while placing
// for another one is returned as it is and left to the system to place.
ScreenRect ScaleChanged(Record* record, const Platform* platform, void* window, ScreenRect suggested);

}  // namespace DragMachine
