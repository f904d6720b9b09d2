// The floor for the timings: a minimal Win32 program that only shows an empty
// modal dialog. Started as "floor SOURCE DEST", OK copies SOURCE over DEST with
// CopyFileW before the dialog ends, as the least any insertion has to do.
#include <windows.h>
#include <shellapi.h>

namespace {

wchar_t** g_argv;
int g_argc;

INT_PTR CALLBACK FloorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message != WM_COMMAND) return FALSE;
  if (LOWORD(wParam) == IDOK && g_argc == 3) {
    CopyFileW(g_argv[1], g_argv[2], FALSE);
    EndDialog(dialog, 0);
  } else if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) {
    EndDialog(dialog, -1);
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  g_argv = CommandLineToArgvW(GetCommandLineW(), &g_argc);
  DialogBoxParamW(instance, MAKEINTRESOURCEW(100), nullptr, FloorProc, 0);
  return 0;
}
