// What an elevated window lets in from programs of lower rights.
#pragma once
#include <windows.h>

// Lets window take files dropped from Explorer, which runs with the user's
// ordinary rights, when this process runs elevated (it was started from an
// elevated host): the drop's messages and nothing else are allowed through
// the system's filter. Does nothing on systems without the per-window filter
// (before Windows 7). Returns 1 when every message was allowed or there is no
// filter to pass.
int AllowDropsFromLowerRights(HWND window);
