#include "e2e_session.h"

#include <shlobj.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

int E2eInit(const wchar_t *sorvelExe, const wchar_t *standinExe) {
  GetModuleFileNameW(nullptr, g_driverExe, MAX_PATH);
  wchar_t dir[MAX_PATH];
  wcscpy(dir, g_driverExe);
  wchar_t *slash = wcsrchr(dir, L'\\');
  if (slash) *slash = 0;
  if (sorvelExe) wcsncpy(g_sorvelExe, sorvelExe, MAX_PATH - 1);
  else E2ePath(g_sorvelExe, MAX_PATH, dir, L"sorvel.exe");
  if (standinExe) wcsncpy(g_standinExe, standinExe, MAX_PATH - 1);
  else E2ePath(g_standinExe, MAX_PATH, dir, L"kobble_standin.exe");

  wchar_t folder[MAX_PATH];
  if (!SHGetSpecialFolderPathW(nullptr, folder, CSIDL_APPDATA, FALSE)) return 0;
  E2ePath(g_dataDir, MAX_PATH, folder, L"Kx");
  if (!SHGetSpecialFolderPathW(nullptr, g_musicDir, CSIDL_MYMUSIC, TRUE)) return 0;
  DWORD n = GetTempPathW(MAX_PATH, folder);
  if (n == 0 || n >= MAX_PATH) return 0;
  E2ePath(g_workDir, MAX_PATH, folder, L"sorvel-e2e");
  CreateDirectoryW(g_workDir, nullptr);
  E2eEmptyFolder(g_workDir);
  char text[MAX_PATH * 3];
  int ok = 1;
  if (!E2eFileExists(g_sorvelExe)) {
    printf("e2e: no program at %s\n", E2eUtf8(g_sorvelExe, text, sizeof text));
    ok = 0;
  } else {
    // Which build the log speaks of: the shipped one is a 32-bit image.
    unsigned char head[1024];
    size_t len = 0;
    const char *kind = "unreadable";
    if (E2eReadFile(g_sorvelExe, head, sizeof head, &len) && len >= 0x40) {
      size_t have = len < sizeof head ? len : sizeof head;
      size_t pe = head[0x3c] | head[0x3d] << 8 | (size_t)head[0x3e] << 16 | (size_t)head[0x3f] << 24;
      unsigned machine = pe + 6 <= have && !memcmp(head + pe, "PE\0\0", 4) ? head[pe + 4] | head[pe + 5] << 8 : 0;
      kind = machine == 0x14c ? "PE32 i386" : machine == 0x8664 ? "PE32+ x86-64" : "not an i386 or x86-64 image";
    }
    printf("e2e: program under test %s (%s)\n", E2eUtf8(g_sorvelExe, text, sizeof text), kind);
  }
  if (!E2eFileExists(g_standinExe)) {
    printf("e2e: no stand-in host at %s\n", E2eUtf8(g_standinExe, text, sizeof text));
    ok = 0;
  }
  return ok;
}

int E2eStartSorvel_(E2E_LOC, E2eSession *s, const wchar_t *exe) {
  s->dlg = nullptr;
  const wchar_t *program = exe ? exe : g_sorvelExe;
  if (!E2eStart_(E2E_THERE, program, nullptr, &s->sorvel)) return 0;
  s->dlg = E2eFindInsertDialog(s->sorvel.pid, kDialogWaitMs);
  if (!E2eExpectTrue_(E2E_THERE, "insert dialog shown", s->dlg != nullptr, "no dialog within 10 s")) return 0;
  return E2eWindowRect(s->dlg, &s->start);
}

int E2eOpenDialog_(E2E_LOC, E2eSession *s, const E2eSeed *seed) {
  s->dlg = nullptr;
  return E2eResetDataFolder_(E2E_THERE, seed) && E2eStartSorvel_(E2E_THERE, s, nullptr);
}

int E2eOpenDialogAt_(E2E_LOC, E2eSession *s, const E2eSeed *seed, int x, int y) {
  s->dlg = nullptr;
  E2eMouseLeft(0);
  E2eMouseRight(0);
  if (!E2eExpectTrue_(E2E_THERE, "pointer moved", E2eMoveCursor(x, y), "SetCursorPos failed")) return 0;
  return E2eOpenDialog_(E2E_THERE, s, seed);
}

void E2eFillAndOk(HWND dlg, const wchar_t *path, int autoplay, int loop) {
  E2eSetControlText(dlg, IDC_PATH, path);
  E2eSetCheck(dlg, IDC_AUTOPLAY, autoplay);
  E2eSetCheck(dlg, IDC_LOOP, loop);
  E2eClick(dlg, IDOK);
}

void E2eSettle(const E2eSession *s) {
  WaitForInputIdle(s->sorvel.process, 1000);
  Sleep(100);
}

int E2eExpectExitZero_(E2E_LOC, E2eSession *s) {
  unsigned long long end = E2eNowMs() + kExitWaitMs;
  while (E2eRunning(&s->sorvel) && E2eNowMs() < end) {
    HWND box = E2eFindMessageBox(s->sorvel.pid, 0);
    if (box) {
      wchar_t text[256];
      char t8[800], found[900];
      snprintf(found, sizeof found, "a warning \"%s\"", E2eUtf8(E2eMessageBoxText(box, text, 256), t8, sizeof t8));
      return E2eExpectTrue_(E2E_THERE, "sorvel ended", 0, found);
    }
    Sleep(20);
  }
  DWORD code = 0;
  if (!E2eExpectTrue_(E2E_THERE, "sorvel ended", E2eWaitExit(&s->sorvel, 0, &code), "still running")) return 0;
  return E2eExpectInt_(E2E_THERE, "exit code", 0, code);
}

int E2eCancelAndExit_(E2E_LOC, E2eSession *s) {
  E2eClick(s->dlg, IDCANCEL);
  return E2eExpectExitZero_(E2E_THERE, s);
}

int E2eExpectDialogStays_(E2E_LOC, E2eSession *s) {
  Sleep(200);
  int ok = E2eExpectTrue_(E2E_THERE, "sorvel still running", E2eRunning(&s->sorvel), "it ended");
  return ok && E2eExpectTrue_(E2E_THERE, "dialog still open", IsWindow(s->dlg) && IsWindowVisible(s->dlg), "it closed");
}

HWND E2eExpectHungHostWarning_(E2E_LOC, DWORD pid, const wchar_t *text, long long fromMs) {
  unsigned long long start = E2eNowMs();
  HWND box = E2eFindMessageBox(pid, kHungWarningWaitMs);
  long long elapsed = (long long)(E2eNowMs() - start);
  if (!E2eExpectTrue_(E2E_THERE, "warning within 20 s", box != nullptr, "none")) return nullptr;
  char found[64], what[64];
  snprintf(found, sizeof found, "%lld ms", elapsed);
  snprintf(what, sizeof what, "warning after %lld..%lld ms", fromMs, kHungWarningToMs);
  E2eExpectTrue_(E2E_THERE, what, elapsed >= fromMs && elapsed <= kHungWarningToMs, found);
  wchar_t shown[256];
  E2eExpectText_(E2E_THERE, "warning text", text, E2eMessageBoxText(box, shown, 256));
  return box;
}

// ---- Moving the dialog ---------------------------------------------------------

POINT E2eBareSpot(const E2eSession *s) {
  POINT p = {s->start.left + 40, s->start.bottom - 20};
  return p;
}

int E2eMoveBy_(E2E_LOC, int dx, int dy) {
  POINT from;
  GetCursorPos(&from);
  int steps = (abs(dx) > abs(dy) ? abs(dx) : abs(dy)) / 10 + 1;
  for (int i = 1; i <= steps; ++i) {
    if (!E2eExpectPointerMovedTo_(E2E_THERE, from.x + dx * i / steps, from.y + dy * i / steps)) return 0;
    Sleep(10);
  }
  return 1;
}

long long E2eWaitCapture(const E2eSession *s, int want, DWORD timeoutMs) {
  unsigned long long start = E2eNowMs();
  for (;;) {
    int has = E2eCaptureOf(s->dlg) == s->dlg;
    unsigned long long now = E2eNowMs();
    if (has == want) return (long long)(now - start);
    if (now - start >= timeoutMs) return -1;
    Sleep(5);
  }
}

int E2eExpectDragStarts_(E2E_LOC, const E2eSession *s, const char *what) {
  return E2eExpectTrue_(E2E_THERE, what, E2eWaitCapture(s, 1, kCaptureWaitMs) >= 0, "no capture within 5 s");
}

int E2eExpectDragEnds_(E2E_LOC, const E2eSession *s, const char *what) {
  return E2eExpectTrue_(E2E_THERE, what, E2eWaitCapture(s, 0, kCaptureWaitMs) >= 0, "the dialog keeps the capture");
}

int E2eExpectNoDrag_(E2E_LOC, const E2eSession *s, const char *what) {
  return E2eExpectTrue_(E2E_THERE, what, E2eWaitCapture(s, 1, kQuietMs) < 0, "the dialog took the capture");
}

namespace {

void DescribeRect(const RECT *r, wchar_t *out, size_t cap) {
  swprintf(out, cap, L"(%ld, %ld) size %ld x %ld", r->left, r->top, r->right - r->left, r->bottom - r->top);
}

int ExpectRect_(E2E_LOC, const char *what, const char *how, int dx, int dy, const RECT *want, const RECT *now) {
  wchar_t e[96], a[96];
  DescribeRect(want, e, 96);
  DescribeRect(now, a, 96);
  char w[200];
  snprintf(w, sizeof w, "%s: dialog %s start %+d, %+d", what, how, dx, dy);
  return E2eExpectText_(E2E_THERE, w, e, a);
}

}  // namespace

int E2eExpectDialogAt_(E2E_LOC, const E2eSession *s, const char *what, int dx, int dy) {
  RECT want = s->start, now;
  OffsetRect(&want, dx, dy);
  unsigned long long end = E2eNowMs() + kMoveWaitMs;
  for (;;) {
    E2eWindowRect(s->dlg, &now);
    if (EqualRect(&now, &want)) return 1;
    if (E2eNowMs() >= end) break;
    Sleep(10);
  }
  return ExpectRect_(E2E_THERE, what, "at", dx, dy, &want, &now);
}

int E2eExpectDialogStaysAt_(E2E_LOC, const E2eSession *s, const char *what, int dx, int dy) {
  if (!E2eExpectDialogAt_(E2E_THERE, s, what, dx, dy)) return 0;
  RECT want = s->start, now;
  OffsetRect(&want, dx, dy);
  unsigned long long end = E2eNowMs() + kQuietMs;
  while (E2eNowMs() < end) {
    E2eWindowRect(s->dlg, &now);
    if (!EqualRect(&now, &want)) return ExpectRect_(E2E_THERE, what, "stays at", dx, dy, &want, &now);
    Sleep(10);
  }
  return 1;
}

// ---- The file handed over ------------------------------------------------------

int E2eMakeSource_(E2E_LOC, E2eSource *src, const wchar_t *dir, const wchar_t *name, size_t len, unsigned seed) {
  E2ePath(src->path, MAX_PATH, dir, name);
  src->len = len < sizeof src->bytes ? len : sizeof src->bytes;
  E2eFillPattern(src->bytes, src->len, seed);
  if (src->len >= 3) memcpy(src->bytes, "ID3", 3);
  return E2eExpectTrue_(E2E_THERE, "source file written", E2eWriteFile(src->path, src->bytes, src->len),
                        "write failed");
}

int E2eExpectDrop_(E2E_LOC, const void *bytes, size_t len) {
  return E2eExpectDataFile_(E2E_THERE, kDropName, bytes, len);
}

int E2eExpectNoDrop_(E2E_LOC) { return E2eExpectDataFile_(E2E_THERE, kDropName, nullptr, 0); }

int E2eExpectDropPlain_(E2E_LOC) {
  wchar_t path[MAX_PATH];
  DWORD attr = GetFileAttributesW(E2eDataFile(path, MAX_PATH, kDropName));
  if (!E2eExpectTrue_(E2E_THERE, "drop file attributes", attr != INVALID_FILE_ATTRIBUTES, "none")) return 0;
  char found[32];
  snprintf(found, sizeof found, "attributes 0x%lx", attr);
  const DWORD blocking = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  return E2eExpectTrue_(E2E_THERE, "drop file not read-only, hidden or system", !(attr & blocking), found);
}

int E2eExpectHostSawSource_(E2E_LOC, const E2eHostMsg *m, const E2eSource *src) {
  if (!E2eExpectTrue_(E2E_THERE, "drop file at notification", m->dropPresent, "missing")) return 0;
  int ok = E2eExpectInt_(E2E_THERE, "drop size at notification", (long long)src->len, (long long)m->dropSize);
  return E2eExpectInt_(E2E_THERE, "drop hash at notification", (long long)E2eFnv1a(src->bytes, src->len),
                       (long long)m->dropHash) && ok;
}
