// The about box, opened by a right-click on the insert dialog.
#pragma once
#include <windows.h>

// Runs the about box from instance's resources modally, owned by owner.
// Returns its dialog result (-1 when closed).
INT_PTR RunAboutBox(HINSTANCE instance, HWND owner);
