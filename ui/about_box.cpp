#include "ui/about_box.h"

INT_PTR RunAboutBox(HWND) { return -1; }
