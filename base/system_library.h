// System DLLs loaded by the program itself.
#pragma once
#include <windows.h>

// Loads name (e.g. L"comdlg32.dll") from the system folder by its full path,
// never from the program's folder or the current folder, and looks for the
// DLLs it needs in the system folder first. Null when it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name);
