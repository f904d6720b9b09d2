// The open-file dialog that picks the MP3.
#pragma once
#include <windows.h>

// Room for a 255-character path, or the music folder followed by \無題.
enum { kChoosePathCap = 266 };

// path holds the field's text on entry. Returns 1 when the user chose a file
// that exists (its full path is then in path); 0 otherwise, and the caller
// ignores whatever path holds then.
int ChooseMp3File(wchar_t path[kChoosePathCap], HWND owner);
