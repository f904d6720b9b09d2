// Moving the caption-less insert dialog by press-and-hold, with real mouse
// input. Whether a drag is under way is read from outside as the mouse
// capture of sorvel's thread, which the dialog holds exactly while dragging.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "e2e_harness.h"

namespace {

enum { kPath = 1001, kBrowse = 1002, kAutoplay = 1003, kLoop = 1004 };

const DWORD kDialogWaitMs = 10000;
// Generous bounds for a loaded machine; a correct program meets them at once.
const DWORD kCaptureWaitMs = 5000;
const DWORD kMoveWaitMs = 5000;
// A hold drags after 500 ms; a drag seen sooner than this after the press
// came from something else than the hold.
const unsigned long long kHoldFloorMs = 400;
// How long a negative check watches for something that must not happen.
const DWORD kQuietMs = 500;
// Presses at the same spot within the double-click time arrive as double
// clicks; presses meant as separate ones are kept further apart than this.
const int kApart = 6;

struct Session {
  E2eProc sorvel;
  HWND dlg;
  RECT start;  // the dialog's rectangle before the case's first press
};

// ---- helpers -------------------------------------------------------------------

// Starts sorvel with the pointer at the screen centre and waits for the dialog.
int Open(Session *s) {
  s->dlg = nullptr;
  // A case that stopped early may have left a button down.
  E2eMouseLeft(0);
  E2eMouseRight(0);
  if (!E2eResetDataFolder(nullptr)) return 0;
  E2eMoveCursor(640, 512);
  if (!E2eStartSorvel(&s->sorvel)) return 0;
  s->dlg = E2eFindInsertDialog(s->sorvel.pid, kDialogWaitMs);
  if (!E2eExpectTrue("insert dialog shown", s->dlg != nullptr, "no dialog within 10 s")) return 0;
  return E2eWindowRect(s->dlg, &s->start);
}

// Real motion from the current position by (dx, dy) in steps of a few pixels,
// as a hand would make it.
int MoveBy(int dx, int dy) {
  POINT from;
  GetCursorPos(&from);
  int steps = (abs(dx) > abs(dy) ? abs(dx) : abs(dy)) / 10 + 1;
  for (int i = 1; i <= steps; ++i) {
    if (!E2eExpectPointerMovedTo(from.x + dx * i / steps, from.y + dy * i / steps)) return 0;
    Sleep(10);
  }
  return 1;
}

// Gives sorvel a moment to take in the input sent so far. Nothing outside
// tells when it has, so checks that something did not happen may pass early;
// checks that something did happen poll instead.
void Settle(const Session *s) {
  WaitForInputIdle(s->sorvel.process, 1000);
  Sleep(100);
}

// Waits until the dialog holds the capture (want 1) or does not (want 0).
// Milliseconds waited, or -1 on timeout.
long long WaitCapture(const Session *s, int want, DWORD timeoutMs) {
  unsigned long long start = E2eNowMs();
  for (;;) {
    int has = E2eCaptureOf(s->dlg) == s->dlg;
    unsigned long long now = E2eNowMs();
    if (has == want) return (long long)(now - start);
    if (now - start >= timeoutMs) return -1;
    Sleep(5);
  }
}

int ExpectDragStarts(const Session *s, const char *what) {
  return E2eExpectTrue(what, WaitCapture(s, 1, kCaptureWaitMs) >= 0, "no capture within 5 s");
}

int ExpectDragEnds(const Session *s, const char *what) {
  return E2eExpectTrue(what, WaitCapture(s, 0, kCaptureWaitMs) >= 0, "the dialog keeps the capture");
}

int ExpectNoDrag(const Session *s, const char *what) {
  return E2eExpectTrue(what, WaitCapture(s, 1, kQuietMs) < 0, "the dialog took the capture");
}

void DescribeRect(const RECT *r, wchar_t *out, size_t cap) {
  swprintf(out, cap, L"(%ld, %ld) size %ld x %ld", r->left, r->top, r->right - r->left, r->bottom - r->top);
}

// Expects the dialog to reach start + (dx, dy), unresized, within the bound.
int ExpectAt(const Session *s, const char *what, int dx, int dy) {
  RECT want = s->start, now;
  OffsetRect(&want, dx, dy);
  unsigned long long end = E2eNowMs() + kMoveWaitMs;
  for (;;) {
    E2eWindowRect(s->dlg, &now);
    if (EqualRect(&now, &want)) return 1;
    if (E2eNowMs() >= end) break;
    Sleep(10);
  }
  wchar_t e[96], a[96];
  DescribeRect(&want, e, 96);
  DescribeRect(&now, a, 96);
  char w[160];
  snprintf(w, sizeof w, "%s: dialog at start %+d, %+d", what, dx, dy);
  return E2eExpectText(w, e, a);
}

// Expects the dialog to stay at start + (dx, dy) for a while.
int ExpectStaysAt(const Session *s, const char *what, int dx, int dy) {
  if (!ExpectAt(s, what, dx, dy)) return 0;
  RECT want = s->start, now;
  OffsetRect(&want, dx, dy);
  unsigned long long end = E2eNowMs() + kQuietMs;
  while (E2eNowMs() < end) {
    E2eWindowRect(s->dlg, &now);
    if (!EqualRect(&now, &want)) {
      wchar_t e[96], a[96];
      DescribeRect(&want, e, 96);
      DescribeRect(&now, a, 96);
      char w[160];
      snprintf(w, sizeof w, "%s: dialog stays at start %+d, %+d", what, dx, dy);
      return E2eExpectText(w, e, a);
    }
    Sleep(10);
  }
  return 1;
}

// A point on the dialog's own surface, clear of every control.
POINT BareSpot(const Session *s) {
  POINT p = {s->start.left + 40, s->start.bottom - 20};
  return p;
}

// The window that a press at screen point p reaches first: the child control
// under it (hidden or transparent ones included) or the dialog.
HWND ChildAt(HWND dlg, POINT p) {
  POINT c = p;
  ScreenToClient(dlg, &c);
  return ChildWindowFromPointEx(dlg, c, CWP_SKIPINVISIBLE);
}

POINT CentreOf(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  return p;
}

// A static control of the dialog: the icon (text null) or the one with text.
struct StaticFind {
  const wchar_t *text;
  HWND found;
};

BOOL CALLBACK FindStatic(HWND hwnd, LPARAM lParam) {
  StaticFind *f = reinterpret_cast<StaticFind *>(lParam);
  wchar_t cls[32], text[256] = L"";
  GetClassNameW(hwnd, cls, 32);
  if (_wcsicmp(cls, L"Static")) return TRUE;
  LONG style = (LONG)GetWindowLongPtrW(hwnd, GWL_STYLE);
  if (!f->text) {
    if ((style & SS_TYPEMASK) != SS_ICON) return TRUE;
  } else {
    DWORD_PTR r = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &r);
    text[255] = 0;
    if (wcscmp(text, f->text)) return TRUE;
  }
  f->found = hwnd;
  return FALSE;
}

HWND StaticOf(HWND dlg, const wchar_t *text) {
  StaticFind f = {text, nullptr};
  EnumChildWindows(dlg, FindStatic, reinterpret_cast<LPARAM>(&f));
  return f.found;
}

// Press point of a row: the bare surface or the centre of a static control.
int PressSpot(const Session *s, const wchar_t *staticText, int icon, POINT *p) {
  if (!icon && !staticText) {
    *p = BareSpot(s);
    return E2eExpectTrue("press spot on the bare surface", ChildAt(s->dlg, *p) == s->dlg, "a control is there");
  }
  HWND c = StaticOf(s->dlg, icon ? nullptr : staticText);
  if (!E2eExpectTrue("static control found", c != nullptr, "none")) return 0;
  *p = CentreOf(c);
  return E2eExpectTrue("press spot on the static control", ChildAt(s->dlg, *p) == c, "another window is there");
}

// Goes to p and presses there; the time of the press.
unsigned long long PressAt(const Session *s, POINT p) {
  E2eExpectPointerMovedTo(p.x, p.y);
  Settle(s);
  unsigned long long t = E2eNowMs();
  E2eMouseLeft(1);
  return t;
}

// ---- cases -------------------------------------------------------------------

// Where the hold-and-move press lands: the bare surface, or a static control
// that passes its mouse input to the dialog.
struct HoldRow {
  const wchar_t *staticText;
  int icon;
};
const HoldRow kHoldRows[] = {
    // static text                              icon
    {nullptr, 0},                                // 0 bare surface
    {nullptr, 1},                                // 1 program icon
    {L"Sorvel (KobbleにMP3を挿入する)", 0},      // 2 title line
    {L"MP3ファイル", 0},                         // 3 path label
};

// Press and hold still: after the hold the dialog follows every move by the
// pointer's travel; after the release it no longer does.
void HoldThenMove(int row) {
  Session s;
  if (!Open(&s)) return;
  POINT p;
  if (!PressSpot(&s, kHoldRows[row].staticText, kHoldRows[row].icon, &p)) return;
  unsigned long long pressed = PressAt(&s, p);
  long long waited = WaitCapture(&s, 1, kCaptureWaitMs);
  unsigned long long seen = E2eNowMs();
  if (!E2eExpectTrue("drag started by holding", waited >= 0, "no capture within 5 s")) return;
  E2eExpectTrue("drag not before the hold time", seen - pressed >= kHoldFloorMs, "sooner than 400 ms");
  ExpectAt(&s, "drag start moves nothing", 0, 0);
  if (!MoveBy(100, 50)) return;
  ExpectStaysAt(&s, "dialog follows the travel", 100, 50);
  E2eMouseLeft(0);
  ExpectDragEnds(&s, "release ends the drag");
  if (!MoveBy(60, -15)) return;
  Settle(&s);
  ExpectStaysAt(&s, "moves after the release", 100, 50);
}

// A move of three pixels from the press point within the hold time starts the
// drag on that move; those pixels are never applied.
struct QuickRow {
  int dx, dy;
};
const QuickRow kQuickRows[] = {
    // dx  dy
    {3, 0},
    {0, -3},
    {-3, 3},
};

// The program reads the pointer when it handles the press, so the move must
// come after that. A busy machine can hold the press back until the move has
// landed; the press point is then the moved one, and only the hold starts the
// drag. So the case tries a few presses: one drag started by the move passes,
// while a program that waits for the hold fails every try.
enum { kQuickTries = 3 };

void QuickMove(int row) {
  Session s;
  if (!Open(&s)) return;
  POINT p = BareSpot(&s);
  unsigned long long took[kQuickTries];
  int tries = 0;
  for (; tries < kQuickTries; ++tries) {
    if (tries) {
      // Apart from the last press, so that it is no double click.
      p.x += kApart;
      Sleep(600);
    }
    unsigned long long pressed = PressAt(&s, p);
    Sleep(40);
    E2eExpectPointerMovedTo(p.x + kQuickRows[row].dx, p.y + kQuickRows[row].dy);
    if (!E2eExpectTrue("drag started by the move", WaitCapture(&s, 1, kCaptureWaitMs) >= 0, "no capture within 5 s"))
      return;
    took[tries] = E2eNowMs() - pressed;
    if (took[tries] < kHoldFloorMs) break;
    E2eMouseLeft(0);
    if (!ExpectDragEnds(&s, "release ends the drag")) return;
  }
  if (tries == kQuickTries) {
    char found[96];
    snprintf(found, sizeof found, "after %llu, %llu and %llu ms", took[0], took[1], took[2]);
    E2eExpectTrue("drag started before the hold time", 0, found);
    return;
  }
  if (tries) E2eNote("the move started the drag on try %d", tries + 1);
  // Neither the failed tries nor the start of this drag moved the dialog.
  ExpectAt(&s, "drag start moves nothing", 0, 0);
  if (!MoveBy(10, 8)) return;
  ExpectStaysAt(&s, "only the travel after the start", 10, 8);
  E2eMouseLeft(0);
  ExpectDragEnds(&s, "release ends the drag");
}

// Moves within two pixels of the press keep the hold pending; at the hold
// time the drag starts there, and those pixels are not applied either.
struct SlopRow {
  int dx, dy;
};
const SlopRow kSlopRows[] = {
    // dx  dy
    {2, 2},
    {-2, -2},
    {2, -2},
};

void SlopThenHold(int row) {
  Session s;
  if (!Open(&s)) return;
  POINT p = BareSpot(&s);
  unsigned long long pressed = PressAt(&s, p);
  // The program reads the press point when it handles the press: the move
  // comes after that, or it would be the press point itself.
  Sleep(40);
  E2eExpectPointerMovedTo(p.x + kSlopRows[row].dx, p.y + kSlopRows[row].dy);
  // Until the hold time no drag may start; the press was handled no earlier
  // than it was sent, so a correct hold cannot show in this window.
  while (E2eNowMs() - pressed < 300) {
    if (!E2eExpectTrue("no drag within the slop", E2eCaptureOf(s.dlg) != s.dlg, "drag before the hold time")) {
      E2eMouseLeft(0);
      return;
    }
    Sleep(5);
  }
  if (!ExpectDragStarts(&s, "drag started at the hold time")) return;
  E2eExpectTrue("drag not before the hold time", E2eNowMs() - pressed >= kHoldFloorMs, "sooner than 400 ms");
  ExpectAt(&s, "drag start moves nothing", 0, 0);
  if (!MoveBy(10, 0)) return;
  ExpectStaysAt(&s, "only the travel after the start", 10, 0);
  E2eMouseLeft(0);
  ExpectDragEnds(&s, "release ends the drag");
}

// Press and release without moving: the hold runs out with the button up and
// nothing follows the pointer afterwards.
void PressRelease(int) {
  Session s;
  if (!Open(&s)) return;
  POINT p = BareSpot(&s);
  PressAt(&s, p);
  Sleep(30);
  E2eMouseLeft(0);
  Sleep(700);
  ExpectNoDrag(&s, "no drag after press and release");
  if (!MoveBy(30, -15)) return;
  Settle(&s);
  ExpectNoDrag(&s, "no drag on the move");
  ExpectStaysAt(&s, "dialog after the move", 0, 0);
}

// A second press while the first press's hold is pending cancels it: holding
// and moving after it drag nothing. A later press drags again.
void SecondPressCancels(int) {
  Session s;
  if (!Open(&s)) return;
  POINT p = BareSpot(&s);
  PressAt(&s, p);
  Sleep(30);
  E2eMouseLeft(0);
  E2eExpectPointerMovedTo(p.x + kApart, p.y);
  Sleep(30);
  E2eMouseLeft(1);
  Sleep(700);
  ExpectNoDrag(&s, "no drag after the second press");
  if (!MoveBy(20, 10)) return;
  Settle(&s);
  ExpectNoDrag(&s, "no drag on moving");
  ExpectStaysAt(&s, "dialog after moving", 0, 0);
  E2eMouseLeft(0);
  Sleep(100);
  // The next press starts a hold again.
  POINT q = {p.x + 3 * kApart, p.y - kApart};
  PressAt(&s, q);
  if (!ExpectDragStarts(&s, "a later press drags")) return;
  MoveBy(5, 5);
  ExpectAt(&s, "dialog follows after the later press", 5, 5);
  E2eMouseLeft(0);
}

// A press on the path field, a button or a check box goes to that control:
// holding and moving drag nothing, and the control is not worked either.
struct ControlRow {
  int id;
};
const ControlRow kControlRows[] = {
    // control id
    {kPath},
    {IDOK},
    {kBrowse},
    {kAutoplay},
};

void ControlPress(int row) {
  Session s;
  if (!Open(&s)) return;
  HWND c = GetDlgItem(s.dlg, kControlRows[row].id);
  if (!E2eExpectTrue("control found", c != nullptr, "none")) return;
  int autoplay = E2eGetCheck(s.dlg, kAutoplay), loop = E2eGetCheck(s.dlg, kLoop);
  POINT p = CentreOf(c);
  if (!E2eExpectTrue("press spot on the control", ChildAt(s.dlg, p) == c, "another window is there")) return;
  PressAt(&s, p);
  Sleep(700);
  ExpectNoDrag(&s, "no drag after holding");
  // Away from the control, so that the release works nothing.
  if (!MoveBy(40, 60)) return;
  Settle(&s);
  ExpectStaysAt(&s, "dialog after moving", 0, 0);
  E2eMouseLeft(0);
  Settle(&s);
  E2eExpectTrue("sorvel still running", E2eRunning(&s.sorvel), "it ended");
  E2eExpectTrue("no warning box", E2eFindMessageBox(s.sorvel.pid, 0) == nullptr, "one is shown");
  E2eExpectInt("autoplay box", autoplay, E2eGetCheck(s.dlg, kAutoplay));
  E2eExpectInt("loop box", loop, E2eGetCheck(s.dlg, kLoop));
}

// A drag may leave the dialog partly off the screen; nothing pulls it back.
struct OffRow {
  int toX, toY;  // where the pointer is dragged to
};
const OffRow kOffRows[] = {
    // to x   to y
    {5, 5},
    {1275, 1019},
};

void OffScreen(int row) {
  Session s;
  if (!Open(&s)) return;
  POINT p = BareSpot(&s);
  PressAt(&s, p);
  if (!ExpectDragStarts(&s, "drag started by holding")) return;
  int dx = kOffRows[row].toX - p.x, dy = kOffRows[row].toY - p.y;
  if (!MoveBy(dx, dy)) return;
  ExpectAt(&s, "dialog follows off the screen", dx, dy);
  E2eMouseLeft(0);
  ExpectDragEnds(&s, "release ends the drag");
  Sleep(700);
  ExpectStaysAt(&s, "dialog left where it was dropped", dx, dy);
  RECT r;
  E2eWindowRect(s.dlg, &r);
  E2eExpectTrue("dialog partly off the screen",
                r.left < 0 || r.top < 0 || r.right > GetSystemMetrics(SM_CXSCREEN) ||
                    r.bottom > GetSystemMetrics(SM_CYSCREEN),
                "wholly on it");
}

// The dialog holds the capture while dragging, so a release with the pointer
// outside it still ends the drag. The dialog follows the pointer, so it is
// taken from under the pointer by another program before the release.
void ReleaseOutside(int) {
  Session s;
  if (!Open(&s)) return;
  POINT p = BareSpot(&s);
  PressAt(&s, p);
  if (!ExpectDragStarts(&s, "drag started by holding")) return;
  if (!MoveBy(20, 10)) return;
  if (!ExpectAt(&s, "dialog follows", 20, 10)) return;
  const int away = (int)(s.start.bottom - s.start.top) + 50;
  SetWindowPos(s.dlg, nullptr, s.start.left + 20, s.start.top + 10 + away, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (!ExpectAt(&s, "dialog moved away", 20, 10 + away)) return;
  RECT r;
  E2eWindowRect(s.dlg, &r);
  POINT now;
  GetCursorPos(&now);
  if (!E2eExpectTrue("pointer outside the dialog", !PtInRect(&r, now), "inside")) return;
  E2eMouseLeft(0);
  ExpectDragEnds(&s, "release outside ends the drag");
  // Back over the dialog, which must now let the pointer go.
  if (!MoveBy(-30, away)) return;
  Settle(&s);
  ExpectStaysAt(&s, "moves after the release", 20, 10 + away);
}

// The right button drags nothing; its own handling (the about box on
// release) still works.
void RightButton(int) {
  Session s;
  if (!Open(&s)) return;
  POINT p = BareSpot(&s);
  E2eExpectPointerMovedTo(p.x, p.y);
  Settle(&s);
  E2eMouseRight(1);
  Sleep(700);
  ExpectNoDrag(&s, "no drag on holding the right button");
  if (!MoveBy(30, -15)) return;
  Settle(&s);
  ExpectStaysAt(&s, "dialog after moving", 0, 0);
  E2eMouseRight(0);
  HWND about = E2eFindWindow(s.sorvel.pid, L"#32770", L"『Sorvel』について", kDialogWaitMs);
  E2eExpectTrue("about box opened on release", about != nullptr, "none within 10 s");
}

// Cursor handle shown for sorvel's thread, as GetCursorInfo reports it.
HCURSOR ShownCursor() {
  CURSORINFO ci;
  memset(&ci, 0, sizeof ci);
  ci.cbSize = sizeof ci;
  if (!GetCursorInfo(&ci)) return nullptr;
  return ci.hCursor;
}

// Waits until the shown cursor is (want 1) or is not (want 0) the given one;
// the cursor then shown.
HCURSOR WaitCursor(HCURSOR cursor, int want) {
  unsigned long long end = E2eNowMs() + 2000;
  HCURSOR now;
  while (((now = ShownCursor()) == cursor) != want && E2eNowMs() < end) Sleep(5);
  return now;
}

// The hover cursor shows over the dialog's surface and the drag cursor while
// dragging. Another process cannot tell which resource a cursor came from, so
// this checks only that the program shows three different cursors in turn:
// the button's own arrow, then one over the surface, then another while
// dragging, and the surface one again after the drag.
void CursorShapes(int) {
  Session s;
  if (!Open(&s)) return;
  POINT ok = CentreOf(GetDlgItem(s.dlg, IDOK));
  if (!E2eExpectPointerMovedTo(ok.x, ok.y) || !E2eExpectPointerMovedTo(ok.x + 1, ok.y)) return;
  Settle(&s);
  HCURSOR arrow = ShownCursor();
  POINT p = BareSpot(&s);
  if (!E2eExpectPointerMovedTo(p.x + 2, p.y) || !E2eExpectPointerMovedTo(p.x, p.y)) return;
  HCURSOR hover = WaitCursor(arrow, 0);
  if (!E2eExpectTrue("hover cursor over the surface", hover != arrow && hover, "the button's cursor")) return;
  Settle(&s);
  E2eMouseLeft(1);
  if (!ExpectDragStarts(&s, "drag started by holding")) return;
  HCURSOR drag = WaitCursor(hover, 0);
  E2eExpectTrue("drag cursor when the drag starts", drag != hover && drag != arrow && drag,
                drag == hover ? "the hover cursor" : "the button's cursor");
  if (!MoveBy(10, 10)) return;
  Settle(&s);
  E2eExpectTrue("drag cursor while moving", ShownCursor() == drag, "another cursor");
  E2eMouseLeft(0);
  if (!ExpectDragEnds(&s, "release ends the drag")) return;
  if (!MoveBy(3, 3)) return;
  E2eExpectTrue("hover cursor after the drag", WaitCursor(hover, 1) == hover, "another cursor");
}

const E2eCase kDragCases[] = {
    // name                      procedure           param (row of its table)
    {"hold_bare_surface", HoldThenMove, 0},
    {"hold_icon", HoldThenMove, 1},
    {"hold_title", HoldThenMove, 2},
    {"hold_path_label", HoldThenMove, 3},
    {"quick_move_right", QuickMove, 0},
    {"quick_move_up", QuickMove, 1},
    {"quick_move_left_down", QuickMove, 2},
    {"slop_down_right", SlopThenHold, 0},
    {"slop_up_left", SlopThenHold, 1},
    {"slop_up_right", SlopThenHold, 2},
    {"press_release", PressRelease, 0},
    {"second_press_cancels", SecondPressCancels, 0},
    {"press_path_field", ControlPress, 0},
    {"press_ok", ControlPress, 1},
    {"press_browse", ControlPress, 2},
    {"press_check_box", ControlPress, 3},
    {"off_screen_top_left", OffScreen, 0},
    {"off_screen_bottom_right", OffScreen, 1},
    {"release_outside", ReleaseOutside, 0},
    {"right_button", RightButton, 0},
    {"cursor_shapes", CursorShapes, 0},
};

}  // namespace

const E2eGroup g_dragGroup = {"drag", kDragCases, E2E_COUNT(kDragCases)};
