// Where the dialogs open: centred on the pointer and pushed back inside the
// screen, seen as the real windows' rectangles after a real start.
#include <stdio.h>

#include "e2e_harness.h"

namespace {

const DWORD kDialogWaitMs = 10000;

// The screen the Xvfb of run_e2e.sh gives every run; one monitor.
const int kScreenW = 1280, kScreenH = 1024;

// Pointer positions before start; the expectation is computed from the
// dialog's measured size, so the rows hold only the pointer.
struct CursorRow {
  int x, y;
};
const CursorRow kCursorRows[] = {
    //   x     y
    {640, 512},    // 0 centre
    {0, 0},        // 1 top-left corner
    {4, 5},        // 2 near top-left
    {1279, 0},     // 3 top-right corner
    {1275, 6},     // 4 near top-right
    {2, 1021},     // 5 near bottom-left
    {1279, 1023},  // 6 bottom-right corner
    {640, 3},      // 7 top edge
    {641, 1020},   // 8 bottom edge
    {1, 513},      // 9 left edge
    {1277, 511},   // 10 right edge
    {333, 211},    // 11 off centre, fits without a push
};

int ScreenIsAsAssumed() {
  int ok = E2eExpectInt("screen width", kScreenW, GetSystemMetrics(SM_CXSCREEN));
  return E2eExpectInt("screen height", kScreenH, GetSystemMetrics(SM_CYSCREEN)) && ok;
}

// Expects the window wholly inside the screen.
int ExpectOnScreen(const char *what, HWND hwnd) {
  RECT r;
  if (!E2eExpectTrue(what, E2eWindowRect(hwnd, &r), "no rectangle")) return 0;
  char found[96];
  snprintf(found, sizeof found, "(%ld, %ld, %ld, %ld)", r.left, r.top, r.right, r.bottom);
  return E2eExpectTrue(what, r.left >= 0 && r.top >= 0 && r.right <= kScreenW && r.bottom <= kScreenH, found);
}

// Starts sorvel with the pointer at (x, y); the insert dialog or null.
HWND StartAt(E2eProc *sorvel, int x, int y) {
  if (!ScreenIsAsAssumed() || !E2eResetDataFolder(nullptr)) return nullptr;
  if (!E2eExpectTrue("pointer moved", E2eMoveCursor(x, y), "SetCursorPos failed")) return nullptr;
  if (!E2eStartSorvel(sorvel)) return nullptr;
  HWND dlg = E2eFindInsertDialog(sorvel->pid, kDialogWaitMs);
  E2eExpectTrue("insert dialog shown", dlg != nullptr, "no dialog within 10 s");
  return dlg;
}

// ---- cases -------------------------------------------------------------------

void InsertDialogAt(int row) {
  const CursorRow *c = &kCursorRows[row];
  E2eProc sorvel;
  HWND dlg = StartAt(&sorvel, c->x, c->y);
  if (!dlg) return;
  E2eExpectPlacedAt("insert dialog origin", dlg, c->x, c->y);
  ExpectOnScreen("insert dialog inside the screen", dlg);
}

// The about box opens on the pointer the same way; near the bottom-right
// corner it is pushed wholly inside the screen.
void AboutBoxNearEdge(int) {
  E2eProc sorvel;
  HWND dlg = StartAt(&sorvel, 1270, 1015);
  if (!dlg) return;
  RECT r;
  E2eWindowRect(dlg, &r);
  // Low on the dialog's bare left part, so the pointer is near the bottom edge.
  int x = r.left + 40, y = r.bottom - 12;
  if (!E2eExpectTrue("pointer over the dialog", E2eMouseMoveTo(x, y), "SendInput failed")) return;
  Sleep(100);
  E2eMouseRight(1);
  E2eMouseRight(0);
  HWND about = E2eFindWindow(sorvel.pid, L"#32770", L"『Sorvel』について", kDialogWaitMs);
  if (!E2eExpectTrue("about box shown", about != nullptr, "none within 10 s")) return;
  E2eExpectPlacedAt("about box origin", about, x, y);
  ExpectOnScreen("about box inside the screen", about);
}

const E2eCase kPlacementCases[] = {
    // name                   procedure         param (row of kCursorRows)
    {"centre", InsertDialogAt, 0},
    {"corner_top_left", InsertDialogAt, 1},
    {"near_top_left", InsertDialogAt, 2},
    {"corner_top_right", InsertDialogAt, 3},
    {"near_top_right", InsertDialogAt, 4},
    {"near_bottom_left", InsertDialogAt, 5},
    {"corner_bottom_right", InsertDialogAt, 6},
    {"edge_top", InsertDialogAt, 7},
    {"edge_bottom", InsertDialogAt, 8},
    {"edge_left", InsertDialogAt, 9},
    {"edge_right", InsertDialogAt, 10},
    {"off_centre", InsertDialogAt, 11},
    {"about_box_near_edge", AboutBoxNearEdge, 0},
};

}  // namespace

const E2eGroup g_placementGroup = {"placement", kPlacementCases, E2E_COUNT(kPlacementCases)};
