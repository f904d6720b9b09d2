// Building blocks of the end-to-end cases: processes, the data folder, the
// stand-in host, sorvel's windows, files, real input and reporting.
// Every wait is bounded; every process started here is ended by E2eEndAll.
#pragma once

#include <windows.h>

#include <stddef.h>

// ---- Case tables ---------------------------------------------------------

struct E2eCase {
  const char *name;
  void (*run)(int param);
  int param;
};

struct E2eGroup {
  const char *name;
  const E2eCase *cases;
  int count;
};

#define E2E_COUNT(table) ((int)(sizeof(table) / sizeof((table)[0])))

// ---- Reporting -----------------------------------------------------------
// Each Expect* returns 1 when the check holds; otherwise it prints
// "FAIL <case>: <what>: expected <e>, found <a>", marks the case failed and
// returns 0, so a case can stop where going on makes no sense.

int E2eExpectInt(const char *what, long long expected, long long actual);
int E2eExpectTrue(const char *what, int condition, const char *found);
int E2eExpectText(const char *what, const wchar_t *expected, const wchar_t *actual);
int E2eExpectBytes(const char *what, const void *expected, size_t expectedLen, const void *actual, size_t actualLen);
// Starts a case: resets the failure mark and the case's host log. The runner
// calls these two around each case.
void E2eBeginCase(const char *group, const char *name);
// Ends every process of the case; 1 when the case passed.
int E2eEndCase();
// Prints an informative line for the current case (not a failure).
void E2eNote(const char *format, ...);
// UTF-16 to UTF-8 for printing; returns out.
char *E2eUtf8(const wchar_t *text, char *out, size_t cap);

// ---- Paths, set up by E2eInit ---------------------------------------------

extern wchar_t g_sorvelExe[MAX_PATH];
extern wchar_t g_standinExe[MAX_PATH];
extern wchar_t g_driverExe[MAX_PATH];
extern wchar_t g_dataDir[MAX_PATH];   // %APPDATA%\Kx (no trailing backslash)
extern wchar_t g_workDir[MAX_PATH];   // a scratch folder for source files and logs
extern wchar_t g_musicDir[MAX_PATH];  // the user's music folder

// Fills the paths (exes next to the driver unless given); 1 done, 0 failed.
int E2eInit(const wchar_t *sorvelExe, const wchar_t *standinExe);
// Joins dir, a backslash and name into out (bounded); returns out.
wchar_t *E2ePath(wchar_t *out, size_t cap, const wchar_t *dir, const wchar_t *name);

// ---- Processes -------------------------------------------------------------

struct E2eProc {
  HANDLE process;
  DWORD pid;
};

// Starts exe with the given argument text (may be null); the process is tracked
// for E2eEndAll. 1 started, 0 failed (proc zeroed).
int E2eStart(const wchar_t *exe, const wchar_t *args, E2eProc *proc);
// Waits up to timeoutMs for the process to end. 1 ended (exit code stored),
// 0 timed out (the process is then killed).
int E2eWaitExit(E2eProc *proc, DWORD timeoutMs, DWORD *exitCode);
// Waits for sorvel to end with exit code 0 within timeoutMs; a warning box it
// shows instead fails the case, naming the warning's text. 1 ended with 0.
int E2eExpectExitZero(E2eProc *sorvel, DWORD timeoutMs);
// Waits for the warning sorvel (pid) shows when the host hangs on the probe:
// it must come 9..14 s after the call (the tool gives up after 10 s) and carry
// text. Returns the box, still open, or null when none came within 20 s.
HWND E2eExpectHungHostWarning(DWORD pid, const wchar_t *text);
// 1 while the process runs.
int E2eRunning(const E2eProc *proc);
// Kills every tracked process still running and forgets them all.
void E2eEndAll();
// Milliseconds since an arbitrary start.
unsigned long long E2eNowMs();

// ---- Files -----------------------------------------------------------------

// Writes bytes to path (replacing it); 1 done.
int E2eWriteFile(const wchar_t *path, const void *bytes, size_t len);
// Reads up to cap bytes; 1 when the file exists (its length in *len, which may
// exceed cap if the file is larger), 0 when it cannot be opened.
int E2eReadFile(const wchar_t *path, void *buf, size_t cap, size_t *len);
int E2eFileExists(const wchar_t *path);
// 64-bit FNV-1a of the bytes.
unsigned long long E2eFnv1a(const void *bytes, size_t len);
// Fills buf with len bytes of a deterministic pseudo-random pattern from seed.
void E2eFillPattern(unsigned char *buf, size_t len, unsigned seed);

// ---- Data folder -----------------------------------------------------------

struct E2eSeed {
  const char *ini;        // kx.ini content, or null for none
  const char *execList;   // $exec-list.txt content, or null for none
  const void *drop;       // $kobble.mp3 content, or null for none
  size_t dropLen;
};

// Empties %APPDATA%\Kx (creating it) and writes the seeded files (seed may be
// null). 1 done.
int E2eResetDataFolder(const E2eSeed *seed);
// Path of a file in the data folder.
wchar_t *E2eDataFile(wchar_t *out, size_t cap, const wchar_t *name);
// Reads [sorvel] flags from kx.ini as text into out ("" when missing); returns out.
wchar_t *E2eReadFlagsText(wchar_t *out, size_t cap);

// ---- Stand-in host -----------------------------------------------------------

enum { kE2eMaxLogEntries = 32 };

struct E2eHostMsg {
  unsigned long long wParam;
  long long lParam;
  int dropPresent;              // notifications: 1 drop file there, 0 missing
  unsigned long long dropSize;
  unsigned long long dropHash;
};

struct E2eHostLog {
  int count;
  E2eHostMsg msg[kE2eMaxLogEntries];
};

// Starts the stand-in host (hidden, logging to this case's log) with extra
// options and waits for its window. 1 up, 0 failed (reported).
int E2eStartHost(const wchar_t *options, E2eProc *host);
// Path of this case's host log.
const wchar_t *E2eHostLogPath();
// Reads this case's host log (an absent log reads as no messages).
void E2eReadHostLog(E2eHostLog *log);
// Expects the log to be exactly these (wParam, lParam) pairs, in order.
int E2eExpectHostMessages(const E2eHostLog *log, const unsigned long long *wParams, const long long *lParams, int n);

// ---- Sorvel's windows ----------------------------------------------------

// Starts sorvel.exe. 1 started.
int E2eStartSorvel(E2eProc *proc);
// Finds a visible top-level window of process pid with the class and exact
// title (null title: any), polling up to timeoutMs; null when none.
HWND E2eFindWindow(DWORD pid, const wchar_t *cls, const wchar_t *title, DWORD timeoutMs);
// The insert dialog of pid (a captionless #32770 with the path field).
HWND E2eFindInsertDialog(DWORD pid, DWORD timeoutMs);
// A message box of pid (a #32770 titled "Sorvel").
HWND E2eFindMessageBox(DWORD pid, DWORD timeoutMs);
// Text of the box's message (static 0xFFFF) into out; returns out ("" if none).
wchar_t *E2eMessageBoxText(HWND box, wchar_t *out, size_t cap);
// Presses the box's OK.
void E2eDismissMessageBox(HWND box);
// Waits for a warning box of pid, checks its text and that it is owned by
// owner (null: no owner), dismisses it. 1 when all held.
int E2eExpectWarning(DWORD pid, const wchar_t *text, HWND owner, DWORD timeoutMs);
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
// Prints the child controls of a window (class, id, text), for diagnosis.
void E2eDumpWindow(HWND hwnd);
// Waits up to timeoutMs until hwnd is no longer a window; 1 gone.
int E2eWaitGone(HWND hwnd, DWORD timeoutMs);

// ---- Real input and window facts --------------------------------------------

int E2eMoveCursor(int x, int y);
// Real left-button input through the system input queue (SendInput).
int E2eMouseLeft(int down);
// Real mouse motion to (x, y) through the input queue (SendInput, absolute),
// which reaches the window under the cursor (or holding the capture) as
// WM_MOUSEMOVE. 1 sent.
int E2eMouseMoveTo(int x, int y);
// Real motion to (x, y) that waits for the pointer to land there; a pointer
// elsewhere after a second fails the case. 1 landed.
int E2eExpectPointerMovedTo(int x, int y);
int E2eWindowRect(HWND hwnd, RECT *rect);
// Real right-button input, like E2eMouseLeft.
int E2eMouseRight(int down);
// A real key press and release (SendInput); it reaches the focus of the
// foreground thread. 1 sent.
int E2eKeyTap(WORD vk);
// The window holding the mouse capture on hwnd's thread; null when none.
HWND E2eCaptureOf(HWND hwnd);
// Where a window of w x h lands when centred on the cursor (cx, cy) and pushed
// back inside the screen (0, 0, SM_CXSCREEN, SM_CYSCREEN): halves truncated,
// right edge before left, top before bottom.
POINT E2ePlacedOrigin(int w, int h, int cx, int cy);
// Expects hwnd at E2ePlacedOrigin of its own measured size for the cursor
// (cx, cy). 1 when it is there.
int E2eExpectPlacedAt(const char *what, HWND hwnd, int cx, int cy);
// A StringFileInfo value of exe under \StringFileInfo\<lang-cp>\<key>; 1 found.
int E2eVersionString(const wchar_t *exe, const wchar_t *langCp, const wchar_t *key, wchar_t *out, size_t cap);
// The fixed file version (MS, LS words); 1 found.
int E2eFixedVersion(const wchar_t *exe, DWORD *ms, DWORD *ls);

// ---- Groups, one table per file ---------------------------------------------

extern const E2eGroup g_spineGroup;
extern const E2eGroup g_inputGroup;
extern const E2eGroup g_resourcesGroup;
extern const E2eGroup g_demoGroup;
extern const E2eGroup g_placementGroup;
extern const E2eGroup g_dragGroup;
extern const E2eGroup g_aboutGroup;
extern const E2eGroup g_toolListGroup;
extern const E2eGroup g_faultsGroup;
