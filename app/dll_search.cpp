#include "app/dll_search.h"

#include <windows.h>

#include "base/system_library.h"

namespace {

// Not in every SDK's headers, and the value is fixed by Windows.
const DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

typedef BOOL(WINAPI* SetDefaultDllDirectoriesProc)(DWORD);
typedef BOOL(WINAPI* SetDllDirectoryProc)(const wchar_t*);

// DLLs that the dialog and the file chooser (with the shell inside it) load
// by bare name on systems where the search cannot be restricted: loaded here
// from the system folder, those later loads find them already in the process.
const wchar_t* const kLoadedLaterByName[] = {
    L"uxtheme.dll", L"dwmapi.dll",  L"comctl32.dll", L"compstui.dll", L"winspool.drv",
    L"propsys.dll", L"version.dll", L"userenv.dll",  L"cryptbase.dll", L"apphelp.dll",
    L"oleacc.dll",  L"clbcatq.dll", L"setupapi.dll",
};

FARPROC Kernel32Proc(const char* name) {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  return kernel ? GetProcAddress(kernel, name) : nullptr;
}

// Vista is 6.0. There the restriction comes only with an update, and the
// shell of that release is known to misbehave under it; the open-file dialog
// is the shell, so Vista takes the older defence below.
int IsVista() {
  DWORD version = GetVersion();
  return LOBYTE(LOWORD(version)) == 6 && HIBYTE(LOWORD(version)) == 0;
}

// Windows 8 and later, and 7 with its update: the search holds the system
// folder alone, for us and for every DLL that loads another by name.
int RestrictToSystemFolder() {
  if (IsVista()) return 0;
  SetDefaultDllDirectoriesProc restrict = reinterpret_cast<SetDefaultDllDirectoriesProc>(
      reinterpret_cast<void*>(Kernel32Proc("SetDefaultDllDirectories")));
  return restrict && restrict(kSearchSystem32);
}

}  // namespace

void RestrictDllSearch() {
  if (RestrictToSystemFolder()) return;
  // Older systems cannot keep the program's own folder out of the search;
  // they can drop the current folder, and have the names loaded later
  // already loaded from the system folder.
  SetDllDirectoryProc setDllDirectory =
      reinterpret_cast<SetDllDirectoryProc>(reinterpret_cast<void*>(Kernel32Proc("SetDllDirectoryW")));
  if (setDllDirectory) setDllDirectory(L"");
  for (const wchar_t* name : kLoadedLaterByName) LoadSystemLibrary(name);
}
