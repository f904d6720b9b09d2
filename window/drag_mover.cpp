#include "window/drag_mover.h"

#include "window/dpi.h"
#include "window/drag_machine.h"
#include "window/screen.h"

namespace {

// The one drag of the run, zero at start as the insert dialog is made once,
// and the cursors start-up lends it.
struct Drag {
  DragMachine::Record record;
  HCURSOR dragCursor;
  HCURSOR hoverCursor;
};

Drag g_drag;

HWND Window(void* window) { return static_cast<HWND>(window); }

ScreenPoint CursorPos(void*) {
  POINT cursor;
  // An unreadable cursor counts as unmoved, so it never jerks the window.
  if (!GetCursorPos(&cursor)) return g_drag.record.lastCursor;
  ScreenPoint point = {cursor.x, cursor.y};
  return point;
}

ScreenRect WindowRect(void* window) {
  RECT rect = {0, 0, 0, 0};
  GetWindowRect(Window(window), &rect);
  ScreenRect result = {rect.left, rect.top, rect.right, rect.bottom};
  return result;
}

int InWindow(void* window) { return DragMover::CursorInWindow(Window(window)); }

// The button the press came from, held at this moment. The key state is that
// of the physical buttons, while the press arrives as the logical left one:
// with the buttons swapped for the left hand, that is the physical right.
int LeftButtonHeld(void*) {
  return GetAsyncKeyState(GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON) < 0;
}

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

void PlaceWindow(void* window, ScreenRect rect) {
  SetWindowPos(Window(window), NULL, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

const DragMachine::Platform kWin32Drag = {
    CursorPos,       WindowRect,  InWindow,    LeftButtonHeld, StartTimer,  StopTimer, ShowDragCursor,
    ShowHoverCursor, TakeCapture, DropCapture, MoveWindowTo,   PlaceWindow, ListMonitors,
};

DragMachine::Message Kind(HWND window, UINT message, LPARAM lParam) {
  switch (message) {
    case WM_CANCELMODE:
      return DragMachine::kCancelMode;
    case WM_CAPTURECHANGED:
      // lParam names the window that has the capture now, null when none has.
      return reinterpret_cast<HWND>(lParam) != window ? DragMachine::kCaptureLost : DragMachine::kOther;
    case WM_DISPLAYCHANGE:
      return DragMachine::kDisplayChange;
    case WM_DESTROY:
      return DragMachine::kDestroy;
    case WM_TIMER:
      return DragMachine::kTimer;
    case WM_MOUSEMOVE:
      return DragMachine::kMouseMove;
    case WM_LBUTTONDOWN:
      return DragMachine::kLeftButtonDown;
    case WM_LBUTTONUP:
      return DragMachine::kLeftButtonUp;
    default:
      return DragMachine::kOther;
  }
}

}  // namespace

namespace DragMover {

void SetCursors(HCURSOR drag, HCURSOR hover) {
  g_drag.dragCursor = drag;
  g_drag.hoverCursor = hover;
}

void HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DragMachine::Message kind = Kind(window, message, lParam);
  if (kind == DragMachine::kOther) return;
  DragMachine::Handle(&g_drag.record, &kWin32Drag, window, kind, kind == DragMachine::kTimer ? wParam : 0);
}

int CursorInWindow(HWND window) {
  POINT cursor;
  RECT rect;
  if (!GetCursorPos(&cursor) || !GetWindowRect(window, &rect)) return 0;
  ScreenPoint point = {cursor.x, cursor.y};
  ScreenRect bounds = {rect.left, rect.top, rect.right, rect.bottom};
  return PointInRect(point, bounds);
}

void ScaleChanged(HWND window, UINT dpi, RECT* suggested) {
  ScreenRect given = {suggested->left, suggested->top, suggested->right, suggested->bottom};
  ScreenRect rect = DragMachine::ScaleChanged(&g_drag.record, &kWin32Drag, window, dpi, given);
  suggested->left = rect.left;
  suggested->top = rect.top;
  suggested->right = rect.right;
  suggested->bottom = rect.bottom;
}

}  // namespace DragMover
