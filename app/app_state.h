// Process-wide state owned by start-up; zero until start-up fills it.
#pragma once
#include <windows.h>

HINSTANCE AppInstance();
HCURSOR AppDragCursor();
HCURSOR AppHoverCursor();
// Full path of the settings file, or the empty text when there is no data folder.
const wchar_t* AppSettingsPath();
int AppFlags();
void SetAppFlags(int flags);

// Start-up's setters.
void SetAppInstance(HINSTANCE instance);
void SetAppCursors(HCURSOR drag, HCURSOR hover);
void SetAppSettingsPath(const wchar_t* path);
