// Start-up and the whole lifetime of the process.
#include <windows.h>

#include "app/app_state.h"
#include "app/dll_search.h"
#include "app/settings.h"
#include "base/data_folder.h"
#include "base/path_text.h"
#include "base/settings_value.h"
#include "host/tool_list_entry.h"
#include "ui/insert_dialog.h"
#include "ui/resource.h"
#include "ui/warning.h"
#include "window/drag_mover.h"

namespace {

const wchar_t kSection[] = L"sorvel";
const wchar_t kKey[] = L"flags";

// Holds the single-instance mutex, or shows why not. Returns the mutex, or null
// when this copy must end. Every account may open it, so a copy started under
// another account in the same session is refused too.
HANDLE TakeSingleInstance() {
  SECURITY_DESCRIPTOR descriptor;
  InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, TRUE};
  HANDLE mutex = CreateMutexA(&attributes, TRUE, "Sorvel");
  if (!mutex) {
    ShowWarning(kWarnNoMemory, nullptr);
    return nullptr;
  }
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    ShowWarning(kWarnAlreadyRunning, nullptr);
    return nullptr;
  }
  return mutex;
}

// Makes sure the data folder exists and points the settings at it. Without a
// usable AppData folder there is no settings file: the flags read as 0 and are
// not saved, and sending reports that it cannot create the host's file.
void PrepareDataFolder() {
  wchar_t folder[kDataFolderCap];
  if (!GetDataFolder(folder)) return;
  if (!PathExists(folder)) CreateDirectoryW(folder, nullptr);
  wchar_t settings[264];
  if (CopyBounded(settings, 264, folder) && AppendBounded(settings, 264, L"kx.ini")) SetAppSettingsPath(settings);
}

// The text as the file system compares names: its long form (8.3 names
// expanded, or the text itself when that fails), upper-cased as the file
// system does rather than as the C library would. 1 done.
int ComparableForm(const wchar_t* path, wchar_t out[MAX_PATH + 1]) {
  wchar_t longForm[MAX_PATH + 1];
  DWORD n = GetLongPathNameW(path, longForm, MAX_PATH + 1);
  if (n == 0 || n > MAX_PATH) {
    if (!CopyBounded(longForm, MAX_PATH + 1, path)) return 0;
    n = static_cast<DWORD>(lstrlenW(longForm));
  }
  if (n == 0) return 0;
  int got = LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, longForm, static_cast<int>(n), out, MAX_PATH);
  if (got <= 0) return 0;
  out[got] = L'\0';
  return 1;
}

// Whether program runs from under the user's temp folder, where Explorer and
// other archivers put a program started from inside a zip: a path that is
// gone once the folder is cleaned, so no entry names it.
int RunsFromTempFolder(const wchar_t* program) {
  wchar_t temp[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  if (n == 0 || n > MAX_PATH) return 0;
  wchar_t tempForm[MAX_PATH + 1], programForm[MAX_PATH + 1];
  return ComparableForm(temp, tempForm) && ComparableForm(program, programForm) &&
         PathLiesUnder(programForm, tempForm);
}

// Keeps this program's line in the host's tool list. Bit 0 of flags says
// that the line is there: until it is, each start tries to make it; once it
// is, each start mends a line left naming a program that was moved away.
void KeepToolListEntry(int* flags) {
  // A path that fills the buffer may have been cut; no entry beats a wrong one.
  wchar_t program[MAX_PATH + 1];
  DWORD n = GetModuleFileNameW(nullptr, program, MAX_PATH + 1);
  if (n == 0 || n > MAX_PATH) return;
  if (RunsFromTempFolder(program)) return;
  if (!(*flags & kFlagListEntryMade)) {
    if (WriteToolListEntry(program)) *flags |= kFlagListEntryMade;
    return;
  }
  // A failed mend leaves the line dangling, so the next start tries again.
  MendToolListEntry(program);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  RestrictDllSearch();
  HANDLE mutex = TakeSingleInstance();
  if (!mutex) return 0;

  HCURSOR drag = LoadCursorW(instance, MAKEINTRESOURCEW(IDC_DRAG_CURSOR));
  HCURSOR hover = LoadCursorW(instance, MAKEINTRESOURCEW(IDC_HOVER_CURSOR));
  DragMover::SetCursors(drag, hover);
  PrepareDataFolder();
  int flags = ReadSettingInt(kSection, kKey);
  KeepToolListEntry(&flags);

  RunInsertDialog(instance, &flags);

  if (drag) DestroyCursor(drag);
  if (hover) DestroyCursor(hover);
  WriteSettingInt(kSection, kKey, flags);
  ReleaseMutex(mutex);
  CloseHandle(mutex);
  return 0;
}

// The process starts here, not in the C run-time's start-up code. That code
// readies what this program never uses (the command line split into
// arguments, thread-local storage, a handler that turns faults into signals,
// imported data fixed up at run time) and would bring ten kilobytes of its
// own into the exe; msvcrt.dll readies the C library itself when it is
// loaded. The constructors of static objects, should any appear, run first,
// last listed first, as the compiler's own start-up runs them.
typedef void (*StaticConstructor)();
extern "C" StaticConstructor __CTOR_LIST__[];

extern "C" void WINAPI SorvelStart() {
  int count = 1;
  while (__CTOR_LIST__[count]) ++count;
  while (--count > 0) __CTOR_LIST__[count]();
  ExitProcess(static_cast<UINT>(WinMain(GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOWDEFAULT)));
}
