// Processes of a case: started here, tracked, and ended when the case ends.
// Every wait is bounded.
#pragma once

#include <windows.h>

#include "e2e_report.h"

// The programs of the run, filled by E2eInit (e2e_session.h).
extern wchar_t g_sorvelExe[MAX_PATH];
extern wchar_t g_standinExe[MAX_PATH];
extern wchar_t g_driverExe[MAX_PATH];

struct E2eProc {
  HANDLE process;
  DWORD pid;
};

// Starts exe with the given argument text (may be null); the process is tracked
// for E2eEndAll. 1 started; 0 failed (reported, proc zeroed).
int E2eStart_(E2E_LOC, const wchar_t *exe, const wchar_t *args, E2eProc *proc);
#define E2eStart(exe, args, proc) E2eStart_(E2E_HERE, exe, args, proc)
// Waits up to timeoutMs for the process to end. 1 ended (exit code stored),
// 0 timed out (the process is then killed).
int E2eWaitExit(E2eProc *proc, DWORD timeoutMs, DWORD *exitCode);
// 1 while the process runs.
int E2eRunning(const E2eProc *proc);
// Kills every tracked process still running and forgets them all.
void E2eEndAll();
// Milliseconds since an arbitrary start.
unsigned long long E2eNowMs();
