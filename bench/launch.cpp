// Times Sorvel against minimal Win32 programs from inside Wine, one run after
// the other on the same prefix, and prints one line per raw time:
//   time <row> <subject> <milliseconds>
// Runs of the two subjects alternate (ABAB, then BABA) so that a warming cache
// or a busy wineserver does not favour one of them.
//
//   launch startup <runs> <sorvel.exe> <floor.exe> [row]
//       process start to its dialog being visible; the first program is
//       reported as "sorvel" under the row name (default "startup").
//   launch quit <runs> <sorvel.exe> <floor.exe>
//       posting Cancel to process exit, with the dialog up and quiet.
//   launch insert <runs> <row> <sorvel.exe> <floor.exe> <host command line> <source> <drop path>
//       OK to process exit: Sorvel sends <source> to the host started from
//       <host command line>; the floor CopyFile()s <source> to <drop path>.
//       Also times the bare CopyFile in this process ("copy-only").
//   launch firstrun <runs> <sorvel.exe> <settings path> <list path> <list source>
//       start-up to dialog with flags=0 (tool-list entry made) against flags=1,
//       the list restored from <list source> before each run.
// A failed run prints "error <text>" and the program exits with 1.
#include <windows.h>
#include <shellapi.h>

#include <stdio.h>
#include <string.h>
#include <wchar.h>

namespace {

const wchar_t kHostClass[] = L"Kobble API-kurasu";
const wchar_t kHostTitle[] = L"Kobble TSR";
const DWORD kTimeoutMs = 30000;

LARGE_INTEGER g_freq;

double NowMs() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return (double)t.QuadPart * 1000.0 / (double)g_freq.QuadPart;
}

void Fail(const char* what, const wchar_t* detail) {
  printf("error %s %ls (last error %lu)\n", what, detail ? detail : L"", GetLastError());
  fflush(stdout);
  ExitProcess(1);
}

struct FindDialog {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindDialogProc(HWND hwnd, LPARAM lParam) {
  FindDialog* f = reinterpret_cast<FindDialog*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != f->pid || !IsWindowVisible(hwnd)) return TRUE;
  wchar_t cls[16];
  if (GetClassNameW(hwnd, cls, 16) && !wcscmp(cls, L"#32770")) {
    f->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

struct Child {
  PROCESS_INFORMATION pi;
  HWND dialog;
};

// Starts cmdline (a writable copy is made) and returns at once.
void Start(const wchar_t* cmdline, Child* c) {
  static wchar_t buf[4096];
  wcsncpy(buf, cmdline, 4095);
  buf[4095] = 0;
  STARTUPINFOW si;
  memset(&si, 0, sizeof si);
  si.cb = sizeof si;
  memset(c, 0, sizeof *c);
  if (!CreateProcessW(nullptr, buf, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &c->pi))
    Fail("CreateProcess", cmdline);
}

// Polls until the child shows a dialog; returns 0 when it exited or took too long.
int WaitDialog(Child* c) {
  double limit = NowMs() + kTimeoutMs;
  FindDialog f = {c->pi.dwProcessId, nullptr};
  for (;;) {
    EnumWindows(FindDialogProc, reinterpret_cast<LPARAM>(&f));
    if (f.found) {
      c->dialog = f.found;
      return 1;
    }
    if (WaitForSingleObject(c->pi.hProcess, 1) == WAIT_OBJECT_0) return 0;
    if (NowMs() > limit) return 0;
  }
}

// Waits for the child to end; returns 0 (after killing it) when it does not.
int WaitExit(Child* c) {
  int ok = WaitForSingleObject(c->pi.hProcess, kTimeoutMs) == WAIT_OBJECT_0;
  if (!ok) TerminateProcess(c->pi.hProcess, 1);
  WaitForSingleObject(c->pi.hProcess, 5000);
  CloseHandle(c->pi.hProcess);
  CloseHandle(c->pi.hThread);
  return ok;
}

void Command(Child* c, WORD id) {
  PostMessageW(c->dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(c->dialog, id)));
}

void Quote(wchar_t* out, size_t cap, const wchar_t* exe, const wchar_t* args) {
  _snwprintf(out, cap, L"\"%ls\"%ls%ls", exe, args ? L" " : L"", args ? args : L"");
  out[cap - 1] = 0;
}

void Report(const char* row, const char* subject, double ms) {
  printf("time %s %s %.3f\n", row, subject, ms);
  fflush(stdout);
}

// One start-up run: returns the milliseconds from CreateProcess to a visible dialog.
double TimeStartup(const wchar_t* cmdline) {
  Child c;
  double t0 = NowMs();
  Start(cmdline, &c);
  if (!WaitDialog(&c)) Fail("no dialog from", cmdline);
  double t1 = NowMs();
  Command(&c, IDCANCEL);
  if (!WaitExit(&c)) Fail("did not end after Cancel:", cmdline);
  Sleep(30);
  return t1 - t0;
}

// One run of closing: the dialog is up and quiet; returns the milliseconds from
// posting Cancel to process exit, the share of process end in every timing.
double TimeQuit(const wchar_t* cmdline) {
  Child c;
  Start(cmdline, &c);
  if (!WaitDialog(&c)) Fail("no dialog from", cmdline);
  Sleep(200);
  double t0 = NowMs();
  Command(&c, IDCANCEL);
  if (!WaitExit(&c)) Fail("did not end after Cancel:", cmdline);
  double t1 = NowMs();
  Sleep(30);
  return t1 - t0;
}

int ModeQuit(int runs, const wchar_t* sorvel, const wchar_t* floorExe) {
  wchar_t a[1024], b[1024];
  Quote(a, 1024, sorvel, nullptr);
  Quote(b, 1024, floorExe, nullptr);
  for (int i = 0; i < runs; ++i) {
    int swap = (i / 2) % 2;
    if (swap) Report("quit", "floor", TimeQuit(b));
    Report("quit", "sorvel", TimeQuit(a));
    if (!swap) Report("quit", "floor", TimeQuit(b));
  }
  return 0;
}

int ModeStartup(int runs, const wchar_t* sorvel, const wchar_t* floorExe, const char* row) {
  wchar_t a[1024], b[1024];
  Quote(a, 1024, sorvel, nullptr);
  Quote(b, 1024, floorExe, nullptr);
  for (int i = 0; i < runs; ++i) {
    int swap = (i / 2) % 2;  // ABAB then BABA
    if (swap) Report(row, "floor", TimeStartup(b));
    Report(row, "sorvel", TimeStartup(a));
    if (!swap) Report(row, "floor", TimeStartup(b));
  }
  return 0;
}

long long FileSize(const wchar_t* path) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExW(path, GetFileExInfoStandard, &d)) return -1;
  return ((long long)d.nFileSizeHigh << 32) | d.nFileSizeLow;
}

// One insertion run: the dialog is up and its path field filled before the
// clock starts; returns the milliseconds from posting OK to process exit.
double TimeInsert(const wchar_t* cmdline, const wchar_t* source, const wchar_t* drop, int setPath) {
  DeleteFileW(drop);
  Child c;
  Start(cmdline, &c);
  if (!WaitDialog(&c)) Fail("no dialog from", cmdline);
  if (setPath) {
    HWND edit = GetDlgItem(c.dialog, 1001);
    if (!edit) Fail("no path field in", cmdline);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(source));
  }
  Sleep(200);  // let start-up painting finish outside the measured span
  double t0 = NowMs();
  Command(&c, IDOK);
  if (!WaitExit(&c)) Fail("did not end after OK (a warning box?):", cmdline);
  double t1 = NowMs();
  if (FileSize(drop) != FileSize(source)) Fail("drop file size differs after", cmdline);
  Sleep(30);
  return t1 - t0;
}

HWND StartHost(const wchar_t* cmdline, Child* host) {
  Start(cmdline, host);
  double limit = NowMs() + kTimeoutMs;
  for (;;) {
    HWND h = FindWindowW(kHostClass, kHostTitle);
    if (h) return h;
    if (NowMs() > limit) Fail("host window did not appear:", cmdline);
    Sleep(10);
  }
}

int ModeInsert(int runs, const char* row, const wchar_t* sorvel, const wchar_t* floorExe, const wchar_t* hostCmd,
               const wchar_t* source, const wchar_t* drop) {
  Child host;
  HWND hostWindow = StartHost(hostCmd, &host);
  wchar_t args[2048], a[4096], b[4096];
  Quote(a, 4096, sorvel, nullptr);
  _snwprintf(args, 2048, L"\"%ls\" \"%ls\"", source, drop);
  args[2047] = 0;
  Quote(b, 4096, floorExe, args);
  for (int i = 0; i < runs; ++i) {
    int swap = (i / 2) % 2;
    if (swap) Report(row, "floor", TimeInsert(b, source, drop, 0));
    Report(row, "sorvel", TimeInsert(a, source, drop, 1));
    if (!swap) Report(row, "floor", TimeInsert(b, source, drop, 0));
    DeleteFileW(drop);
    double t0 = NowMs();
    if (!CopyFileW(source, drop, FALSE)) Fail("CopyFile", drop);
    Report(row, "copy-only", NowMs() - t0);
    Sleep(30);
  }
  PostMessageW(hostWindow, WM_CLOSE, 0, 0);
  WaitExit(&host);
  return 0;
}

// Replaces the file at path with the bytes of source (not timed).
void CopyOver(const wchar_t* source, const wchar_t* path) {
  if (!CopyFileW(source, path, FALSE)) Fail("restore", path);
}

void WriteFlags(const wchar_t* settings, const wchar_t* value) {
  if (!WritePrivateProfileStringW(L"sorvel", L"flags", value, settings)) Fail("write settings", settings);
}

// Returns 1 when the list holds Sorvel's own line (the generated lists never do).
int HasOwnLine(const wchar_t* path) {
  HANDLE f = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 0;
  static char buf[1 << 16];
  const char needle[] = "36\tSorvel\t";
  const size_t n = sizeof needle - 1;
  size_t keep = 0;
  int found = 0;
  DWORD got = 0;
  while (!found && ReadFile(f, buf + keep, (DWORD)(sizeof buf - keep), &got, nullptr) && got > 0) {
    size_t len = keep + got;
    for (size_t i = 0; i + n <= len; ++i)
      if (!memcmp(buf + i, needle, n)) { found = 1; break; }
    keep = len < n ? len : n - 1;
    memmove(buf, buf + len - keep, keep);
  }
  CloseHandle(f);
  return found;
}

int ModeFirstRun(int runs, const wchar_t* sorvel, const wchar_t* settings, const wchar_t* list,
                 const wchar_t* listSource) {
  wchar_t a[1024];
  Quote(a, 1024, sorvel, nullptr);
  for (int i = 0; i < runs; ++i) {
    int swap = (i / 2) % 2;
    for (int k = 0; k < 2; ++k) {
      int first = (k == 0) != (swap != 0);
      CopyOver(listSource, list);
      WriteFlags(settings, first ? L"0" : L"1");
      double ms = TimeStartup(a);
      if (HasOwnLine(list) != first) Fail(first ? "no tool-list entry on a first run:" : "entry made with flags=1:", list);
      Report("firstrun", first ? "flags0" : "flags1", ms);
    }
  }
  WriteFlags(settings, L"1");
  CopyOver(listSource, list);
  return 0;
}

}  // namespace

int main() {
  QueryPerformanceFrequency(&g_freq);
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 3) {
    printf("usage: launch startup|insert|firstrun <runs> ...\n");
    return 2;
  }
  int runs = _wtoi(argv[2]);
  if (!wcscmp(argv[1], L"quit") && argc == 5) return ModeQuit(runs, argv[3], argv[4]);
  if (!wcscmp(argv[1], L"startup") && (argc == 5 || argc == 6)) {
    char row[32] = "startup";
    if (argc == 6) snprintf(row, sizeof row, "%ls", argv[5]);
    return ModeStartup(runs, argv[3], argv[4], row);
  }
  if (!wcscmp(argv[1], L"insert") && argc == 9) {
    char row[32];
    snprintf(row, sizeof row, "%ls", argv[3]);
    return ModeInsert(runs, row, argv[4], argv[5], argv[6], argv[7], argv[8]);
  }
  if (!wcscmp(argv[1], L"firstrun") && argc == 7) return ModeFirstRun(runs, argv[3], argv[4], argv[5], argv[6]);
  printf("usage: launch startup|insert|firstrun <runs> ... (bad arguments)\n");
  return 2;
}
