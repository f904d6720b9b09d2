// Moving the caption-less insert dialog by press-and-hold: Win32 glue over
// DragMachine.
#pragma once
#include <windows.h>

namespace DragMover {
// Keeps the cursors shown while dragging and while a press may become a drag;
// start-up loads them before the dialog opens and destroys them after.
void SetCursors(HCURSOR drag, HCURSOR hover);
// Sees every message of the insert dialog before the dialog does; consumes
// none.
void HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// 1 when the cursor lies within the window rectangle, right and bottom bounds
// included; 0 when it does not or either cannot be read.
int CursorInWindow(HWND window);
// Places the insert dialog for the new scale dpi that WM_DPICHANGED brings,
// from the rectangle it suggests, as the drag machine decides; and writes
// where the dialog lies back into *suggested, so that the dialog manager's
// own handling, which follows, keeps it there.
void ScaleChanged(HWND window, UINT dpi, RECT* suggested);
}  // namespace DragMover
