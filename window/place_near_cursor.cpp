#include "window/place_near_cursor.h"

void PlaceNearCursor(HWND) {}
