#include "e2e_process.h"

#include <stdio.h>
#include <string.h>
#include <wchar.h>

wchar_t g_sorvelExe[MAX_PATH];
wchar_t g_standinExe[MAX_PATH];
wchar_t g_driverExe[MAX_PATH];

namespace {

enum { kMaxProcs = 32 };
E2eProc g_procs[kMaxProcs];
int g_procCount = 0;

}  // namespace

int E2eStart_(E2E_LOC, const wchar_t *exe, const wchar_t *args, E2eProc *proc) {
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
    return E2eFail_(E2E_THERE, E2eUtf8(exe, text, sizeof text), "process started", err);
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
