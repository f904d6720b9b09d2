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
  uint32_t holdTimerId;    // what the timer start returned; 0 = no hold pending
  ScreenPoint pressPoint;  // cursor at the latest left-button press
  ScreenPoint lastCursor;  // cursor at the drag's start and after every move step
  ScreenRect windowRect;   // window at the drag's start and after every move step
};

enum Message { kOther, kDestroy, kTimer, kMouseMove, kLeftButtonDown, kLeftButtonUp };

// Every call gets the window the message belongs to.
struct Platform {
  ScreenPoint (*cursorPos)(void* window);  // screen coordinates, read now
  ScreenRect (*windowRect)(void* window);  // screen coordinates, read now
  int (*cursorInWindow)(void* window);     // 1 when the cursor lies in the window, bounds included; read now
  int (*leftButtonHeld)(void* window);     // the logical left button, read now
  uint32_t (*setTimer)(void* window, uint32_t id, uint32_t milliseconds);  // 0 on failure
  void (*killTimer)(void* window, uint32_t id);
  void (*showDragCursor)(void* window);
  void (*showHoverCursor)(void* window);
  void (*setCapture)(void* window);
  void (*releaseCapture)(void* window);
  void (*moveWindow)(void* window, int32_t left, int32_t top);  // keeps size and z-order
};

// Advances record for one message of window; timerId is the timer message's
// id and is read for kTimer only. Reports nothing; the caller goes on to
// handle the message itself.
void Handle(Record* record, const Platform* platform, void* window, Message message, uint64_t timerId);

// The rectangle the window takes for a new scale, from the one the system
// suggests. While dragging: the suggested size, placed so that lastCursor lies
// over the same fraction of its width and height as of record->windowRect,
// which becomes the result. Otherwise the suggested rectangle as it is.
ScreenRect RectForNewScale(Record* record, ScreenRect suggested);

}  // namespace DragMachine
