// Where the dialogs open: centred on the pointer and pushed back inside the
// screen, seen as the real windows' rectangles after a real start.
#include <stdio.h>

#include "e2e_groups.h"
#include "e2e_session.h"

namespace {

// The screen the Xvfb of run_e2e.sh gives every run; one monitor.
const int kScreenW = 1280, kScreenH = 1024;

int ScreenIsAsAssumed() {
  int ok = E2eExpectInt("screen width", kScreenW, GetSystemMetrics(SM_CXSCREEN));
  return E2eExpectInt("screen height", kScreenH, GetSystemMetrics(SM_CYSCREEN)) && ok;
}

// Expects the window wholly inside the screen.
int ExpectOnScreen_(E2E_LOC, const char *what, HWND hwnd) {
  RECT r;
  if (!E2eExpectTrue_(E2E_THERE, what, E2eWindowRect(hwnd, &r), "no rectangle")) return 0;
  char found[96];
  snprintf(found, sizeof found, "(%ld, %ld, %ld, %ld)", r.left, r.top, r.right, r.bottom);
  return E2eExpectTrue_(E2E_THERE, what, r.left >= 0 && r.top >= 0 && r.right <= kScreenW && r.bottom <= kScreenH,
                        found);
}
#define ExpectOnScreen(what, hwnd) ExpectOnScreen_(E2E_HERE, what, hwnd)

// Pointer positions before start; the expectation is computed from the
// dialog's measured size, so the rows hold only the pointer.
struct CursorRow {
  const char *name;
  int x, y;
};
const CursorRow kCursorRows[] = {
    // name                   x     y
    {"centre", 640, 512},
    {"corner_top_left", 0, 0},
    {"near_top_left", 4, 5},
    {"corner_top_right", 1279, 0},
    {"near_top_right", 1275, 6},
    {"near_bottom_left", 2, 1021},
    {"corner_bottom_right", 1279, 1023},
    {"edge_top", 640, 3},
    {"edge_bottom", 641, 1020},
    {"edge_left", 1, 513},
    {"edge_right", 1277, 511},
    {"off_centre", 333, 211},  // fits without a push
};

void InsertDialogAt(const void *row) {
  const CursorRow *c = static_cast<const CursorRow *>(row);
  E2eSession s;
  if (!ScreenIsAsAssumed() || !E2eOpenDialogAt(&s, nullptr, c->x, c->y)) return;
  E2eExpectPlacedAt("insert dialog origin", s.dlg, c->x, c->y);
  ExpectOnScreen("insert dialog inside the screen", s.dlg);
}

// The about box opens on the pointer the same way; near the bottom-right
// corner it is pushed wholly inside the screen.
void AboutBoxNearEdge(int) {
  E2eSession s;
  if (!ScreenIsAsAssumed() || !E2eOpenDialogAt(&s, nullptr, 1270, 1015)) return;
  // Low on the dialog's bare left part, so the pointer is near the bottom edge.
  int x = s.start.left + 40, y = s.start.bottom - 12;
  if (!E2eExpectTrue("pointer over the dialog", E2eMouseMoveTo(x, y), "SendInput failed")) return;
  Sleep(100);
  E2eMouseRight(1);
  E2eMouseRight(0);
  HWND about = E2eFindWindow(s.sorvel.pid, L"#32770", kAboutTitle, kDialogWaitMs);
  if (!E2eExpectTrue("about box shown", about != nullptr, "none within 10 s")) return;
  E2eExpectPlacedAt("about box origin", about, x, y);
  ExpectOnScreen("about box inside the screen", about);
}

const E2eCase kAboutCases[] = {
    // name                   procedure         param
    {"about_box_near_edge", AboutBoxNearEdge, 0},
};

const E2eTable kPlacementTables[] = {
    E2E_ROWS(InsertDialogAt, kCursorRows),
    E2E_CASES(kAboutCases),
};

}  // namespace

const E2eGroup g_placementGroup = {"placement", kPlacementTables, E2E_COUNT(kPlacementTables)};
