#include "e2e_host.h"

#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "e2e_files.h"

namespace {

wchar_t g_hostLog[MAX_PATH];
wchar_t g_hostReady[MAX_PATH];

// The stand-in's message that makes it stop reading messages for wParam ms.
const UINT kStallMessage = WM_APP + 1;

HWND HostWindow() { return FindWindowW(L"Kobble API-kurasu", L"Kobble TSR"); }

}  // namespace

void E2eHostBeginCase(int serial) {
  wchar_t file[64];
  swprintf(file, 64, L"host-%d.log", serial);
  E2ePath(g_hostLog, MAX_PATH, g_workDir, file);
  swprintf(file, 64, L"host-%d.ready", serial);
  E2ePath(g_hostReady, MAX_PATH, g_workDir, file);
  DeleteFileW(g_hostLog);
  DeleteFileW(g_hostReady);
}

int E2eStartHost_(E2E_LOC, const wchar_t *options, E2eProc *host) {
  wchar_t args[1024];
  swprintf(args, 1024, L"--hidden --log \"%ls\" --ready \"%ls\" %ls", g_hostLog, g_hostReady, options ? options : L"");
  DeleteFileW(g_hostReady);
  if (!E2eStart_(E2E_THERE, g_standinExe, args, host)) return 0;
  unsigned long long end = E2eNowMs() + 10000;
  while (!E2eFileExists(g_hostReady)) {
    if (!E2eRunning(host)) return E2eExpectTrue_(E2E_THERE, "stand-in host", 0, "it ended before its window was up");
    if (E2eNowMs() >= end) return E2eExpectTrue_(E2E_THERE, "stand-in host", 0, "no ready file within 10 s");
    Sleep(20);
  }
  return 1;
}

int E2eStallHost_(E2E_LOC, DWORD ms) {
  HWND host = HostWindow();
  if (!E2eExpectTrue_(E2E_THERE, "stand-in host window", host != nullptr, "none")) return 0;
  return E2eExpectTrue_(E2E_THERE, "stall posted to the host", PostMessageW(host, kStallMessage, ms, 0), "refused");
}

int E2eHostAnswers(DWORD timeoutMs) {
  DWORD_PTR result = 0;
  HWND host = HostWindow();
  return host && SendMessageTimeoutW(host, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) ? 1 : 0;
}

const wchar_t *E2eHostLogPath() { return g_hostLog; }

void E2eReadHostLog(E2eHostLog *log) {
  log->count = 0;
  static char text[16384];
  size_t len = 0;
  if (!E2eReadFile(g_hostLog, text, sizeof text - 1, &len)) return;
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

int E2eExpectHostMessages_(E2E_LOC, const E2eHostLog *log, const E2eSent *sent, int n) {
  char e[512] = "", a[512] = "";
  size_t eo = 0, ao = 0;
  for (int i = 0; i < n && eo + 48 < sizeof e; ++i)
    eo += (size_t)snprintf(e + eo, sizeof e - eo, "%s(%llu,%lld)", i ? " " : "", sent[i].wParam, sent[i].lParam);
  for (int i = 0; i < log->count && ao + 48 < sizeof a; ++i)
    ao += (size_t)snprintf(a + ao, sizeof a - ao, "%s(%llu,%lld)", i ? " " : "", log->msg[i].wParam,
                           log->msg[i].lParam);
  int same = log->count == n;
  for (int i = 0; same && i < n; ++i) same = log->msg[i].wParam == sent[i].wParam && log->msg[i].lParam == sent[i].lParam;
  if (same) return 1;
  return E2eFail_(E2E_THERE, "host messages (wParam,lParam)", n ? e : "none", log->count ? a : "none");
}

int E2eExpectProbeOnly_(E2E_LOC) {
  E2eHostLog log;
  E2eReadHostLog(&log);
  const E2eSent probe[] = {{1, 0}};
  return E2eExpectHostMessages_(E2E_THERE, &log, probe, 1);
}
