// The warning texts by code and the warning box.
#pragma once
#include <windows.h>

enum {
  kWarnNoMemory = 0,
  kWarnAlreadyRunning = 2,
  kWarnHostNotRunning = 3,
  kWarnHostNotEditing = 4,
  kWarnCannotCreateFile = 5,
};

// The text of a code, or null for a code that has none.
const wchar_t* WarningText(int code);

// Beeps and shows the text of code in a topmost warning box captioned "Sorvel".
void ShowWarning(int code, HWND owner);
