#include "window/message_filter.h"

#include "base/system_library.h"

namespace {

// Explorer hands a drop over with these three; WM_COPYGLOBALDATA has no name
// in the headers.
const UINT kDropMessages[] = {WM_DROPFILES, WM_COPYDATA, 0x0049};

// MSGFLT_ALLOW, spelled out for headers that predate the per-window filter.
const DWORD kAllow = 1;

typedef BOOL(WINAPI* FilterProc)(HWND, UINT, DWORD, void*);

}  // namespace

int AllowDropsFromLowerRights(HWND window) {
  // Windows 7 and later; looked up so that the program still starts on Vista.
  FilterProc allow = LookupProc<FilterProc>(GetModuleHandleW(L"user32.dll"), "ChangeWindowMessageFilterEx");
  if (!allow) return 1;
  int all = 1;
  for (UINT message : kDropMessages) {
    if (!allow(window, message, kAllow, nullptr)) all = 0;
  }
  return all;
}
