// The warning texts by code and the warning box. The codes are start-up's
// own below and the failed send results of host/send_result.h.
#pragma once
#include <windows.h>

enum {
  kWarnNoMemory = 0,
  kWarnAlreadyRunning = 2,
};

// The text of a code, or null for a code that has none.
const wchar_t* WarningText(int code);

// Beeps and shows the text of code in a topmost warning box captioned "Sorvel".
void ShowWarning(int code, HWND owner);
