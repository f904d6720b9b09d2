// The press-and-hold drag of the caption-less insert dialog, as a pure state
// machine: the record, the message kinds it reacts to, and the platform calls
// it makes, handed in as a table so the machine runs natively under test.
#pragma once
#include <stdint.h>

#include "window/scale_rules.h"
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
  int32_t placingForScale;  // 1 while the window is being placed for a new scale
  MonitorList monitors;     // listed when the drag starts, the displays change
                            // during it, and for a new scale that is not the
                            // drag's own crossing onto a listed monitor
};

// kCancelMode: the system takes the mouse for a box of its own, and the
// window should let go of it. kCaptureLost: the window no longer has the
// mouse capture. kDisplayChange: monitors came, went or changed.
enum Message {
  kOther,
  kDestroy,
  kTimer,
  kMouseMove,
  kLeftButtonDown,
  kLeftButtonUp,
  kCancelMode,
  kCaptureLost,
  kDisplayChange,
};

// Every call but the monitors' gets the window the message belongs to.
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
  // Every monitor's rectangle and scale into *list, past kMostMonitors those
  // nearest to nearest; the count, 0 when the system cannot tell.
  int (*listMonitors)(ScreenRect nearest, MonitorList* list);
};

// Advances record for one message of window; timerId is the timer message's
// id and is read for kTimer only. Reports nothing; the caller goes on to
// handle the message itself. A drag ends on the button's release and when
// the window loses the mouse. Each move step goes where RectForStep says.
void Handle(Record* record, const Platform* platform, void* window, Message message, uint64_t timerId);

// Places window for the scale dpi that the system gives it, suggesting
// suggested, where RectForScale (dragged, RectForDraggedScale) says, and
// returns where it lies then, for the system's own handling to agree with; a
// drag goes on from there. A new scale met while placing for another one is
// returned as it is and left to the system to place.
ScreenRect ScaleChanged(Record* record, const Platform* platform, void* window, uint32_t dpi, ScreenRect suggested);

}  // namespace DragMachine
