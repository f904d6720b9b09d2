// The floor for the timings: a minimal Win32 program that only shows an empty
// modal dialog. Started as "floor SOURCE DEST", OK copies SOURCE over DEST with
// CopyFileA before the dialog ends, as the least any insertion has to do.
// Built with FLOOR_IMPORTS_COMDLG32 it also imports comdlg32.dll, to show what
// that import alone adds to start-up. Built with FLOOR_DIALOG=102 and linked
// with Sorvel's own resources it shows Sorvel's dialog, so that what is left
// between the two is Sorvel's code and imports, not its dialog.
#include <windows.h>
#include <stdlib.h>
#ifdef FLOOR_IMPORTS_COMDLG32
#include <commdlg.h>
#endif

namespace {

INT_PTR CALLBACK FloorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message != WM_COMMAND) return FALSE;
  // The run-time library's own split of the command line: no shell32 to load.
  if (LOWORD(wParam) == IDOK && __argc == 3) {
    CopyFileA(__argv[1], __argv[2], FALSE);
    EndDialog(dialog, 0);
  } else if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) {
    EndDialog(dialog, -1);
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
#ifdef FLOOR_IMPORTS_COMDLG32
  // Never called: only makes the loader bring in comdlg32.dll at start, the
  // way a program that links GetOpenFileNameW directly has it brought in.
  if (__argc == 99) {
    static OPENFILENAMEW unused;
    GetOpenFileNameW(&unused);
  }
#endif
#ifndef FLOOR_DIALOG
#define FLOOR_DIALOG 100
#endif
  DialogBoxParamW(instance, MAKEINTRESOURCEW(FLOOR_DIALOG), nullptr, FloorProc, 0);
  return 0;
}
