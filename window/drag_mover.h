// Moving the caption-less insert dialog by press-and-hold: Win32 glue over
// DragMachine.
#pragma once
#include <windows.h>

namespace DragMover {
// Keeps the cursors shown while dragging and while a press may become a drag;
// start-up loads them before the dialog opens and destroys them after.
void SetCursors(HCURSOR drag, HCURSOR hover);
// Sees every message of the insert dialog before the dialog does; consumes none.
void HandleMessage(HWND window, UINT message, WPARAM wParam);
// 1 when the cursor lies within the window rectangle, right and bottom bounds
// included; 0 when it does not or either cannot be read.
int CursorInWindow(HWND window);
// The rectangle the insert dialog takes for a new scale: suggested, the one
// WM_DPICHANGED brings, as it is; during a drag, of its size but placed so
// that the pointer stays over the same point of the dialog.
RECT RectForNewScale(const RECT* suggested);
}  // namespace DragMover
