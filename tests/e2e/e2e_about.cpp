// The about box: opened by a real right-click on the insert dialog, what it
// shows, and every way of closing it leaving the insert dialog as it was.
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "e2e_harness.h"

namespace {

enum { kPath = 1001, kAutoplay = 1003, kLoop = 1004 };

const DWORD kDialogWaitMs = 10000;
const DWORD kGoneWaitMs = 5000;
// How long the box is watched for closing when it must not close.
const DWORD kQuietMs = 500;

const wchar_t kAboutTitle[] = L"『Sorvel』について";
const wchar_t kFieldText[] = L"C:\\音楽\\テスト曲.mp3";

struct Session {
  E2eProc sorvel;
  HWND dlg;
  HWND about;
  RECT dlgRect;
  POINT clickedAt;
};

// ---- helpers -------------------------------------------------------------------

// Gives sorvel a moment to take in the input sent so far. Nothing outside
// tells when it has, so checks that something did not happen may pass early;
// checks that something did happen poll instead.
void Settle(const Session *s) {
  WaitForInputIdle(s->sorvel.process, 1000);
  Sleep(100);
}

POINT CentreOf(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  return p;
}

// Starts sorvel with the pointer at the centre, fills the path field, then
// right-clicks the dialog at (dx, dy) from its top-left corner (a negative
// value counts from the right or bottom edge) and waits for the about box.
// ownerNotTopmost: the insert dialog is first taken out of the topmost band
// by another program, so that the box is made topmost only by its own style
// (a window owned by a topmost one is made topmost by the system).
int OpenAbout(Session *s, int dx, int dy, int ownerNotTopmost = 0) {
  s->dlg = s->about = nullptr;
  E2eMouseLeft(0);
  E2eMouseRight(0);
  if (!E2eResetDataFolder(nullptr)) return 0;
  E2eMoveCursor(640, 512);
  if (!E2eStartSorvel(&s->sorvel)) return 0;
  s->dlg = E2eFindInsertDialog(s->sorvel.pid, kDialogWaitMs);
  if (!E2eExpectTrue("insert dialog shown", s->dlg != nullptr, "no dialog within 10 s")) return 0;
  if (!E2eExpectTrue("path field filled", E2eSetControlText(s->dlg, kPath, kFieldText), "WM_SETTEXT failed"))
    return 0;
  E2eSetCheck(s->dlg, kAutoplay, 1);
  E2eSetCheck(s->dlg, kLoop, 0);
  if (ownerNotTopmost)
    SetWindowPos(s->dlg, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  E2eWindowRect(s->dlg, &s->dlgRect);
  s->clickedAt.x = dx >= 0 ? s->dlgRect.left + dx : s->dlgRect.right + dx;
  s->clickedAt.y = dy >= 0 ? s->dlgRect.top + dy : s->dlgRect.bottom + dy;
  if (!E2eExpectPointerMovedTo(s->clickedAt.x, s->clickedAt.y)) return 0;
  Settle(s);
  E2eMouseRight(1);
  E2eMouseRight(0);
  s->about = E2eFindWindow(s->sorvel.pid, L"#32770", kAboutTitle, kDialogWaitMs);
  return E2eExpectTrue("about box shown", s->about != nullptr, "none within 10 s");
}

// The insert dialog as the about box found it: open, usable, same place and text.
void ExpectInsertDialogUnchanged(const Session *s) {
  E2eExpectTrue("sorvel still running", E2eRunning(&s->sorvel), "it ended");
  if (!E2eExpectTrue("insert dialog still open", IsWindow(s->dlg) && IsWindowVisible(s->dlg), "it closed")) return;
  E2eExpectTrue("insert dialog enabled again", IsWindowEnabled(s->dlg), "still disabled");
  RECT r;
  E2eWindowRect(s->dlg, &r);
  E2eExpectInt("insert dialog left", s->dlgRect.left, r.left);
  E2eExpectInt("insert dialog top", s->dlgRect.top, r.top);
  E2eExpectInt("insert dialog width", s->dlgRect.right - s->dlgRect.left, r.right - r.left);
  E2eExpectInt("insert dialog height", s->dlgRect.bottom - s->dlgRect.top, r.bottom - r.top);
  wchar_t text[256];
  E2eExpectText("path field", kFieldText, E2eControlText(s->dlg, kPath, text, 256));
  E2eExpectInt("autoplay box", 1, E2eGetCheck(s->dlg, kAutoplay));
  E2eExpectInt("loop box", 0, E2eGetCheck(s->dlg, kLoop));
  E2eExpectTrue("no warning box", E2eFindMessageBox(s->sorvel.pid, 0) == nullptr, "one is shown");
}

// A child of the box with this class and text (and id, unless any); null if none.
struct ChildFind {
  const wchar_t *cls;
  const wchar_t *text;
  HWND found;
};

BOOL CALLBACK FindChild(HWND hwnd, LPARAM lParam) {
  ChildFind *f = reinterpret_cast<ChildFind *>(lParam);
  wchar_t cls[32], text[256] = L"";
  GetClassNameW(hwnd, cls, 32);
  if (_wcsicmp(cls, f->cls)) return TRUE;
  DWORD_PTR r = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &r);
  text[255] = 0;
  if (wcscmp(text, f->text)) return TRUE;
  f->found = hwnd;
  return FALSE;
}

HWND ChildWithText(HWND parent, const wchar_t *cls, const wchar_t *text) {
  ChildFind f = {cls, text, nullptr};
  EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&f));
  return f.found;
}

// ---- cases -------------------------------------------------------------------

// What the box shows: a control of this class with this text (and this id,
// unless 0).
struct ShownRow {
  const wchar_t *cls;
  int id;
  const wchar_t *text;
};
const ShownRow kShownRows[] = {
    // class      id         text
    {L"Button", IDCANCEL, L"閉じる"},
    {L"Static", 0, L"Sorvel - インライン・ミュージック作成プログラム"},
    {L"Static", 0, L"バージョン番号"},
    {L"Static", 0, L"1.00"},
};

// Where the right-click lands, from the insert dialog's top-left: its bare
// surface, or the program icon, which passes mouse input to the dialog.
struct ClickRow {
  int dx, dy;  // negative: from the right or bottom edge
  int onIcon;  // 1: the point is on the icon, 0: on no control
};
const ClickRow kClickRows[] = {
    // dx   dy  on icon
    {40, -20, 0},  // 0 bare surface, low on the left
    {25, 25, 1},   // 1 program icon
};

// The control under a screen point of the dialog, or the dialog itself.
HWND ChildAt(HWND dlg, POINT p) {
  ScreenToClient(dlg, &p);
  return ChildWindowFromPointEx(dlg, p, CWP_SKIPINVISIBLE);
}

void Opens(int row) {
  Session s;
  const ClickRow *click = &kClickRows[row];
  if (!OpenAbout(&s, click->dx, click->dy)) return;
  HWND under = ChildAt(s.dlg, s.clickedAt);
  int icon = under && under != s.dlg && (GetWindowLongPtrW(under, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
  if (click->onIcon) E2eExpectTrue("clicked on the icon", icon, "another window is there");
  else E2eExpectTrue("clicked on the bare surface", under == s.dlg, "a control is there");
  wchar_t title[256] = L"";
  GetWindowTextW(s.about, title, 256);
  E2eExpectText("about box title", kAboutTitle, title);
  E2eExpectTrue("owned by the insert dialog", GetWindow(s.about, GW_OWNER) == s.dlg, "another owner");
  E2eExpectTrue("insert dialog disabled while the box is open", !IsWindowEnabled(s.dlg), "enabled");
  for (const ShownRow &r : kShownRows) {
    HWND c = ChildWithText(s.about, r.cls, r.text);
    char what[300], t8[200];
    snprintf(what, sizeof what, "control \"%s\"", E2eUtf8(r.text, t8, sizeof t8));
    if (!E2eExpectTrue(what, c != nullptr, "none with that class and text")) {
      E2eDumpWindow(s.about);
      continue;
    }
    if (r.id) E2eExpectInt(what, r.id, GetDlgCtrlID(c));
  }
  E2eExpectPlacedAt("about box origin", s.about, s.clickedAt.x, s.clickedAt.y);
}

// The box is not topmost of its own: opened from an insert dialog that is not
// topmost, it is not topmost either.
void NotTopmost(int) {
  Session s;
  if (!OpenAbout(&s, 40, -20, 1)) return;
  E2eExpectTrue("insert dialog taken out of the topmost band",
                !(GetWindowLongPtrW(s.dlg, GWL_EXSTYLE) & WS_EX_TOPMOST), "still topmost");
  E2eExpectTrue("about box not topmost", !(GetWindowLongPtrW(s.about, GWL_EXSTYLE) & WS_EX_TOPMOST),
                "WS_EX_TOPMOST set");
}

// Every way of closing the box ends it and nothing else.
enum CloseWay { kEscapeKey, kCloseBoxClick, kSysClose, kWmClose, kCloseButtonClick, kCancelCommand };

void ClickAt(POINT p) {
  if (!E2eExpectPointerMovedTo(p.x, p.y)) return;
  Sleep(50);
  E2eMouseLeft(1);
  Sleep(30);
  E2eMouseLeft(0);
}

void Closes(int way) {
  Session s;
  if (!OpenAbout(&s, 40, -20)) return;
  Settle(&s);
  switch (way) {
    case kEscapeKey:
      if (!E2eExpectTrue("about box in front", GetForegroundWindow() == s.about, "another window")) return;
      E2eKeyTap(VK_ESCAPE);
      break;
    case kCloseBoxClick: {
      // The close box sits at the caption's right end; the box's own hit test
      // confirms the spot before it is clicked.
      RECT r;
      E2eWindowRect(s.about, &r);
      int frame = GetSystemMetrics(SM_CXFIXEDFRAME);
      POINT p = {r.right - frame - GetSystemMetrics(SM_CXSIZE) / 2 - 1,
                 r.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2};
      DWORD_PTR hit = 0;
      SendMessageTimeoutW(s.about, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y), SMTO_NORMAL, 5000, &hit);
      if (!E2eExpectInt("hit test at the close box", HTCLOSE, (long long)hit)) return;
      ClickAt(p);
      break;
    }
    case kSysClose:
      PostMessageW(s.about, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
    case kWmClose:
      PostMessageW(s.about, WM_CLOSE, 0, 0);
      break;
    case kCloseButtonClick:
      ClickAt(CentreOf(GetDlgItem(s.about, IDCANCEL)));
      break;
    case kCancelCommand:
      PostMessageW(s.about, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      break;
  }
  if (!E2eExpectTrue("about box closed", E2eWaitGone(s.about, kGoneWaitMs), "still open after 5 s")) return;
  ExpectInsertDialogUnchanged(&s);
}

// IDOK, which Enter gives when the focus is not on "閉じる", leaves the box
// open; the box still answers "閉じる" afterwards.
void OkIgnored(int) {
  Session s;
  if (!OpenAbout(&s, 40, -20)) return;
  DWORD_PTR result = 0;
  SendMessageTimeoutW(s.about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0, SMTO_NORMAL, 5000, &result);
  E2eExpectTrue("about box open after IDOK", !E2eWaitGone(s.about, kQuietMs), "it closed");
  E2eExpectTrue("insert dialog still disabled", !IsWindowEnabled(s.dlg), "enabled");
  PostMessageW(s.about, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  if (!E2eExpectTrue("about box closed by IDCANCEL", E2eWaitGone(s.about, kGoneWaitMs), "still open")) return;
  ExpectInsertDialogUnchanged(&s);
}

const E2eCase kAboutCases[] = {
    // name                    procedure    param
    {"opens_bare_surface", Opens, 0},
    {"opens_on_icon", Opens, 1},
    {"not_topmost", NotTopmost, 0},
    {"escape_key", Closes, kEscapeKey},
    {"close_box_click", Closes, kCloseBoxClick},
    {"close_box_command", Closes, kSysClose},
    {"wm_close", Closes, kWmClose},
    {"close_button_click", Closes, kCloseButtonClick},
    {"cancel_command", Closes, kCancelCommand},
    {"ok_ignored", OkIgnored, 0},
};

}  // namespace

const E2eGroup g_aboutGroup = {"about", kAboutCases, E2E_COUNT(kAboutCases)};
