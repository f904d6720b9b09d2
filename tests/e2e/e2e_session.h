// One run of sorvel as a case drives it: start it on a seeded data folder,
// work its dialog as the user would, and check how the run ends and what it
// handed to the host. Built on the process, file, window, input and host
// modules, which a case may also use directly.
#pragma once

#include <windows.h>

#include <stddef.h>

#include "e2e_expected.h"
#include "e2e_files.h"
#include "e2e_host.h"
#include "e2e_input.h"
#include "e2e_process.h"
#include "e2e_report.h"
#include "e2e_windows.h"
#include "ui/resource.h"

// Fills the programs' paths (next to the driver unless given) and the folders
// of the run, and empties the scratch folder; 1 done, 0 failed (printed).
int E2eInit(const wchar_t *sorvelExe, const wchar_t *standinExe);

struct E2eSession {
  E2eProc sorvel;
  HWND dlg;    // the insert dialog, once shown
  RECT start;  // its rectangle when it was found
};

// Starts exe (null: the program under test) and waits for its insert dialog.
// 1 shown; the data folder is left as it is.
int E2eStartSorvel_(E2E_LOC, E2eSession *s, const wchar_t *exe);
// Seeds the data folder (seed may be null: empty), then E2eStartSorvel.
int E2eOpenDialog_(E2E_LOC, E2eSession *s, const E2eSeed *seed);
// Releases both buttons (a case that stopped early may have left one down),
// puts the pointer at (x, y), then E2eOpenDialog.
int E2eOpenDialogAt_(E2E_LOC, E2eSession *s, const E2eSeed *seed, int x, int y);
#define E2eStartSorvel(s, exe) E2eStartSorvel_(E2E_HERE, s, exe)
#define E2eOpenDialog(s, seed) E2eOpenDialog_(E2E_HERE, s, seed)
#define E2eOpenDialogAt(s, seed, x, y) E2eOpenDialogAt_(E2E_HERE, s, seed, x, y)

// Sets the dialog's path field and boxes and presses OK.
void E2eFillAndOk(HWND dlg, const wchar_t *path, int autoplay, int loop);
// Gives sorvel a moment to take in the input sent so far. Nothing outside
// tells when it has, so checks that something did not happen may pass early;
// checks that something did happen poll instead.
void E2eSettle(const E2eSession *s);

// Sorvel ends with exit code 0 within kExitWaitMs; a warning box it shows
// instead fails the case, naming the warning's text.
int E2eExpectExitZero_(E2E_LOC, E2eSession *s);
// Presses Cancel and expects the exit with 0.
int E2eCancelAndExit_(E2E_LOC, E2eSession *s);
// Sorvel still runs and its dialog is still open.
int E2eExpectDialogStays_(E2E_LOC, E2eSession *s);
// Waits for the warning sorvel (pid) shows when the host does not answer the
// probe: it must come fromMs..kHungWarningToMs after the call and carry text.
// Returns the box, still open, or null when none came.
HWND E2eExpectHungHostWarning_(E2E_LOC, DWORD pid, const wchar_t *text, long long fromMs);
#define E2eExpectExitZero(s) E2eExpectExitZero_(E2E_HERE, s)
#define E2eCancelAndExit(s) E2eCancelAndExit_(E2E_HERE, s)
#define E2eExpectDialogStays(s) E2eExpectDialogStays_(E2E_HERE, s)
#define E2eExpectHungHostWarning(pid, text, fromMs) E2eExpectHungHostWarning_(E2E_HERE, pid, text, fromMs)

// ---- Moving the dialog ---------------------------------------------------------
// Whether a drag is under way is read from outside as the mouse capture of
// sorvel's thread, which the dialog holds exactly while dragging.

// A point on the dialog's own surface, clear of every control, at any scale.
POINT E2eBareSpot(const E2eSession *s);
// Real motion from the current position by (dx, dy) in steps of a few pixels,
// as a hand would make it. 1 when the pointer landed at every step.
int E2eMoveBy_(E2E_LOC, int dx, int dy);
// Waits until the dialog holds the capture (want 1) or does not (want 0).
// Milliseconds waited, or -1 on timeout.
long long E2eWaitCapture(const E2eSession *s, int want, DWORD timeoutMs);
// A drag starts or ends within kCaptureWaitMs; none starts within kQuietMs.
int E2eExpectDragStarts_(E2E_LOC, const E2eSession *s, const char *what);
int E2eExpectDragEnds_(E2E_LOC, const E2eSession *s, const char *what);
int E2eExpectNoDrag_(E2E_LOC, const E2eSession *s, const char *what);
// The dialog reaches start + (dx, dy), unresized, within kMoveWaitMs; and
// then stays there for kQuietMs.
int E2eExpectDialogAt_(E2E_LOC, const E2eSession *s, const char *what, int dx, int dy);
int E2eExpectDialogStaysAt_(E2E_LOC, const E2eSession *s, const char *what, int dx, int dy);
#define E2eMoveBy(dx, dy) E2eMoveBy_(E2E_HERE, dx, dy)
#define E2eExpectDragStarts(s, what) E2eExpectDragStarts_(E2E_HERE, s, what)
#define E2eExpectDragEnds(s, what) E2eExpectDragEnds_(E2E_HERE, s, what)
#define E2eExpectNoDrag(s, what) E2eExpectNoDrag_(E2E_HERE, s, what)
#define E2eExpectDialogAt(s, what, dx, dy) E2eExpectDialogAt_(E2E_HERE, s, what, dx, dy)
#define E2eExpectDialogStaysAt(s, what, dx, dy) E2eExpectDialogStaysAt_(E2E_HERE, s, what, dx, dy)

// ---- The file handed over ------------------------------------------------------

enum { kE2eSourceCap = 1 << 16 };

// A source file, its bytes kept for comparison.
struct E2eSource {
  wchar_t path[MAX_PATH];
  unsigned char bytes[kE2eSourceCap];
  size_t len;
};

// Writes dir\name: len pattern bytes from seed behind an ID3-like header. 1 done.
int E2eMakeSource_(E2E_LOC, E2eSource *src, const wchar_t *dir, const wchar_t *name, size_t len, unsigned seed);
// The drop file holds exactly these bytes; is absent; carries none of
// read-only, hidden and system, which stop the next copy from replacing it on
// Windows (Wine replaces it all the same, so the attributes are what counts).
int E2eExpectDrop_(E2E_LOC, const void *bytes, size_t len);
int E2eExpectNoDrop_(E2E_LOC);
int E2eExpectDropPlain_(E2E_LOC);
// The notification's view of the drop file: the host saw exactly the source.
int E2eExpectHostSawSource_(E2E_LOC, const E2eHostMsg *m, const E2eSource *src);
#define E2eMakeSource(src, dir, name, len, seed) E2eMakeSource_(E2E_HERE, src, dir, name, len, seed)
#define E2eExpectDrop(bytes, len) E2eExpectDrop_(E2E_HERE, bytes, len)
#define E2eExpectNoDrop() E2eExpectNoDrop_(E2E_HERE)
#define E2eExpectDropPlain() E2eExpectDropPlain_(E2E_HERE)
#define E2eExpectHostSawSource(m, src) E2eExpectHostSawSource_(E2E_HERE, m, src)
