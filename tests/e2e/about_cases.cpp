// The about box: opened by a real right-click on the insert dialog, what it
// shows, and every way of closing it leaving the insert dialog as it was.
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "e2e_groups.h"
#include "e2e_session.h"

namespace {

const wchar_t kFieldText[] = L"C:\\音楽\\テスト曲.mp3";

struct AboutRun {
  E2eSession s;
  HWND about;
  POINT clickedAt;
};

// ---- helpers -------------------------------------------------------------------

// Starts sorvel with the pointer at the centre, fills the path field, then
// right-clicks the dialog at (dx, dy) from its top-left corner (a negative
// value counts from the right or bottom edge) and waits for the about box.
// ownerNotTopmost: the insert dialog is first taken out of the topmost band
// by another program, so that the box is made topmost only by its own style
// (a window owned by a topmost one is made topmost by the system).
int OpenAbout_(E2E_LOC, AboutRun *a, int dx, int dy, int ownerNotTopmost) {
  a->about = nullptr;
  E2eSession *s = &a->s;
  if (!E2eOpenDialogAt_(E2E_THERE, s, nullptr, 640, 512)) return 0;
  if (!E2eExpectTrue_(E2E_THERE, "path field filled", E2eSetControlText(s->dlg, IDC_PATH, kFieldText),
                      "WM_SETTEXT failed"))
    return 0;
  E2eSetCheck(s->dlg, IDC_AUTOPLAY, 1);
  E2eSetCheck(s->dlg, IDC_LOOP, 0);
  if (ownerNotTopmost)
    SetWindowPos(s->dlg, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  a->clickedAt.x = dx >= 0 ? s->start.left + dx : s->start.right + dx;
  a->clickedAt.y = dy >= 0 ? s->start.top + dy : s->start.bottom + dy;
  if (!E2eExpectPointerMovedTo_(E2E_THERE, a->clickedAt.x, a->clickedAt.y)) return 0;
  E2eSettle(s);
  E2eMouseRight(1);
  E2eMouseRight(0);
  a->about = E2eFindWindow(s->sorvel.pid, L"#32770", kAboutTitle, kDialogWaitMs);
  return E2eExpectTrue_(E2E_THERE, "about box shown", a->about != nullptr, "none within 10 s");
}
#define OpenAbout(a, dx, dy, ownerNotTopmost) OpenAbout_(E2E_HERE, a, dx, dy, ownerNotTopmost)

// The insert dialog as the about box found it: open, usable, same place and text.
void ExpectInsertDialogUnchanged_(E2E_LOC, AboutRun *a) {
  E2eSession *s = &a->s;
  E2eExpectTrue_(E2E_THERE, "sorvel still running", E2eRunning(&s->sorvel), "it ended");
  if (!E2eExpectTrue_(E2E_THERE, "insert dialog still open", IsWindow(s->dlg) && IsWindowVisible(s->dlg), "it closed"))
    return;
  E2eExpectTrue_(E2E_THERE, "insert dialog enabled again", IsWindowEnabled(s->dlg), "still disabled");
  RECT r;
  E2eWindowRect(s->dlg, &r);
  E2eExpectInt_(E2E_THERE, "insert dialog left", s->start.left, r.left);
  E2eExpectInt_(E2E_THERE, "insert dialog top", s->start.top, r.top);
  E2eExpectInt_(E2E_THERE, "insert dialog width", s->start.right - s->start.left, r.right - r.left);
  E2eExpectInt_(E2E_THERE, "insert dialog height", s->start.bottom - s->start.top, r.bottom - r.top);
  wchar_t text[256];
  E2eExpectText_(E2E_THERE, "path field", kFieldText, E2eControlText(s->dlg, IDC_PATH, text, 256));
  E2eExpectInt_(E2E_THERE, "autoplay box", 1, E2eGetCheck(s->dlg, IDC_AUTOPLAY));
  E2eExpectInt_(E2E_THERE, "loop box", 0, E2eGetCheck(s->dlg, IDC_LOOP));
  E2eExpectTrue_(E2E_THERE, "no warning box", E2eFindMessageBox(s->sorvel.pid, 0) == nullptr, "one is shown");
}
#define ExpectInsertDialogUnchanged(a) ExpectInsertDialogUnchanged_(E2E_HERE, a)

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
  const char *name;
  int dx, dy;  // negative: from the right or bottom edge
  int onIcon;  // 1: the point is on the icon, 0: on no control
};
const ClickRow kClickRows[] = {
    // name                 dx   dy  on icon
    {"opens_bare_surface", 40, -20, 0},  // low on the left
    {"opens_on_icon", 25, 25, 1},
};

void Opens(const void *row) {
  const ClickRow *click = static_cast<const ClickRow *>(row);
  AboutRun a;
  if (!OpenAbout(&a, click->dx, click->dy, 0)) return;
  HWND dlg = a.s.dlg;
  HWND under = E2eChildAt(dlg, a.clickedAt);
  int icon = under && under != dlg && (GetWindowLongPtrW(under, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
  if (click->onIcon) E2eExpectTrue("clicked on the icon", icon, "another window is there");
  else E2eExpectTrue("clicked on the bare surface", under == dlg, "a control is there");
  wchar_t title[256] = L"";
  GetWindowTextW(a.about, title, 256);
  E2eExpectText("about box title", kAboutTitle, title);
  E2eExpectTrue("owned by the insert dialog", GetWindow(a.about, GW_OWNER) == dlg, "another owner");
  E2eExpectTrue("insert dialog disabled while the box is open", !IsWindowEnabled(dlg), "enabled");
  for (const ShownRow &r : kShownRows) {
    HWND c = E2eFindChild(a.about, r.cls, r.text, 0, 0);
    char what[300], t8[200];
    snprintf(what, sizeof what, "control \"%s\"", E2eUtf8(r.text, t8, sizeof t8));
    if (!E2eExpectTrue(what, c != nullptr, "none with that class and text")) {
      E2eDumpWindow(a.about);
      continue;
    }
    if (r.id) E2eExpectInt(what, r.id, GetDlgCtrlID(c));
  }
  E2eExpectPlacedAt("about box origin", a.about, a.clickedAt.x, a.clickedAt.y);
}

// The box is not topmost of its own: opened from an insert dialog that is not
// topmost, it is not topmost either.
void NotTopmost(int) {
  AboutRun a;
  if (!OpenAbout(&a, 40, -20, 1)) return;
  E2eExpectTrue("insert dialog taken out of the topmost band",
                !(GetWindowLongPtrW(a.s.dlg, GWL_EXSTYLE) & WS_EX_TOPMOST), "still topmost");
  E2eExpectTrue("about box not topmost", !(GetWindowLongPtrW(a.about, GWL_EXSTYLE) & WS_EX_TOPMOST),
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
  AboutRun a;
  if (!OpenAbout(&a, 40, -20, 0)) return;
  E2eSettle(&a.s);
  switch (way) {
    case kEscapeKey:
      if (!E2eExpectTrue("about box in front", GetForegroundWindow() == a.about, "another window")) return;
      E2eKeyTap(VK_ESCAPE);
      break;
    case kCloseBoxClick: {
      // The close box sits at the caption's right end; the box's own hit test
      // confirms the spot before it is clicked.
      RECT r;
      E2eWindowRect(a.about, &r);
      int frame = GetSystemMetrics(SM_CXFIXEDFRAME);
      POINT p = {r.right - frame - GetSystemMetrics(SM_CXSIZE) / 2 - 1,
                 r.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2};
      LRESULT hit = E2eSendBounded(a.about, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
      if (!E2eExpectInt("hit test at the close box", HTCLOSE, (long long)hit)) return;
      ClickAt(p);
      break;
    }
    case kSysClose:
      PostMessageW(a.about, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
    case kWmClose:
      PostMessageW(a.about, WM_CLOSE, 0, 0);
      break;
    case kCloseButtonClick:
      ClickAt(E2eCentreOf(GetDlgItem(a.about, IDCANCEL)));
      break;
    case kCancelCommand:
      PostMessageW(a.about, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      break;
  }
  if (!E2eExpectTrue("about box closed", E2eWaitGone(a.about, kGoneWaitMs), "still open after 5 s")) return;
  ExpectInsertDialogUnchanged(&a);
}

// IDOK, which Enter gives when the focus is not on "閉じる", leaves the box
// open; the box still answers "閉じる" afterwards.
void OkIgnored(int) {
  AboutRun a;
  if (!OpenAbout(&a, 40, -20, 0)) return;
  E2eSendBounded(a.about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  E2eExpectTrue("about box open after IDOK", !E2eWaitGone(a.about, kQuietMs), "it closed");
  E2eExpectTrue("insert dialog still disabled", !IsWindowEnabled(a.s.dlg), "enabled");
  PostMessageW(a.about, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  if (!E2eExpectTrue("about box closed by IDCANCEL", E2eWaitGone(a.about, kGoneWaitMs), "still open")) return;
  ExpectInsertDialogUnchanged(&a);
}

const E2eCase kAboutCases[] = {
    // name                    procedure    param
    {"not_topmost", NotTopmost, 0},
    {"escape_key", Closes, kEscapeKey},
    {"close_box_click", Closes, kCloseBoxClick},
    {"close_box_command", Closes, kSysClose},
    {"wm_close", Closes, kWmClose},
    {"close_button_click", Closes, kCloseButtonClick},
    {"cancel_command", Closes, kCancelCommand},
    {"ok_ignored", OkIgnored, 0},
};

const E2eTable kAboutTables[] = {
    E2E_ROWS(Opens, kClickRows),
    E2E_CASES(kAboutCases),
};

}  // namespace

const E2eGroup g_aboutGroup = {"about", kAboutTables, E2E_COUNT(kAboutTables)};
