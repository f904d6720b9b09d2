// System DLLs loaded by the program itself.
#pragma once
#include <windows.h>

// Loads name (e.g. L"comdlg32.dll") from the system folder by its full path,
// never from the program's folder or the current folder, and looks for the
// DLLs it needs in the system folder first. Null when it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name);

// The function name exports from module, as the type Proc its caller knows
// it by; null when module is null or does not export it.
template <typename Proc>
Proc LookupProc(HMODULE module, const char* name) {
  FARPROC found = module ? GetProcAddress(module, name) : nullptr;
  return reinterpret_cast<Proc>(reinterpret_cast<void*>(found));
}
