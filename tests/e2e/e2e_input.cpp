#include "e2e_input.h"

#include <string.h>
#include <wchar.h>

#include "e2e_process.h"

int E2eMoveCursor(int x, int y) { return SetCursorPos(x, y) != 0; }

namespace {

int MouseButton(DWORD flags) {
  INPUT in;
  memset(&in, 0, sizeof in);
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  return SendInput(1, &in, sizeof in) == 1;
}

}  // namespace

int E2eMouseLeft(int down) { return MouseButton(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP); }

int E2eMouseRight(int down) { return MouseButton(down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP); }

int E2eMouseMoveTo(int x, int y) {
  int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  if (w < 2 || h < 2) return 0;
  INPUT in;
  memset(&in, 0, sizeof in);
  in.type = INPUT_MOUSE;
  // Normalised 0..65535 over the primary screen, rounded to land on the pixel.
  in.mi.dx = (LONG)((x * 65535LL + (w - 1) / 2) / (w - 1));
  in.mi.dy = (LONG)((y * 65535LL + (h - 1) / 2) / (h - 1));
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  return SendInput(1, &in, sizeof in) == 1;
}

int E2eExpectPointerMovedTo_(E2E_LOC, int x, int y) {
  E2eMouseMoveTo(x, y);
  // The pointer lands a moment after the input is queued.
  POINT p = {-1, -1};
  unsigned long long end = E2eNowMs() + 1000;
  for (;;) {
    GetCursorPos(&p);
    if (p.x == x && p.y == y) return 1;
    if (E2eNowMs() >= end) break;
    Sleep(2);
  }
  wchar_t e[48], a[48];
  swprintf(e, 48, L"(%d, %d)", x, y);
  swprintf(a, 48, L"(%ld, %ld)", p.x, p.y);
  return E2eExpectText_(E2E_THERE, "pointer after the motion", e, a);
}

int E2eKeyTap(WORD vk) {
  INPUT in[2];
  memset(in, 0, sizeof in);
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = vk;
  in[0].ki.wScan = in[1].ki.wScan = (WORD)MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  return SendInput(2, in, sizeof in[0]) == 2;
}

int E2eInputProbeMain() {
  POINT p = {0, 0};
  GetCursorPos(&p);
  int held = (GetAsyncKeyState(VK_LBUTTON) & 0x8000) ? 1 : 0;
  return (1 << 30) | (held << 24) | ((p.y & 0xFFF) << 12) | (p.x & 0xFFF);
}

int E2eRunInputProbe(int *x, int *y, int *leftHeld) {
  E2eProc probe;
  wchar_t args[] = L"" E2E_INPUT_PROBE_ARG;
  if (!E2eStart(g_driverExe, args, &probe)) return 0;
  DWORD code = 0;
  if (!E2eWaitExit(&probe, 10000, &code) || !(code & (1u << 30))) return 0;
  *x = (int)(code & 0xFFF);
  *y = (int)((code >> 12) & 0xFFF);
  *leftHeld = (int)((code >> 24) & 1);
  return 1;
}
