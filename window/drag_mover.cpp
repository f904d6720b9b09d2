#include "window/drag_mover.h"

#include "window/drag.h"

namespace {

// The one drag of the run, zero at start as the insert dialog is made once,
// and the cursors start-up lends it.
struct Drag {
  DragMover::Record record;
  HCURSOR dragCursor;
  HCURSOR hoverCursor;
};

Drag g_drag;

HWND Window(void* window) { return static_cast<HWND>(window); }

DragMover::Point CursorPos(void*) {
  POINT cursor;
  // An unreadable cursor counts as unmoved, so it never jerks the window.
  if (!GetCursorPos(&cursor)) return g_drag.record.lastCursor;
  DragMover::Point point = {cursor.x, cursor.y};
  return point;
}

DragMover::Rect WindowRect(void* window) {
  RECT rect = {0, 0, 0, 0};
  GetWindowRect(Window(window), &rect);
  DragMover::Rect result = {rect.left, rect.top, rect.right, rect.bottom};
  return result;
}

// The physical left button, whatever the swap setting, at this moment.
int LeftButtonHeld(void*) { return GetAsyncKeyState(VK_LBUTTON) < 0; }

uint32_t StartTimer(void* window, uint32_t id, uint32_t milliseconds) {
  return static_cast<uint32_t>(SetTimer(Window(window), id, milliseconds, NULL));
}

void StopTimer(void* window, uint32_t id) { KillTimer(Window(window), id); }

void ShowDragCursor(void*) { SetCursor(g_drag.dragCursor); }

void ShowHoverCursor(void*) { SetCursor(g_drag.hoverCursor); }

void TakeCapture(void* window) { SetCapture(Window(window)); }

void DropCapture(void*) { ReleaseCapture(); }

void MoveWindowTo(void* window, int32_t left, int32_t top) {
  SetWindowPos(Window(window), NULL, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

const DragMover::Platform kWin32Drag = {
    CursorPos,       WindowRect,  LeftButtonHeld, StartTimer,  StopTimer, ShowDragCursor,
    ShowHoverCursor, TakeCapture, DropCapture,    MoveWindowTo,
};

DragMover::Message Kind(UINT message) {
  switch (message) {
    case WM_DESTROY:
      return DragMover::kDestroy;
    case WM_TIMER:
      return DragMover::kTimer;
    case WM_MOUSEMOVE:
      return DragMover::kMouseMove;
    case WM_LBUTTONDOWN:
      return DragMover::kLeftButtonDown;
    case WM_LBUTTONUP:
      return DragMover::kLeftButtonUp;
    default:
      return DragMover::kOther;
  }
}

}  // namespace

namespace DragMover {

void SetCursors(HCURSOR drag, HCURSOR hover) {
  g_drag.dragCursor = drag;
  g_drag.hoverCursor = hover;
}

void HandleMessage(HWND window, UINT message, WPARAM wParam) {
  Message kind = Kind(message);
  if (kind == kOther) return;
  Handle(&g_drag.record, &kWin32Drag, window, kind, kind == kTimer ? wParam : 0);
}

int CursorInWindow(HWND window) {
  POINT cursor;
  RECT rect;
  if (!GetCursorPos(&cursor) || !GetWindowRect(window, &rect)) return 0;
  Point point = {cursor.x, cursor.y};
  Rect bounds = {rect.left, rect.top, rect.right, rect.bottom};
  return PointInRect(point, bounds);
}

}  // namespace DragMover
