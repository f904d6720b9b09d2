// Moving the caption-less insert dialog by press-and-hold, with real mouse
// input. Whether a drag is under way is read from outside as the mouse
// capture of sorvel's thread, which the dialog holds exactly while dragging.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "e2e_groups.h"
#include "e2e_session.h"

namespace {

// Presses at the same spot within the double-click time arrive as double
// clicks; presses meant as separate ones are kept further apart than this.
const int kApart = 6;

// ---- helpers -------------------------------------------------------------------

// Starts sorvel with the pointer at the screen centre and waits for the dialog.
int Open_(E2E_LOC, E2eSession *s) { return E2eOpenDialogAt_(E2E_THERE, s, nullptr, 640, 512); }
#define Open(s) Open_(E2E_HERE, s)

// Goes to p and presses there; the time of the press.
unsigned long long PressAt_(E2E_LOC, const E2eSession *s, POINT p) {
  E2eExpectPointerMovedTo_(E2E_THERE, p.x, p.y);
  E2eSettle(s);
  unsigned long long t = E2eNowMs();
  E2eMouseLeft(1);
  return t;
}
#define PressAt(s, p) PressAt_(E2E_HERE, s, p)

// ---- holding -------------------------------------------------------------------

// Where the hold-and-move press lands: the bare surface, or a static control
// that passes its mouse input to the dialog.
enum Spot { kBareSurface, kIcon, kTitle, kLabel };
struct HoldRow {
  const char *name;
  Spot spot;
};
const HoldRow kHoldRows[] = {
    // name                 press on
    {"hold_bare_surface", kBareSurface},
    {"hold_icon", kIcon},
    {"hold_title", kTitle},
    {"hold_path_label", kLabel},
};

// Press point of a row: the bare surface or the centre of a static control.
int PressSpot(const E2eSession *s, Spot spot, POINT *p) {
  if (spot == kBareSurface) {
    *p = E2eBareSpot(s);
    return E2eExpectTrue("press spot on the bare surface", E2eChildAt(s->dlg, *p) == s->dlg, "a control is there");
  }
  HWND c = spot == kIcon ? E2eFindChild(s->dlg, L"Static", nullptr, SS_TYPEMASK, SS_ICON)
                         : E2eFindChild(s->dlg, L"Static", spot == kTitle ? kTitleLine : kPathLabel, 0, 0);
  if (!E2eExpectTrue("static control found", c != nullptr, "none")) return 0;
  *p = E2eCentreOf(c);
  return E2eExpectTrue("press spot on the static control", E2eChildAt(s->dlg, *p) == c, "another window is there");
}

// Press and hold still: after the hold the dialog follows every move by the
// pointer's travel; after the release it no longer does.
void HoldThenMove(const void *row) {
  const HoldRow *r = static_cast<const HoldRow *>(row);
  E2eSession s;
  if (!Open(&s)) return;
  POINT p;
  if (!PressSpot(&s, r->spot, &p)) return;
  unsigned long long pressed = PressAt(&s, p);
  long long waited = E2eWaitCapture(&s, 1, kCaptureWaitMs);
  unsigned long long seen = E2eNowMs();
  if (!E2eExpectTrue("drag started by holding", waited >= 0, "no capture within 5 s")) return;
  E2eExpectTrue("drag not before the hold time", seen - pressed >= kHoldFloorMs, "sooner than 400 ms");
  E2eExpectDialogAt(&s, "drag start moves nothing", 0, 0);
  if (!E2eMoveBy(100, 50)) return;
  E2eExpectDialogStaysAt(&s, "dialog follows the travel", 100, 50);
  E2eMouseLeft(0);
  E2eExpectDragEnds(&s, "release ends the drag");
  if (!E2eMoveBy(60, -15)) return;
  E2eSettle(&s);
  E2eExpectDialogStaysAt(&s, "moves after the release", 100, 50);
}

// A move of three pixels from the press point within the hold time starts the
// drag on that move; those pixels are never applied.
struct QuickRow {
  const char *name;
  int dx, dy;
};
const QuickRow kQuickRows[] = {
    // name                   dx  dy
    {"quick_move_right", 3, 0},
    {"quick_move_up", 0, -3},
    {"quick_move_left_down", -3, 3},
};

// The program reads the pointer when it handles the press, so the move must
// come after that. A busy machine can hold the press back until the move has
// landed; the press point is then the moved one, and only the hold starts the
// drag. So the case tries a few presses: one drag started by the move passes,
// while a program that waits for the hold fails every try.
enum { kQuickTries = 3 };

void QuickMove(const void *row) {
  const QuickRow *r = static_cast<const QuickRow *>(row);
  E2eSession s;
  if (!Open(&s)) return;
  POINT p = E2eBareSpot(&s);
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
    E2eExpectPointerMovedTo(p.x + r->dx, p.y + r->dy);
    if (!E2eExpectTrue("drag started by the move", E2eWaitCapture(&s, 1, kCaptureWaitMs) >= 0, "no capture within 5 s"))
      return;
    took[tries] = E2eNowMs() - pressed;
    if (took[tries] < kHoldFloorMs) break;
    E2eMouseLeft(0);
    if (!E2eExpectDragEnds(&s, "release ends the drag")) return;
  }
  if (tries == kQuickTries) {
    char found[96];
    snprintf(found, sizeof found, "after %llu, %llu and %llu ms", took[0], took[1], took[2]);
    E2eExpectTrue("drag started before the hold time", 0, found);
    return;
  }
  if (tries) E2eNote("the move started the drag on try %d", tries + 1);
  // Neither the failed tries nor the start of this drag moved the dialog.
  E2eExpectDialogAt(&s, "drag start moves nothing", 0, 0);
  if (!E2eMoveBy(10, 8)) return;
  E2eExpectDialogStaysAt(&s, "only the travel after the start", 10, 8);
  E2eMouseLeft(0);
  E2eExpectDragEnds(&s, "release ends the drag");
}

// Moves within two pixels of the press keep the hold pending; at the hold
// time the drag starts there, and those pixels are not applied either.
struct SlopRow {
  const char *name;
  int dx, dy;
};
const SlopRow kSlopRows[] = {
    // name              dx  dy
    {"slop_down_right", 2, 2},
    {"slop_up_left", -2, -2},
    {"slop_up_right", 2, -2},
};

void SlopThenHold(const void *row) {
  const SlopRow *r = static_cast<const SlopRow *>(row);
  E2eSession s;
  if (!Open(&s)) return;
  POINT p = E2eBareSpot(&s);
  unsigned long long pressed = PressAt(&s, p);
  // The program reads the press point when it handles the press: the move
  // comes after that, or it would be the press point itself.
  Sleep(40);
  E2eExpectPointerMovedTo(p.x + r->dx, p.y + r->dy);
  // Until the hold time no drag may start; the press was handled no earlier
  // than it was sent, so a correct hold cannot show in this window.
  while (E2eNowMs() - pressed < 300) {
    if (!E2eExpectTrue("no drag within the slop", E2eCaptureOf(s.dlg) != s.dlg, "drag before the hold time")) {
      E2eMouseLeft(0);
      return;
    }
    Sleep(5);
  }
  if (!E2eExpectDragStarts(&s, "drag started at the hold time")) return;
  E2eExpectTrue("drag not before the hold time", E2eNowMs() - pressed >= kHoldFloorMs, "sooner than 400 ms");
  E2eExpectDialogAt(&s, "drag start moves nothing", 0, 0);
  if (!E2eMoveBy(10, 0)) return;
  E2eExpectDialogStaysAt(&s, "only the travel after the start", 10, 0);
  E2eMouseLeft(0);
  E2eExpectDragEnds(&s, "release ends the drag");
}

// Press and release without moving: the hold runs out with the button up and
// nothing follows the pointer afterwards.
void PressRelease(int) {
  E2eSession s;
  if (!Open(&s)) return;
  POINT p = E2eBareSpot(&s);
  PressAt(&s, p);
  Sleep(30);
  E2eMouseLeft(0);
  Sleep(700);
  E2eExpectNoDrag(&s, "no drag after press and release");
  if (!E2eMoveBy(30, -15)) return;
  E2eSettle(&s);
  E2eExpectNoDrag(&s, "no drag on the move");
  E2eExpectDialogStaysAt(&s, "dialog after the move", 0, 0);
}

// A second press while the first press's hold is pending cancels it: holding
// and moving after it drag nothing. A later press drags again.
void SecondPressCancels(int) {
  E2eSession s;
  if (!Open(&s)) return;
  POINT p = E2eBareSpot(&s);
  PressAt(&s, p);
  Sleep(30);
  E2eMouseLeft(0);
  E2eExpectPointerMovedTo(p.x + kApart, p.y);
  Sleep(30);
  E2eMouseLeft(1);
  Sleep(700);
  E2eExpectNoDrag(&s, "no drag after the second press");
  if (!E2eMoveBy(20, 10)) return;
  E2eSettle(&s);
  E2eExpectNoDrag(&s, "no drag on moving");
  E2eExpectDialogStaysAt(&s, "dialog after moving", 0, 0);
  E2eMouseLeft(0);
  Sleep(100);
  // The next press starts a hold again.
  POINT q = {p.x + 3 * kApart, p.y - kApart};
  PressAt(&s, q);
  if (!E2eExpectDragStarts(&s, "a later press drags")) return;
  E2eMoveBy(5, 5);
  E2eExpectDialogAt(&s, "dialog follows after the later press", 5, 5);
  E2eMouseLeft(0);
}

// A press on the path field, a button or a check box goes to that control:
// holding and moving drag nothing, and the control is not worked either.
struct ControlRow {
  const char *name;
  int id;
};
const ControlRow kControlRows[] = {
    // name               control id
    {"press_path_field", IDC_PATH},
    {"press_ok", IDOK},
    {"press_browse", IDC_BROWSE},
    {"press_check_box", IDC_AUTOPLAY},
};

void ControlPress(const void *row) {
  const ControlRow *r = static_cast<const ControlRow *>(row);
  E2eSession s;
  if (!Open(&s)) return;
  HWND c = GetDlgItem(s.dlg, r->id);
  if (!E2eExpectTrue("control found", c != nullptr, "none")) return;
  int autoplay = E2eGetCheck(s.dlg, IDC_AUTOPLAY), loop = E2eGetCheck(s.dlg, IDC_LOOP);
  POINT p = E2eCentreOf(c);
  if (!E2eExpectTrue("press spot on the control", E2eChildAt(s.dlg, p) == c, "another window is there")) return;
  PressAt(&s, p);
  Sleep(700);
  E2eExpectNoDrag(&s, "no drag after holding");
  // Away from the control, so that the release works nothing.
  if (!E2eMoveBy(40, 60)) return;
  E2eSettle(&s);
  E2eExpectDialogStaysAt(&s, "dialog after moving", 0, 0);
  E2eMouseLeft(0);
  E2eSettle(&s);
  E2eExpectTrue("sorvel still running", E2eRunning(&s.sorvel), "it ended");
  E2eExpectTrue("no warning box", E2eFindMessageBox(s.sorvel.pid, 0) == nullptr, "one is shown");
  E2eExpectInt("autoplay box", autoplay, E2eGetCheck(s.dlg, IDC_AUTOPLAY));
  E2eExpectInt("loop box", loop, E2eGetCheck(s.dlg, IDC_LOOP));
}

// A drag may leave the dialog partly off the screen; nothing pulls it back.
struct OffRow {
  const char *name;
  int toX, toY;  // where the pointer is dragged to
};
const OffRow kOffRows[] = {
    // name                      to x   to y
    {"off_screen_top_left", 5, 5},
    {"off_screen_bottom_right", 1275, 1019},
};

void OffScreen(const void *row) {
  const OffRow *r = static_cast<const OffRow *>(row);
  E2eSession s;
  if (!Open(&s)) return;
  POINT p = E2eBareSpot(&s);
  PressAt(&s, p);
  if (!E2eExpectDragStarts(&s, "drag started by holding")) return;
  int dx = r->toX - p.x, dy = r->toY - p.y;
  if (!E2eMoveBy(dx, dy)) return;
  E2eExpectDialogAt(&s, "dialog follows off the screen", dx, dy);
  E2eMouseLeft(0);
  E2eExpectDragEnds(&s, "release ends the drag");
  Sleep(700);
  E2eExpectDialogStaysAt(&s, "dialog left where it was dropped", dx, dy);
  RECT now;
  E2eWindowRect(s.dlg, &now);
  E2eExpectTrue("dialog partly off the screen",
                now.left < 0 || now.top < 0 || now.right > GetSystemMetrics(SM_CXSCREEN) ||
                    now.bottom > GetSystemMetrics(SM_CYSCREEN),
                "wholly on it");
}

// Opens the dialog, starts a drag by holding on its surface and moves it by
// (20, 10); 1 when it followed.
int OpenAndDrag_(E2E_LOC, E2eSession *s) {
  if (!Open_(E2E_THERE, s)) return 0;
  PressAt_(E2E_THERE, s, E2eBareSpot(s));
  return E2eExpectDragStarts_(E2E_THERE, s, "drag started by holding") && E2eMoveBy_(E2E_THERE, 20, 10) &&
         E2eExpectDialogAt_(E2E_THERE, s, "dialog follows", 20, 10);
}
#define OpenAndDrag(s) OpenAndDrag_(E2E_HERE, s)

// The dialog holds the capture while dragging, so a release with the pointer
// outside it still ends the drag. The dialog follows the pointer, so it is
// taken from under the pointer by another program before the release.
void ReleaseOutside(int) {
  E2eSession s;
  if (!OpenAndDrag(&s)) return;
  const int away = (int)(s.start.bottom - s.start.top) + 50;
  SetWindowPos(s.dlg, nullptr, s.start.left + 20, s.start.top + 10 + away, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (!E2eExpectDialogAt(&s, "dialog moved away", 20, 10 + away)) return;
  RECT r;
  E2eWindowRect(s.dlg, &r);
  POINT now;
  GetCursorPos(&now);
  if (!E2eExpectTrue("pointer outside the dialog", !PtInRect(&r, now), "inside")) return;
  E2eMouseLeft(0);
  E2eExpectDragEnds(&s, "release outside ends the drag");
  // Back over the dialog, which must now let the pointer go.
  if (!E2eMoveBy(-30, away)) return;
  E2eSettle(&s);
  E2eExpectDialogStaysAt(&s, "moves after the release", 20, 10 + away);
}

// Windows sends WM_CANCELMODE when a box takes the mouse from the dialog (a
// warning opened by Enter while dragging): the drag is over, and moves with
// the button still held no longer move the dialog. On Windows the release
// would then go to the window under the pointer, never to the dialog.
void CancelMode(int) {
  E2eSession s;
  if (!OpenAndDrag(&s)) return;
  SendMessageW(s.dlg, WM_CANCELMODE, 0, 0);
  if (E2eExpectDragEnds(&s, "cancel mode ends the drag") && E2eMoveBy(40, 30)) {
    E2eSettle(&s);
    E2eExpectDialogStaysAt(&s, "moves with the button held", 20, 10);
  }
  E2eMouseLeft(0);
}

// The right button drags nothing; its own handling (the about box on
// release) still works.
void RightButton(int) {
  E2eSession s;
  if (!Open(&s)) return;
  POINT p = E2eBareSpot(&s);
  E2eExpectPointerMovedTo(p.x, p.y);
  E2eSettle(&s);
  E2eMouseRight(1);
  Sleep(700);
  E2eExpectNoDrag(&s, "no drag on holding the right button");
  if (!E2eMoveBy(30, -15)) return;
  E2eSettle(&s);
  E2eExpectDialogStaysAt(&s, "dialog after moving", 0, 0);
  E2eMouseRight(0);
  HWND about = E2eFindWindow(s.sorvel.pid, L"#32770", kAboutTitle, kDialogWaitMs);
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
  E2eSession s;
  if (!Open(&s)) return;
  POINT ok = E2eCentreOf(GetDlgItem(s.dlg, IDOK));
  if (!E2eExpectPointerMovedTo(ok.x, ok.y) || !E2eExpectPointerMovedTo(ok.x + 1, ok.y)) return;
  E2eSettle(&s);
  HCURSOR arrow = ShownCursor();
  POINT p = E2eBareSpot(&s);
  if (!E2eExpectPointerMovedTo(p.x + 2, p.y) || !E2eExpectPointerMovedTo(p.x, p.y)) return;
  HCURSOR hover = WaitCursor(arrow, 0);
  if (!E2eExpectTrue("hover cursor over the surface", hover != arrow && hover, "the button's cursor")) return;
  E2eSettle(&s);
  E2eMouseLeft(1);
  if (!E2eExpectDragStarts(&s, "drag started by holding")) return;
  HCURSOR drag = WaitCursor(hover, 0);
  E2eExpectTrue("drag cursor when the drag starts", drag != hover && drag != arrow && drag,
                drag == hover ? "the hover cursor" : "the button's cursor");
  if (!E2eMoveBy(10, 10)) return;
  E2eSettle(&s);
  E2eExpectTrue("drag cursor while moving", ShownCursor() == drag, "another cursor");
  E2eMouseLeft(0);
  if (!E2eExpectDragEnds(&s, "release ends the drag")) return;
  if (!E2eMoveBy(3, 3)) return;
  E2eExpectTrue("hover cursor after the drag", WaitCursor(hover, 1) == hover, "another cursor");
}

// With the buttons swapped for the left hand, Windows gives the dialog the
// physical right button's press as WM_LBUTTONDOWN, and the key state the hold
// reads is that of the physical buttons, so the drag must follow the right
// one. Wine swaps no button messages, so the right button is really held and
// the press the dialog gets from Windows is posted alongside, as is the
// release; the button is let go away from the dialog, where Wine's own
// WM_RBUTTONUP opens nothing.
void SwappedButtons(int) {
  SwapMouseButton(TRUE);
  E2eSession s;
  if (E2eExpectTrue("buttons swapped (premise)", GetSystemMetrics(SM_SWAPBUTTON), "not swapped") && Open(&s)) {
    POINT p = E2eBareSpot(&s), client = p;
    ScreenToClient(s.dlg, &client);
    LPARAM at = MAKELPARAM(client.x, client.y);
    E2eExpectPointerMovedTo(p.x, p.y);
    E2eSettle(&s);
    E2eMouseRight(1);
    PostMessageW(s.dlg, WM_LBUTTONDOWN, MK_LBUTTON, at);
    if (E2eExpectDragStarts(&s, "drag started by holding the swapped button") && E2eMoveBy(100, 50)) {
      E2eExpectDialogStaysAt(&s, "dialog follows the travel", 100, 50);
      PostMessageW(s.dlg, WM_LBUTTONUP, 0, at);
      E2eExpectDragEnds(&s, "release ends the drag");
    }
    E2eExpectPointerMovedTo(5, 5);
    E2eMouseRight(0);
  }
  SwapMouseButton(FALSE);
}

const E2eCase kPressCases[] = {
    // name                   procedure             param
    {"press_release", PressRelease, 0},
    {"second_press_cancels", SecondPressCancels, 0},
};

const E2eCase kMoreCases[] = {
    // name               procedure         param
    {"release_outside", ReleaseOutside, 0},
    {"cancel_mode", CancelMode, 0},
    {"right_button", RightButton, 0},
    {"cursor_shapes", CursorShapes, 0},
    {"swapped_buttons", SwappedButtons, 0},
};

const E2eTable kDragTables[] = {
    E2E_ROWS(HoldThenMove, kHoldRows),   E2E_ROWS(QuickMove, kQuickRows), E2E_ROWS(SlopThenHold, kSlopRows),
    E2E_CASES(kPressCases),              E2E_ROWS(ControlPress, kControlRows),
    E2E_ROWS(OffScreen, kOffRows),       E2E_CASES(kMoreCases),
};

}  // namespace

const E2eGroup g_dragGroup = {"drag", kDragTables, E2E_COUNT(kDragTables)};
