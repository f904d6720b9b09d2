// The about box: names the program and its version; moved by its caption.
#include "ui/about_box.h"

#include "ui/resource.h"
#include "window/place_near_cursor.h"

namespace {

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      PlaceNearCursor(dialog);
      return FALSE;
    case WM_COMMAND:
      // "閉じる", Escape and the close box all arrive as IDCANCEL; Enter (IDOK) is ignored.
      if (LOWORD(wParam) != IDCANCEL) return FALSE;
      EndDialog(dialog, -1);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

INT_PTR RunAboutBox(HINSTANCE instance, HWND owner) {
  return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutProc, 0);
}
