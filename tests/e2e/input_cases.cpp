// What real input does under this system: the later drag and placement cases
// rely on a moved cursor and a held left button being seen by sorvel, which
// reads them with GetCursorPos and GetAsyncKeyState from its own process.
#include <stdio.h>
#include <string.h>

#include "e2e_groups.h"
#include "e2e_session.h"

namespace {

// Cursor positions another process must see after SetCursorPos.
struct CursorRow {
  const char *name;
  int x, y;
};
const CursorRow kCursorRows[] = {
    // name                       x     y
    {"cursor_seen_321_234", 321, 234},
    {"cursor_seen_origin", 0, 0},
    {"cursor_seen_far_corner", 1279, 1023},
};

void CursorSeen(const void *row) {
  const CursorRow *r = static_cast<const CursorRow *>(row);
  if (!E2eExpectTrue("SetCursorPos", E2eMoveCursor(r->x, r->y), "failed")) return;
  int x = -1, y = -1, held = -1;
  if (!E2eExpectTrue("probe answered", E2eRunInputProbe(&x, &y, &held), "no answer")) return;
  E2eExpectInt("cursor x in another process", r->x, x);
  E2eExpectInt("cursor y in another process", r->y, y);
}

// The left button pressed with SendInput is held for another process's
// GetAsyncKeyState until it is released the same way.
void LeftButtonSeen(int) {
  E2eMoveCursor(1270, 1015);
  int x, y, held = -1;
  if (!E2eExpectTrue("SendInput down", E2eMouseLeft(1), "failed")) return;
  if (E2eExpectTrue("probe answered", E2eRunInputProbe(&x, &y, &held), "no answer"))
    E2eExpectInt("left button held in another process", 1, held);
  E2eMouseLeft(0);
  if (E2eExpectTrue("probe answered", E2eRunInputProbe(&x, &y, &held), "no answer"))
    E2eExpectInt("left button after release", 0, held);
}

struct ClickSeen {
  int downs, ups;
  int heldAtDown;
  POINT downAt;
};
ClickSeen g_click;

LRESULT CALLBACK ClickProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_LBUTTONDOWN) {
    ++g_click.downs;
    g_click.heldAtDown = (GetAsyncKeyState(VK_LBUTTON) & 0x8000) ? 1 : 0;
    GetCursorPos(&g_click.downAt);
  } else if (msg == WM_LBUTTONUP) {
    ++g_click.ups;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void PumpFor(DWORD ms) {
  unsigned long long end = E2eNowMs() + ms;
  MSG m;
  while (E2eNowMs() < end) {
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    Sleep(10);
  }
}

// A SendInput press and release over a window reach that window as button
// messages, and the press is visible to GetAsyncKeyState while it is handled.
void ClickReachesWindow(int) {
  WNDCLASSW wc;
  memset(&wc, 0, sizeof wc);
  wc.lpfnWndProc = ClickProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"SorvelE2eClickTarget";
  RegisterClassW(&wc);
  HWND w = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"click target", WS_POPUP | WS_VISIBLE, 100, 100, 200,
                           150, nullptr, nullptr, wc.hInstance, nullptr);
  if (!E2eExpectTrue("target window", w != nullptr, "not created")) return;
  memset(&g_click, 0, sizeof g_click);
  PumpFor(300);
  E2eMoveCursor(150, 160);
  PumpFor(100);
  E2eMouseLeft(1);
  PumpFor(200);
  E2eMouseLeft(0);
  PumpFor(200);
  E2eExpectInt("WM_LBUTTONDOWN count", 1, g_click.downs);
  E2eExpectInt("WM_LBUTTONUP count", 1, g_click.ups);
  E2eExpectInt("button held while handling the press", 1, g_click.heldAtDown);
  E2eExpectInt("cursor x at the press", 150, g_click.downAt.x);
  E2eExpectInt("cursor y at the press", 160, g_click.downAt.y);
  DestroyWindow(w);
  PumpFor(50);
}

const E2eCase kInputCases[] = {
    // name                       procedure           param
    {"left_button_seen", LeftButtonSeen, 0},
    {"click_reaches_window", ClickReachesWindow, 0},
};

const E2eTable kInputTables[] = {
    E2E_ROWS(CursorSeen, kCursorRows),
    E2E_CASES(kInputCases),
};

}  // namespace

const E2eGroup g_inputGroup = {"input", kInputTables, E2E_COUNT(kInputTables)};
