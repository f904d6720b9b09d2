// Where the dialogs appear.
#pragma once
#include <windows.h>

// Centres window on the cursor, pushed inside the monitor under the cursor.
// Never resizes it or changes its z-order; reports nothing.
void PlaceNearCursor(HWND window);
