#include "e2e_harness.h"

#include <shlobj.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

wchar_t g_sorvelExe[MAX_PATH];
wchar_t g_standinExe[MAX_PATH];
wchar_t g_driverExe[MAX_PATH];
wchar_t g_dataDir[MAX_PATH];
wchar_t g_workDir[MAX_PATH];
wchar_t g_musicDir[MAX_PATH];

namespace {

enum { kMaxProcs = 16 };

struct CaseState {
  const char *group;
  const char *name;
  int failed;
  int serial;
  wchar_t hostLog[MAX_PATH];
  wchar_t hostReady[MAX_PATH];
};

CaseState g_case = {"", "", 0, 0, {0}, {0}};
E2eProc g_procs[kMaxProcs];
int g_procCount = 0;

void CopyWide(wchar_t *dst, size_t cap, const wchar_t *src) {
  size_t i = 0;
  for (; i + 1 < cap && src[i]; ++i) dst[i] = src[i];
  dst[i] = 0;
}

void AppendWide(wchar_t *dst, size_t cap, const wchar_t *src) {
  size_t n = wcslen(dst);
  if (n < cap) CopyWide(dst + n, cap - n, src);
}

void MarkFailed(const char *what, const char *expected, const char *actual) {
  g_case.failed = 1;
  printf("FAIL %s.%s: %s: expected %s, found %s\n", g_case.group, g_case.name, what, expected, actual);
  fflush(stdout);
}

// Byte text for messages: printable ASCII as is, the rest as \xNN; cut long.
void DescribeBytes(const void *bytes, size_t len, char *out, size_t cap) {
  const unsigned char *b = static_cast<const unsigned char *>(bytes);
  size_t o = 0;
  int n = snprintf(out, cap, "%zu bytes \"", len);
  o = n > 0 ? (size_t)n : 0;
  for (size_t i = 0; i < len && o + 8 < cap; ++i) {
    if (i == 48) { o += (size_t)snprintf(out + o, cap - o, "..."); break; }
    if (b[i] >= 0x20 && b[i] < 0x7f && b[i] != '"') out[o++] = (char)b[i];
    else o += (size_t)snprintf(out + o, cap - o, "\\x%02x", b[i]);
  }
  if (o + 2 < cap) { out[o++] = '"'; out[o] = 0; } else if (cap) out[cap - 1] = 0;
}

HWND g_found;
struct FindSpec {
  DWORD pid;
  const wchar_t *cls;
  const wchar_t *title;
  int needPathField;
};

BOOL CALLBACK FindProc(HWND hwnd, LPARAM lParam) {
  const FindSpec *spec = reinterpret_cast<const FindSpec *>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != spec->pid || !IsWindowVisible(hwnd)) return TRUE;
  wchar_t text[256];
  if (!GetClassNameW(hwnd, text, 256) || wcscmp(text, spec->cls)) return TRUE;
  if (spec->title) {
    text[0] = 0;
    GetWindowTextW(hwnd, text, 256);
    if (wcscmp(text, spec->title)) return TRUE;
  }
  if (spec->needPathField && !GetDlgItem(hwnd, 1001)) return TRUE;
  g_found = hwnd;
  return FALSE;
}

HWND FindOnce(const FindSpec *spec) {
  g_found = nullptr;
  EnumWindows(FindProc, reinterpret_cast<LPARAM>(spec));
  return g_found;
}

HWND PollFind(const FindSpec *spec, DWORD timeoutMs) {
  unsigned long long end = E2eNowMs() + timeoutMs;
  for (;;) {
    HWND h = FindOnce(spec);
    if (h || E2eNowMs() >= end) return h;
    Sleep(50);
  }
}

// A message to another process's window that must never hang the driver.
LRESULT SendBounded(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(hwnd, msg, wParam, lParam, SMTO_NORMAL, 5000, &result)) return -1;
  return static_cast<LRESULT>(result);
}

int DeleteFolderFiles(const wchar_t *dir) {
  wchar_t pattern[MAX_PATH];
  E2ePath(pattern, MAX_PATH, dir, L"*");
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(pattern, &fd);
  if (h == INVALID_HANDLE_VALUE) return 1;
  int ok = 1;
  do {
    if (!wcscmp(fd.cFileName, L".") || !wcscmp(fd.cFileName, L"..")) continue;
    wchar_t path[MAX_PATH];
    E2ePath(path, MAX_PATH, dir, fd.cFileName);
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      DeleteFolderFiles(path);
      if (!RemoveDirectoryW(path)) ok = 0;
    } else {
      SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
      if (!DeleteFileW(path)) ok = 0;
    }
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return ok;
}

// "PE32 i386", "PE32+ x86-64" or what else the header of exe says.
const char *ImageKind(const wchar_t *exe) {
  unsigned char head[1024];
  size_t len = 0;
  if (!E2eReadFile(exe, head, sizeof head, &len) || len < 0x40) return "unreadable";
  size_t have = len < sizeof head ? len : sizeof head;
  size_t pe = head[0x3c] | head[0x3d] << 8 | (size_t)head[0x3e] << 16 | (size_t)head[0x3f] << 24;
  if (pe + 6 > have || memcmp(head + pe, "PE\0\0", 4)) return "not a PE image";
  unsigned machine = head[pe + 4] | head[pe + 5] << 8;
  if (machine == 0x14c) return "PE32 i386";
  if (machine == 0x8664) return "PE32+ x86-64";
  return "PE image of another machine";
}

}  // namespace

// ---- Reporting -------------------------------------------------------------

char *E2eUtf8(const wchar_t *text, char *out, size_t cap) {
  if (!cap) return out;
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, out, (int)cap, nullptr, nullptr);
  if (n <= 0) snprintf(out, cap, "<text too long>");
  out[cap - 1] = 0;
  return out;
}

int E2eExpectInt(const char *what, long long expected, long long actual) {
  if (expected == actual) return 1;
  char e[32], a[32];
  snprintf(e, sizeof e, "%lld", expected);
  snprintf(a, sizeof a, "%lld", actual);
  MarkFailed(what, e, a);
  return 0;
}

int E2eExpectTrue(const char *what, int condition, const char *found) {
  if (condition) return 1;
  MarkFailed(what, "true", found ? found : "false");
  return 0;
}

int E2eExpectText(const char *what, const wchar_t *expected, const wchar_t *actual) {
  if (!wcscmp(expected, actual)) return 1;
  char e[1024], a[1024], qe[1100], qa[1100];
  snprintf(qe, sizeof qe, "\"%s\"", E2eUtf8(expected, e, sizeof e));
  snprintf(qa, sizeof qa, "\"%s\"", E2eUtf8(actual, a, sizeof a));
  MarkFailed(what, qe, qa);
  return 0;
}

int E2eExpectBytes(const char *what, const void *expected, size_t expectedLen, const void *actual, size_t actualLen) {
  if (expectedLen == actualLen && (expectedLen == 0 || !memcmp(expected, actual, expectedLen))) return 1;
  char e[256], a[256];
  DescribeBytes(expected, expectedLen, e, sizeof e);
  DescribeBytes(actual, actualLen, a, sizeof a);
  MarkFailed(what, e, a);
  return 0;
}

void E2eNote(const char *format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  printf("     %s.%s: %s\n", g_case.group, g_case.name, text);
  fflush(stdout);
}

void E2eBeginCase(const char *group, const char *name) {
  g_case.group = group;
  g_case.name = name;
  g_case.failed = 0;
  ++g_case.serial;
  wchar_t file[64];
  swprintf(file, 64, L"host-%d.log", g_case.serial);
  E2ePath(g_case.hostLog, MAX_PATH, g_workDir, file);
  swprintf(file, 64, L"host-%d.ready", g_case.serial);
  E2ePath(g_case.hostReady, MAX_PATH, g_workDir, file);
  DeleteFileW(g_case.hostLog);
  DeleteFileW(g_case.hostReady);
}

int E2eEndCase() {
  E2eEndAll();
  return !g_case.failed;
}

// ---- Paths -------------------------------------------------------------------

wchar_t *E2ePath(wchar_t *out, size_t cap, const wchar_t *dir, const wchar_t *name) {
  CopyWide(out, cap, dir);
  size_t n = wcslen(out);
  if (n && out[n - 1] != L'\\') AppendWide(out, cap, L"\\");
  AppendWide(out, cap, name);
  return out;
}

int E2eInit(const wchar_t *sorvelExe, const wchar_t *standinExe) {
  GetModuleFileNameW(nullptr, g_driverExe, MAX_PATH);
  wchar_t dir[MAX_PATH];
  CopyWide(dir, MAX_PATH, g_driverExe);
  wchar_t *slash = wcsrchr(dir, L'\\');
  if (slash) *slash = 0;
  if (sorvelExe) CopyWide(g_sorvelExe, MAX_PATH, sorvelExe);
  else E2ePath(g_sorvelExe, MAX_PATH, dir, L"sorvel.exe");
  if (standinExe) CopyWide(g_standinExe, MAX_PATH, standinExe);
  else E2ePath(g_standinExe, MAX_PATH, dir, L"kobble_standin.exe");

  wchar_t folder[MAX_PATH];
  if (!SHGetSpecialFolderPathW(nullptr, folder, CSIDL_APPDATA, FALSE)) return 0;
  E2ePath(g_dataDir, MAX_PATH, folder, L"Kx");
  if (!SHGetSpecialFolderPathW(nullptr, g_musicDir, CSIDL_MYMUSIC, TRUE)) return 0;
  DWORD n = GetTempPathW(MAX_PATH, folder);
  if (n == 0 || n >= MAX_PATH) return 0;
  E2ePath(g_workDir, MAX_PATH, folder, L"sorvel-e2e");
  CreateDirectoryW(g_workDir, nullptr);
  DeleteFolderFiles(g_workDir);
  int ok = 1;
  char text[MAX_PATH * 3];
  if (GetFileAttributesW(g_sorvelExe) == INVALID_FILE_ATTRIBUTES) {
    printf("e2e: no program at %s\n", E2eUtf8(g_sorvelExe, text, sizeof text));
    ok = 0;
  } else {
    // Which build the log speaks of: the shipped one is a 32-bit image.
    printf("e2e: program under test %s (%s)\n", E2eUtf8(g_sorvelExe, text, sizeof text), ImageKind(g_sorvelExe));
  }
  if (GetFileAttributesW(g_standinExe) == INVALID_FILE_ATTRIBUTES) {
    printf("e2e: no stand-in host at %s\n", E2eUtf8(g_standinExe, text, sizeof text));
    ok = 0;
  }
  return ok;
}

// ---- Processes -------------------------------------------------------------

int E2eStart(const wchar_t *exe, const wchar_t *args, E2eProc *proc) {
  proc->process = nullptr;
  proc->pid = 0;
  wchar_t line[2048];
  swprintf(line, 2048, L"\"%ls\"%ls%ls", exe, args && args[0] ? L" " : L"", args ? args : L"");
  STARTUPINFOW si;
  memset(&si, 0, sizeof si);
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  // Wine now and then fails a start with an internal error while it is busy
  // (seen on a loaded machine); that says nothing of the program, so it is tried again.
  BOOL started = FALSE;
  for (int tries = 0; tries < 3 && !started; ++tries) {
    if (tries) Sleep(200);
    started = CreateProcessW(exe, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    if (!started && GetLastError() != ERROR_INTERNAL_ERROR) break;
  }
  if (!started) {
    char text[MAX_PATH * 3];
    char err[32];
    snprintf(err, sizeof err, "error %lu", GetLastError());
    MarkFailed(E2eUtf8(exe, text, sizeof text), "process started", err);
    return 0;
  }
  CloseHandle(pi.hThread);
  proc->process = pi.hProcess;
  proc->pid = pi.dwProcessId;
  if (g_procCount < kMaxProcs) g_procs[g_procCount++] = *proc;
  return 1;
}

int E2eWaitExit(E2eProc *proc, DWORD timeoutMs, DWORD *exitCode) {
  if (!proc->process) return 0;
  if (WaitForSingleObject(proc->process, timeoutMs) != WAIT_OBJECT_0) {
    TerminateProcess(proc->process, 99);
    WaitForSingleObject(proc->process, 5000);
    return 0;
  }
  DWORD code = 0;
  GetExitCodeProcess(proc->process, &code);
  if (exitCode) *exitCode = code;
  return 1;
}

int E2eRunning(const E2eProc *proc) {
  return proc->process && WaitForSingleObject(proc->process, 0) == WAIT_TIMEOUT;
}

void E2eEndAll() {
  for (int i = 0; i < g_procCount; ++i) {
    if (WaitForSingleObject(g_procs[i].process, 0) == WAIT_TIMEOUT) {
      TerminateProcess(g_procs[i].process, 99);
      WaitForSingleObject(g_procs[i].process, 5000);
    }
    CloseHandle(g_procs[i].process);
  }
  g_procCount = 0;
}

unsigned long long E2eNowMs() { return GetTickCount64(); }

// ---- Files -----------------------------------------------------------------

int E2eWriteFile(const wchar_t *path, const void *bytes, size_t len) {
  HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 0;
  DWORD written = 0;
  BOOL ok = len == 0 || WriteFile(f, bytes, (DWORD)len, &written, nullptr);
  CloseHandle(f);
  return ok && written == len;
}

int E2eReadFile(const wchar_t *path, void *buf, size_t cap, size_t *len) {
  *len = 0;
  HANDLE f = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 0;
  LARGE_INTEGER size;
  if (GetFileSizeEx(f, &size)) *len = (size_t)size.QuadPart;
  DWORD got = 0;
  size_t want = *len < cap ? *len : cap;
  if (want) ReadFile(f, buf, (DWORD)want, &got, nullptr);
  CloseHandle(f);
  return 1;
}

int E2eFileExists(const wchar_t *path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

unsigned long long E2eFnv1a(const void *bytes, size_t len) {
  const unsigned char *b = static_cast<const unsigned char *>(bytes);
  unsigned long long h = 0xcbf29ce484222325ULL;
  for (size_t i = 0; i < len; ++i) {
    h ^= b[i];
    h *= 0x100000001b3ULL;
  }
  return h;
}

void E2eFillPattern(unsigned char *buf, size_t len, unsigned seed) {
  unsigned x = seed * 2654435761u + 1;
  for (size_t i = 0; i < len; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    buf[i] = (unsigned char)(x >> 7);
  }
}

// ---- Data folder -----------------------------------------------------------

wchar_t *E2eDataFile(wchar_t *out, size_t cap, const wchar_t *name) { return E2ePath(out, cap, g_dataDir, name); }

int E2eResetDataFolder(const E2eSeed *seed) {
  CreateDirectoryW(g_dataDir, nullptr);
  int ok = DeleteFolderFiles(g_dataDir);
  if (!ok) MarkFailed("data folder", "emptied", "files left");
  if (!seed) return ok;
  wchar_t path[MAX_PATH];
  if (seed->ini) ok &= E2eWriteFile(E2eDataFile(path, MAX_PATH, L"kx.ini"), seed->ini, strlen(seed->ini));
  if (seed->execList)
    ok &= E2eWriteFile(E2eDataFile(path, MAX_PATH, L"$exec-list.txt"), seed->execList, strlen(seed->execList));
  if (seed->drop) ok &= E2eWriteFile(E2eDataFile(path, MAX_PATH, L"$kobble.mp3"), seed->drop, seed->dropLen);
  if (!ok) MarkFailed("data folder", "seeded", "a write failed");
  return ok;
}

wchar_t *E2eReadFlagsText(wchar_t *out, size_t cap) {
  wchar_t path[MAX_PATH];
  E2eDataFile(path, MAX_PATH, L"kx.ini");
  out[0] = 0;
  GetPrivateProfileStringW(L"sorvel", L"flags", L"", out, (DWORD)cap, path);
  return out;
}

// ---- Stand-in host -----------------------------------------------------------

int E2eStartHost(const wchar_t *options, E2eProc *host) {
  wchar_t args[1024];
  swprintf(args, 1024, L"--hidden --log \"%ls\" --ready \"%ls\" %ls", g_case.hostLog, g_case.hostReady,
           options ? options : L"");
  DeleteFileW(g_case.hostReady);
  if (!E2eStart(g_standinExe, args, host)) return 0;
  unsigned long long end = E2eNowMs() + 10000;
  while (!E2eFileExists(g_case.hostReady)) {
    if (!E2eRunning(host)) return E2eExpectTrue("stand-in host", 0, "it ended before its window was up");
    if (E2eNowMs() >= end) return E2eExpectTrue("stand-in host", 0, "no ready file within 10 s");
    Sleep(20);
  }
  return 1;
}

const wchar_t *E2eHostLogPath() { return g_case.hostLog; }

void E2eReadHostLog(E2eHostLog *log) {
  log->count = 0;
  static char text[16384];
  size_t len = 0;
  if (!E2eReadFile(g_case.hostLog, text, sizeof text - 1, &len)) return;
  if (len > sizeof text - 1) len = sizeof text - 1;
  text[len] = 0;
  for (char *line = text; *line && log->count < kE2eMaxLogEntries;) {
    char *end = strchr(line, '\n');
    if (end) *end = 0;
    E2eHostMsg *m = &log->msg[log->count];
    memset(m, 0, sizeof *m);
    if (sscanf(line, "msg wParam=%llu lParam=%lld", &m->wParam, &m->lParam) == 2) {
      const char *drop = strstr(line, " drop_size=");
      if (drop && sscanf(drop, " drop_size=%llu drop_fnv1a=%llx", &m->dropSize, &m->dropHash) == 2) m->dropPresent = 1;
      ++log->count;
    }
    if (!end) break;
    line = end + 1;
  }
}

int E2eExpectHostMessages(const E2eHostLog *log, const unsigned long long *wParams, const long long *lParams, int n) {
  char e[512] = "", a[512] = "";
  size_t eo = 0, ao = 0;
  for (int i = 0; i < n && eo + 48 < sizeof e; ++i)
    eo += (size_t)snprintf(e + eo, sizeof e - eo, "%s(%llu,%lld)", i ? " " : "", wParams[i], lParams[i]);
  for (int i = 0; i < log->count && ao + 48 < sizeof a; ++i)
    ao += (size_t)snprintf(a + ao, sizeof a - ao, "%s(%llu,%lld)", i ? " " : "", log->msg[i].wParam,
                           log->msg[i].lParam);
  int same = log->count == n;
  for (int i = 0; same && i < n; ++i) same = log->msg[i].wParam == wParams[i] && log->msg[i].lParam == lParams[i];
  if (same) return 1;
  MarkFailed("host messages (wParam,lParam)", n ? e : "none", log->count ? a : "none");
  return 0;
}

// ---- Sorvel's windows ----------------------------------------------------

int E2eStartSorvel(E2eProc *proc) { return E2eStart(g_sorvelExe, nullptr, proc); }

HWND E2eFindWindow(DWORD pid, const wchar_t *cls, const wchar_t *title, DWORD timeoutMs) {
  FindSpec spec = {pid, cls, title, 0};
  return PollFind(&spec, timeoutMs);
}

HWND E2eFindInsertDialog(DWORD pid, DWORD timeoutMs) {
  FindSpec spec = {pid, L"#32770", L"", 1};
  return PollFind(&spec, timeoutMs);
}

HWND E2eFindMessageBox(DWORD pid, DWORD timeoutMs) {
  FindSpec spec = {pid, L"#32770", L"Sorvel", 0};
  return PollFind(&spec, timeoutMs);
}

wchar_t *E2eMessageBoxText(HWND box, wchar_t *out, size_t cap) {
  out[0] = 0;
  HWND text = GetDlgItem(box, 0xFFFF);
  if (!text) return out;
  if (SendBounded(text, WM_GETTEXT, cap, reinterpret_cast<LPARAM>(out)) < 0) out[0] = 0;
  out[cap - 1] = 0;
  return out;
}

void E2eDismissMessageBox(HWND box) {
  HWND ok = GetDlgItem(box, IDOK);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
}

int E2eExpectWarning(DWORD pid, const wchar_t *text, HWND owner, DWORD timeoutMs) {
  HWND box = E2eFindMessageBox(pid, timeoutMs);
  if (!E2eExpectTrue("warning box shown", box != nullptr, "no box titled \"Sorvel\"")) return 0;
  wchar_t found[512];
  int ok = E2eExpectText("warning text", text, E2eMessageBoxText(box, found, 512));
  HWND actualOwner = GetWindow(box, GW_OWNER);
  if (actualOwner != owner) {
    char e[32], a[32];
    snprintf(e, sizeof e, "%p", static_cast<void *>(owner));
    snprintf(a, sizeof a, "%p", static_cast<void *>(actualOwner));
    MarkFailed("warning owner", e, a);
    ok = 0;
  }
  E2eDismissMessageBox(box);
  if (!E2eWaitGone(box, 5000)) ok = E2eExpectTrue("warning box dismissed", 0, "still open after OK");
  return ok;
}

int E2eSetControlText(HWND dlg, int id, const wchar_t *text) {
  HWND c = GetDlgItem(dlg, id);
  return c && SendBounded(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) > 0;
}

wchar_t *E2eControlText(HWND dlg, int id, wchar_t *out, size_t cap) {
  out[0] = 0;
  HWND c = GetDlgItem(dlg, id);
  if (c && SendBounded(c, WM_GETTEXT, cap, reinterpret_cast<LPARAM>(out)) < 0) out[0] = 0;
  out[cap - 1] = 0;
  return out;
}

void E2eSetCheck(HWND dlg, int id, int checked) {
  HWND c = GetDlgItem(dlg, id);
  if (c) SendBounded(c, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int E2eGetCheck(HWND dlg, int id) {
  HWND c = GetDlgItem(dlg, id);
  if (!c) return -1;
  LRESULT r = SendBounded(c, BM_GETCHECK, 0, 0);
  return r < 0 ? -1 : r == BST_CHECKED;
}

void E2eClick(HWND dlg, int id) {
  PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

void E2ePressEscape(HWND dlg) {
  GUITHREADINFO info;
  memset(&info, 0, sizeof info);
  info.cbSize = sizeof info;
  HWND target = dlg;
  DWORD thread = GetWindowThreadProcessId(dlg, nullptr);
  if (GetGUIThreadInfo(thread, &info) && info.hwndFocus && (info.hwndFocus == dlg || IsChild(dlg, info.hwndFocus)))
    target = info.hwndFocus;
  UINT scan = MapVirtualKeyW(VK_ESCAPE, MAPVK_VK_TO_VSC);
  PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, (LPARAM)(1 | (scan << 16)));
  PostMessageW(target, WM_KEYUP, VK_ESCAPE, (LPARAM)(1 | (scan << 16) | (3u << 30)));
}

namespace {
BOOL CALLBACK DumpChild(HWND hwnd, LPARAM) {
  wchar_t cls[64], text[256];
  char c8[200], t8[800];
  GetClassNameW(hwnd, cls, 64);
  text[0] = 0;
  SendBounded(hwnd, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
  text[255] = 0;
  printf("       child %p parent %p id %d class %s text \"%s\"%s\n", static_cast<void *>(hwnd),
         static_cast<void *>(GetParent(hwnd)), GetDlgCtrlID(hwnd), E2eUtf8(cls, c8, sizeof c8),
         E2eUtf8(text, t8, sizeof t8), IsWindowVisible(hwnd) ? "" : " (hidden)");
  return TRUE;
}
}  // namespace

void E2eDumpWindow(HWND hwnd) {
  wchar_t title[256];
  char t8[800];
  GetWindowTextW(hwnd, title, 256);
  printf("       window %p \"%s\"\n", static_cast<void *>(hwnd), E2eUtf8(title, t8, sizeof t8));
  EnumChildWindows(hwnd, DumpChild, 0);
  fflush(stdout);
}

int E2eWaitGone(HWND hwnd, DWORD timeoutMs) {
  unsigned long long end = E2eNowMs() + timeoutMs;
  while (IsWindow(hwnd) && IsWindowVisible(hwnd)) {
    if (E2eNowMs() >= end) return 0;
    Sleep(20);
  }
  return 1;
}

// ---- Real input and window facts --------------------------------------------

int E2eMoveCursor(int x, int y) { return SetCursorPos(x, y) != 0; }

int E2eMouseLeft(int down) {
  INPUT in;
  memset(&in, 0, sizeof in);
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  return SendInput(1, &in, sizeof in) == 1;
}

int E2eMouseMoveTo(int x, int y) {
  int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  if (w < 2 || h < 2) return 0;
  INPUT in;
  memset(&in, 0, sizeof in);
  in.type = INPUT_MOUSE;
  // Normalised 0..65535 over the primary screen, rounded to land on the pixel.
  in.mi.dx = (LONG)((x * 65535LL + (w - 1) / 2) / (w - 1));
  in.mi.dy = (LONG)((y * 65535LL + (h - 1) / 2) / (h - 1));
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  return SendInput(1, &in, sizeof in) == 1;
}

int E2eExpectExitZero(E2eProc *sorvel, DWORD timeoutMs) {
  unsigned long long end = E2eNowMs() + timeoutMs;
  while (E2eRunning(sorvel) && E2eNowMs() < end) {
    HWND box = E2eFindMessageBox(sorvel->pid, 0);
    if (box) {
      wchar_t text[256];
      char t8[800], found[900];
      snprintf(found, sizeof found, "a warning \"%s\"", E2eUtf8(E2eMessageBoxText(box, text, 256), t8, sizeof t8));
      return E2eExpectTrue("sorvel ended", 0, found);
    }
    Sleep(20);
  }
  DWORD code = 0;
  if (!E2eExpectTrue("sorvel ended", E2eWaitExit(sorvel, 0, &code), "still running")) return 0;
  return E2eExpectInt("exit code", 0, code);
}

HWND E2eExpectHungHostWarning(DWORD pid, const wchar_t *text) {
  unsigned long long start = E2eNowMs();
  HWND box = E2eFindMessageBox(pid, 20000);
  long long elapsed = (long long)(E2eNowMs() - start);
  if (!E2eExpectTrue("warning within 20 s", box != nullptr, "none")) return nullptr;
  char found[64];
  snprintf(found, sizeof found, "%lld ms", elapsed);
  E2eExpectTrue("warning after 9..14 s", elapsed >= 9000 && elapsed <= 14000, found);
  wchar_t shown[256];
  E2eExpectText("warning text", text, E2eMessageBoxText(box, shown, 256));
  return box;
}

int E2eExpectPointerMovedTo(int x, int y) {
  E2eMouseMoveTo(x, y);
  // The pointer lands a moment after the input is queued.
  POINT p = {-1, -1};
  unsigned long long end = E2eNowMs() + 1000;
  for (;;) {
    GetCursorPos(&p);
    if (p.x == x && p.y == y) return 1;
    if (E2eNowMs() >= end) break;
    Sleep(2);
  }
  wchar_t e[48], a[48];
  swprintf(e, 48, L"(%d, %d)", x, y);
  swprintf(a, 48, L"(%ld, %ld)", p.x, p.y);
  return E2eExpectText("pointer after the motion", e, a);
}

int E2eWindowRect(HWND hwnd, RECT *rect) { return GetWindowRect(hwnd, rect) != 0; }

int E2eMouseRight(int down) {
  INPUT in;
  memset(&in, 0, sizeof in);
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
  return SendInput(1, &in, sizeof in) == 1;
}

int E2eKeyTap(WORD vk) {
  INPUT in[2];
  memset(in, 0, sizeof in);
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = vk;
  in[0].ki.wScan = in[1].ki.wScan = (WORD)MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  return SendInput(2, in, sizeof in[0]) == 2;
}

HWND E2eCaptureOf(HWND hwnd) {
  GUITHREADINFO info;
  memset(&info, 0, sizeof info);
  info.cbSize = sizeof info;
  DWORD thread = GetWindowThreadProcessId(hwnd, nullptr);
  if (!thread || !GetGUIThreadInfo(thread, &info)) return nullptr;
  return info.hwndCapture;
}

POINT E2ePlacedOrigin(int w, int h, int cx, int cy) {
  int right = GetSystemMetrics(SM_CXSCREEN), bottom = GetSystemMetrics(SM_CYSCREEN);
  POINT at = {cx - w / 2, cy - h / 2};
  if (at.x + w > right) at.x = right - w;
  if (at.x < 0) at.x = 0;
  if (at.y < 0) at.y = 0;
  if (at.y + h > bottom) at.y = bottom - h;
  return at;
}

int E2eExpectPlacedAt(const char *what, HWND hwnd, int cx, int cy) {
  RECT r;
  if (!GetWindowRect(hwnd, &r)) return E2eExpectTrue(what, 0, "no window rectangle");
  POINT at = E2ePlacedOrigin(r.right - r.left, r.bottom - r.top, cx, cy);
  if (at.x == r.left && at.y == r.top) return 1;
  char e[96], a[96], w[256];
  snprintf(e, sizeof e, "origin (%ld, %ld)", at.x, at.y);
  snprintf(a, sizeof a, "(%ld, %ld) for size %ld x %ld", r.left, r.top, r.right - r.left, r.bottom - r.top);
  snprintf(w, sizeof w, "%s, cursor (%d, %d)", what, cx, cy);
  MarkFailed(w, e, a);
  return 0;
}

namespace {
// Loads the version block of exe into a static buffer; null when it has none.
void *LoadVersionBlock(const wchar_t *exe) {
  static unsigned char block[16384];
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(exe, &handle);
  if (size == 0 || size > sizeof block) return nullptr;
  if (!GetFileVersionInfoW(exe, 0, size, block)) return nullptr;
  return block;
}
}  // namespace

int E2eVersionString(const wchar_t *exe, const wchar_t *langCp, const wchar_t *key, wchar_t *out, size_t cap) {
  out[0] = 0;
  void *block = LoadVersionBlock(exe);
  if (!block) return 0;
  wchar_t query[128];
  swprintf(query, 128, L"\\StringFileInfo\\%ls\\%ls", langCp, key);
  void *value = nullptr;
  UINT len = 0;
  if (!VerQueryValueW(block, query, &value, &len) || !value) return 0;
  CopyWide(out, cap, static_cast<const wchar_t *>(value));
  return 1;
}

int E2eFixedVersion(const wchar_t *exe, DWORD *ms, DWORD *ls) {
  void *block = LoadVersionBlock(exe);
  if (!block) return 0;
  void *value = nullptr;
  UINT len = 0;
  if (!VerQueryValueW(block, L"\\", &value, &len) || len < sizeof(VS_FIXEDFILEINFO)) return 0;
  const VS_FIXEDFILEINFO *fixed = static_cast<const VS_FIXEDFILEINFO *>(value);
  *ms = fixed->dwFileVersionMS;
  *ls = fixed->dwFileVersionLS;
  return 1;
}
