// The stand-in host: started for a case, and what it logged of the insert
// messages it received.
#pragma once

#include <windows.h>

#include "e2e_process.h"
#include "e2e_report.h"

enum { kE2eMaxLogEntries = 32 };

// One insert message as the host received it.
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

// An insert message as a case expects it: the probe is {1, 0}, a notification
// {option bits, 5}.
struct E2eSent {
  unsigned long long wParam;
  long long lParam;
};

// Gives the case a log of its own; the runner calls it before each case.
void E2eHostBeginCase(int serial);
// Starts the stand-in host (hidden, logging to this case's log) with extra
// options and waits for its window. 1 up; 0 failed (reported).
int E2eStartHost_(E2E_LOC, const wchar_t *options, E2eProc *host);
#define E2eStartHost(options, host) E2eStartHost_(E2E_HERE, options, host)
// Makes the running stand-in host read no messages for ms from now on (a
// host that hangs). 1 asked; 0 failed (reported).
int E2eStallHost_(E2E_LOC, DWORD ms);
#define E2eStallHost(ms) E2eStallHost_(E2E_HERE, ms)
// Waits until the stand-in host reads messages again; 1 when it did within timeoutMs.
int E2eHostAnswers(DWORD timeoutMs);
// Path of this case's host log.
const wchar_t *E2eHostLogPath();
// Reads this case's host log (an absent log reads as no messages).
void E2eReadHostLog(E2eHostLog *log);
// Expects the log to hold exactly these messages, in order.
int E2eExpectHostMessages_(E2E_LOC, const E2eHostLog *log, const E2eSent *sent, int n);
#define E2eExpectHostMessages(log, sent, n) E2eExpectHostMessages_(E2E_HERE, log, sent, n)
// Reads the log and expects the probe alone: nothing was copied or notified.
int E2eExpectProbeOnly_(E2E_LOC);
#define E2eExpectProbeOnly() E2eExpectProbeOnly_(E2E_HERE)
