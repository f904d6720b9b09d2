#include "e2e_windows.h"

#include <oleacc.h>

#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "e2e_process.h"
#include "ui/resource.h"

namespace {

struct TopSpec {
  DWORD pid;
  const wchar_t *cls;
  const wchar_t *title;
  int pathField;    // 1 it must have the path field, -1 it must not, 0 either
  int messageText;  // 1 it must have a message box's text: a static 0xFFFF that is no icon
  HWND found;
};

// A message box's text is a static of id 0xFFFF. The insert dialog's first
// static of that id is its icon.
int HasMessageText(HWND hwnd) {
  HWND text = GetDlgItem(hwnd, 0xFFFF);
  return text && ((LONG)GetWindowLongPtrW(text, GWL_STYLE) & SS_TYPEMASK) != SS_ICON;
}

BOOL CALLBACK FindTop(HWND hwnd, LPARAM lParam) {
  TopSpec *spec = reinterpret_cast<TopSpec *>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != spec->pid || !IsWindowVisible(hwnd)) return TRUE;
  wchar_t text[256];
  if (!GetClassNameW(hwnd, text, 256) || wcscmp(text, spec->cls)) return TRUE;
  if (spec->title) {
    text[0] = 0;
    GetWindowTextW(hwnd, text, 256);
    if (wcscmp(text, spec->title)) return TRUE;
  }
  if (spec->pathField && (GetDlgItem(hwnd, IDC_PATH) != nullptr) != (spec->pathField > 0)) return TRUE;
  if (spec->messageText && !HasMessageText(hwnd)) return TRUE;
  // A window ending meanwhile (the insert dialog, once OK or Cancel is taken)
  // has lost its controls by the time they were asked about; it is hidden
  // before they go, so still being shown now means they were there.
  if (!IsWindowVisible(hwnd)) return TRUE;
  spec->found = hwnd;
  return FALSE;
}

HWND PollTop(TopSpec *spec, DWORD timeoutMs) {
  unsigned long long end = E2eNowMs() + timeoutMs;
  for (;;) {
    spec->found = nullptr;
    EnumWindows(FindTop, reinterpret_cast<LPARAM>(spec));
    if (spec->found || E2eNowMs() >= end) return spec->found;
    Sleep(50);
  }
}

struct ChildSpec {
  const wchar_t *cls;
  const wchar_t *text;
  LONG typeMask, type;
  HWND found;
};

BOOL CALLBACK FindChildProc(HWND hwnd, LPARAM lParam) {
  ChildSpec *spec = reinterpret_cast<ChildSpec *>(lParam);
  wchar_t cls[64];
  if (!GetClassNameW(hwnd, cls, 64) || _wcsicmp(cls, spec->cls)) return TRUE;
  if (((LONG)GetWindowLongPtrW(hwnd, GWL_STYLE) & spec->typeMask) != spec->type) return TRUE;
  if (spec->text) {
    wchar_t text[256] = L"";
    E2eSendBounded(hwnd, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    text[255] = 0;
    if (wcscmp(text, spec->text)) return TRUE;
  }
  spec->found = hwnd;
  return FALSE;
}

BOOL CALLBACK DumpChild(HWND hwnd, LPARAM) {
  wchar_t cls[64], text[256];
  char c8[200], t8[800];
  GetClassNameW(hwnd, cls, 64);
  text[0] = 0;
  E2eSendBounded(hwnd, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
  text[255] = 0;
  printf("       child %p parent %p id %d class %s text \"%s\"%s\n", static_cast<void *>(hwnd),
         static_cast<void *>(GetParent(hwnd)), GetDlgCtrlID(hwnd), E2eUtf8(cls, c8, sizeof c8),
         E2eUtf8(text, t8, sizeof t8), IsWindowVisible(hwnd) ? "" : " (hidden)");
  return TRUE;
}

// Loads the version block of exe into a static buffer; null when it has none.
void *LoadVersionBlock(const wchar_t *exe) {
  static unsigned char block[16384];
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(exe, &handle);
  if (size == 0 || size > sizeof block) return nullptr;
  if (!GetFileVersionInfoW(exe, 0, size, block)) return nullptr;
  return block;
}

}  // namespace

LRESULT E2eSendBounded(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(hwnd, msg, wParam, lParam, SMTO_NORMAL, 5000, &result)) return -1;
  return static_cast<LRESULT>(result);
}

HWND E2eFindWindow(DWORD pid, const wchar_t *cls, const wchar_t *title, DWORD timeoutMs) {
  TopSpec spec = {pid, cls, title, 0, 0, nullptr};
  return PollTop(&spec, timeoutMs);
}

// Any title: the dialog has no caption to show one, and its window text
// (read by the taskbar) is the program's name.
HWND E2eFindInsertDialog(DWORD pid, DWORD timeoutMs) {
  TopSpec spec = {pid, L"#32770", nullptr, 1, 0, nullptr};
  return PollTop(&spec, timeoutMs);
}

HWND E2eFindMessageBox(DWORD pid, DWORD timeoutMs) {
  TopSpec spec = {pid, L"#32770", L"Sorvel", -1, 1, nullptr};
  return PollTop(&spec, timeoutMs);
}

wchar_t *E2eMessageBoxText(HWND box, wchar_t *out, size_t cap) {
  out[0] = 0;
  HWND text = GetDlgItem(box, 0xFFFF);
  if (!text) return out;
  if (E2eSendBounded(text, WM_GETTEXT, cap, reinterpret_cast<LPARAM>(out)) < 0) out[0] = 0;
  out[cap - 1] = 0;
  return out;
}

void E2eDismissMessageBox(HWND box) {
  HWND ok = GetDlgItem(box, IDOK);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
}

int E2eExpectWarning_(E2E_LOC, DWORD pid, const wchar_t *text, HWND owner, DWORD timeoutMs) {
  HWND box = E2eFindMessageBox(pid, timeoutMs);
  if (!E2eExpectTrue_(E2E_THERE, "warning box shown", box != nullptr, "no box titled \"Sorvel\"")) return 0;
  wchar_t found[512];
  int ok = E2eExpectText_(E2E_THERE, "warning text", text, E2eMessageBoxText(box, found, 512));
  HWND actualOwner = GetWindow(box, GW_OWNER);
  if (actualOwner != owner) {
    char e[32], a[32];
    snprintf(e, sizeof e, "%p", static_cast<void *>(owner));
    snprintf(a, sizeof a, "%p", static_cast<void *>(actualOwner));
    ok = E2eFail_(E2E_THERE, "warning owner", e, a);
  }
  E2eDismissMessageBox(box);
  if (!E2eWaitGone(box, 5000)) ok = E2eExpectTrue_(E2E_THERE, "warning box dismissed", 0, "still open after OK");
  return ok;
}

HWND E2eFindChild(HWND parent, const wchar_t *cls, const wchar_t *text, LONG typeMask, LONG type) {
  ChildSpec spec = {cls, text, typeMask, type, nullptr};
  EnumChildWindows(parent, FindChildProc, reinterpret_cast<LPARAM>(&spec));
  return spec.found;
}

HWND E2eChildAt(HWND dlg, POINT p) {
  ScreenToClient(dlg, &p);
  return ChildWindowFromPointEx(dlg, p, CWP_SKIPINVISIBLE);
}

POINT E2eCentreOf(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  return p;
}

int E2eWindowRect(HWND hwnd, RECT *rect) { return GetWindowRect(hwnd, rect) != 0; }

HWND E2eVisibleWindowBelow(HWND hwnd) {
  HWND below = GetWindow(hwnd, GW_HWNDNEXT);
  while (below && !IsWindowVisible(below)) below = GetWindow(below, GW_HWNDNEXT);
  return below;
}

HWND E2eCaptureOf(HWND hwnd) {
  GUITHREADINFO info;
  memset(&info, 0, sizeof info);
  info.cbSize = sizeof info;
  DWORD thread = GetWindowThreadProcessId(hwnd, nullptr);
  if (!thread || !GetGUIThreadInfo(thread, &info)) return nullptr;
  return info.hwndCapture;
}

int E2eWaitGone(HWND hwnd, DWORD timeoutMs) {
  unsigned long long end = E2eNowMs() + timeoutMs;
  while (IsWindow(hwnd) && IsWindowVisible(hwnd)) {
    if (E2eNowMs() >= end) return 0;
    Sleep(20);
  }
  return 1;
}

void E2eDumpWindow(HWND hwnd) {
  wchar_t title[256];
  char t8[800];
  GetWindowTextW(hwnd, title, 256);
  printf("       window %p \"%s\"\n", static_cast<void *>(hwnd), E2eUtf8(title, t8, sizeof t8));
  EnumChildWindows(hwnd, DumpChild, 0);
  fflush(stdout);
}

int E2eSetControlText(HWND dlg, int id, const wchar_t *text) {
  HWND c = GetDlgItem(dlg, id);
  return c && E2eSendBounded(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) > 0;
}

wchar_t *E2eControlText(HWND dlg, int id, wchar_t *out, size_t cap) {
  out[0] = 0;
  HWND c = GetDlgItem(dlg, id);
  if (c && E2eSendBounded(c, WM_GETTEXT, cap, reinterpret_cast<LPARAM>(out)) < 0) out[0] = 0;
  out[cap - 1] = 0;
  return out;
}

void E2eSetCheck(HWND dlg, int id, int checked) {
  HWND c = GetDlgItem(dlg, id);
  if (c) E2eSendBounded(c, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int E2eGetCheck(HWND dlg, int id) {
  HWND c = GetDlgItem(dlg, id);
  if (!c) return -1;
  LRESULT r = E2eSendBounded(c, BM_GETCHECK, 0, 0);
  return r < 0 ? -1 : r == BST_CHECKED;
}

void E2eClick(HWND dlg, int id) {
  PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

void E2ePressEscape(HWND dlg) {
  GUITHREADINFO info;
  memset(&info, 0, sizeof info);
  info.cbSize = sizeof info;
  HWND target = dlg;
  DWORD thread = GetWindowThreadProcessId(dlg, nullptr);
  if (GetGUIThreadInfo(thread, &info) && info.hwndFocus && (info.hwndFocus == dlg || IsChild(dlg, info.hwndFocus)))
    target = info.hwndFocus;
  UINT scan = MapVirtualKeyW(VK_ESCAPE, MAPVK_VK_TO_VSC);
  PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, (LPARAM)(1 | (scan << 16)));
  PostMessageW(target, WM_KEYUP, VK_ESCAPE, (LPARAM)(1 | (scan << 16) | (3u << 30)));
}

POINT E2ePlacedOrigin(int w, int h, int cx, int cy) {
  int right = GetSystemMetrics(SM_CXSCREEN), bottom = GetSystemMetrics(SM_CYSCREEN);
  POINT at = {cx - w / 2, cy - h / 2};
  if (at.x + w > right) at.x = right - w;
  if (at.x < 0) at.x = 0;
  if (at.y < 0) at.y = 0;
  if (at.y + h > bottom) at.y = bottom - h;
  return at;
}

int E2eExpectPlacedAt_(E2E_LOC, const char *what, HWND hwnd, int cx, int cy) {
  RECT r;
  if (!GetWindowRect(hwnd, &r)) return E2eExpectTrue_(E2E_THERE, what, 0, "no window rectangle");
  POINT at = E2ePlacedOrigin(r.right - r.left, r.bottom - r.top, cx, cy);
  if (at.x == r.left && at.y == r.top) return 1;
  char e[96], a[96], w[256];
  snprintf(e, sizeof e, "origin (%ld, %ld)", at.x, at.y);
  snprintf(a, sizeof a, "(%ld, %ld) for size %ld x %ld", r.left, r.top, r.right - r.left, r.bottom - r.top);
  snprintf(w, sizeof w, "%s, cursor (%d, %d)", what, cx, cy);
  return E2eFail_(E2E_THERE, w, e, a);
}

void E2eBecomeDpiAware() {
  typedef BOOL(WINAPI * SetContextProc)(DPI_AWARENESS_CONTEXT);
  FARPROC found = GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext");
  if (found) reinterpret_cast<SetContextProc>(reinterpret_cast<void *>(found))(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}

int E2eGrabScreen(const RECT *r, DWORD *pixels, size_t cap) {
  int w = r->right - r->left, h = r->bottom - r->top;
  if (w <= 0 || h <= 0 || (size_t)w * (size_t)h > cap) return 0;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info;
  memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;  // top-down, so rows come in screen order
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void *bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  int ok = 0;
  if (bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, w, h, screen, r->left, r->top, SRCCOPY) != 0;
    GdiFlush();
    if (ok) {
      const DWORD *row = static_cast<const DWORD *>(bits);
      for (size_t i = 0; i < (size_t)w * (size_t)h; ++i) pixels[i] = row[i] & 0xFFFFFF;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

int E2eAccessibleName(HWND hwnd, wchar_t *out, size_t cap) {
  // IID_IAccessible, spelt out: MinGW's import library carries a wrong value.
  static const GUID kIidAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
  out[0] = 0;
  HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IAccessible *acc = nullptr;
  int ok = 0;
  if (SUCCEEDED(AccessibleObjectFromWindow(hwnd, (DWORD)OBJID_CLIENT, kIidAccessible, reinterpret_cast<void **>(&acc))) &&
      acc) {
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    if (acc->get_accName(self, &name) == S_OK && name) {
      wcsncpy(out, name, cap - 1);
      out[cap - 1] = 0;
      ok = 1;
    }
    SysFreeString(name);
    acc->Release();
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return ok;
}

int E2eVersionString(const wchar_t *exe, const wchar_t *langCp, const wchar_t *key, wchar_t *out, size_t cap) {
  out[0] = 0;
  void *block = LoadVersionBlock(exe);
  if (!block) return 0;
  wchar_t query[128];
  swprintf(query, 128, L"\\StringFileInfo\\%ls\\%ls", langCp, key);
  void *value = nullptr;
  UINT len = 0;
  if (!VerQueryValueW(block, query, &value, &len) || !value) return 0;
  wcsncpy(out, static_cast<const wchar_t *>(value), cap - 1);
  out[cap - 1] = 0;
  return 1;
}

int E2eFixedVersion(const wchar_t *exe, DWORD *ms, DWORD *ls) {
  void *block = LoadVersionBlock(exe);
  if (!block) return 0;
  void *value = nullptr;
  UINT len = 0;
  if (!VerQueryValueW(block, L"\\", &value, &len) || len < sizeof(VS_FIXEDFILEINFO)) return 0;
  const VS_FIXEDFILEINFO *fixed = static_cast<const VS_FIXEDFILEINFO *>(value);
  *ms = fixed->dwFileVersionMS;
  *ls = fixed->dwFileVersionLS;
  return 1;
}
