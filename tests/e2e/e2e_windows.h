// Sorvel's windows seen from outside: finding them, reading and working their
// controls, and facts of windows and of the program file. Messages to another
// process's window are bounded, so a hung program never hangs the driver.
#pragma once

#include <windows.h>

#include <stddef.h>

#include "e2e_report.h"

// SendMessageTimeout with a 5 s bound; the result, or -1 when none came.
LRESULT E2eSendBounded(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// A visible top-level window of process pid with the class and exact title
// (null title: any), polling up to timeoutMs; null when none.
HWND E2eFindWindow(DWORD pid, const wchar_t *cls, const wchar_t *title, DWORD timeoutMs);
// The insert dialog of pid (a captionless #32770 with the path field).
HWND E2eFindInsertDialog(DWORD pid, DWORD timeoutMs);
// A message box of pid: a #32770 titled "Sorvel" with a message text and
// without the path field (the insert dialog carries the same class and title).
HWND E2eFindMessageBox(DWORD pid, DWORD timeoutMs);
// Text of the box's message (static 0xFFFF) into out; returns out ("" if none).
wchar_t *E2eMessageBoxText(HWND box, wchar_t *out, size_t cap);
// Presses the box's OK.
void E2eDismissMessageBox(HWND box);
// Waits for a warning box of pid, checks its text and that it is owned by
// owner (null: no owner), dismisses it. 1 when all held.
int E2eExpectWarning_(E2E_LOC, DWORD pid, const wchar_t *text, HWND owner, DWORD timeoutMs);
#define E2eExpectWarning(pid, text, owner, timeoutMs) E2eExpectWarning_(E2E_HERE, pid, text, owner, timeoutMs)

// A child (at any depth) of parent of class cls (case ignored), with exactly
// this text unless text is null, and whose style & typeMask is type; null when
// there is none.
HWND E2eFindChild(HWND parent, const wchar_t *cls, const wchar_t *text, LONG typeMask, LONG type);
// The window that a press at screen point p reaches first: the child control
// under it (hidden or transparent ones included) or the dialog.
HWND E2eChildAt(HWND dlg, POINT p);
POINT E2eCentreOf(HWND hwnd);
int E2eWindowRect(HWND hwnd, RECT *rect);
// The nearest visible top-level window below hwnd in the z-order (toward
// GW_HWNDNEXT); null when every window below it is hidden.
HWND E2eVisibleWindowBelow(HWND hwnd);
// The window holding the mouse capture on hwnd's thread; null when none.
HWND E2eCaptureOf(HWND hwnd);
// Waits up to timeoutMs until hwnd is no longer a visible window; 1 gone.
int E2eWaitGone(HWND hwnd, DWORD timeoutMs);
// Prints the child controls of a window (class, id, text), for diagnosis.
void E2eDumpWindow(HWND hwnd);

// Sends WM_SETTEXT / WM_GETTEXT to control id of dlg.
int E2eSetControlText(HWND dlg, int id, const wchar_t *text);
wchar_t *E2eControlText(HWND dlg, int id, wchar_t *out, size_t cap);
void E2eSetCheck(HWND dlg, int id, int checked);
// 1 checked, 0 clear, -1 no answer.
int E2eGetCheck(HWND dlg, int id);
// Posts the button's WM_COMMAND to dlg as a click would (never blocks).
void E2eClick(HWND dlg, int id);
// Posts a real Escape key press to the focused control of dlg's thread (the
// dialog itself when nothing in it has the focus).
void E2ePressEscape(HWND dlg);

// Where a window of w x h lands when centred on the cursor (cx, cy) and pushed
// back inside the screen (0, 0, SM_CXSCREEN, SM_CYSCREEN): halves truncated,
// right edge before left, top before bottom.
POINT E2ePlacedOrigin(int w, int h, int cx, int cy);
// Expects hwnd at E2ePlacedOrigin of its own measured size for the cursor
// (cx, cy). 1 when it is there.
int E2eExpectPlacedAt_(E2E_LOC, const char *what, HWND hwnd, int cx, int cy);
#define E2eExpectPlacedAt(what, hwnd, cx, cy) E2eExpectPlacedAt_(E2E_HERE, what, hwnd, cx, cy)

// Makes the driver per-monitor DPI aware, so that every rectangle, point and
// pixel it reads is in physical pixels whatever the scale sorvel runs at.
// Called once, before the driver has any window.
void E2eBecomeDpiAware();
// Reads the screen's pixels inside r (screen coordinates) row by row into
// pixels, as 0x00RRGGBB; 1 done, 0 when r does not fit in cap or the read failed.
int E2eGrabScreen(const RECT *r, DWORD *pixels, size_t cap);
// The name a screen reader announces for hwnd (its accessible object's
// name, through AccessibleObjectFromWindow) into out; 1 when it has one.
int E2eAccessibleName(HWND hwnd, wchar_t *out, size_t cap);

// A StringFileInfo value of exe under \StringFileInfo\<lang-cp>\<key>; 1 found.
int E2eVersionString(const wchar_t *exe, const wchar_t *langCp, const wchar_t *key, wchar_t *out, size_t cap);
// The fixed file version (MS, LS words); 1 found.
int E2eFixedVersion(const wchar_t *exe, DWORD *ms, DWORD *ls);
