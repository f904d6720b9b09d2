#include "ui/worker_wait.h"

#include <stdlib.h>

#include "base/path_text.h"
#include "ui/wait_text.h"

namespace {

// How often the title line is brought up to date while nothing else happens.
const DWORD kWaitTickMs = 100;

// The title line is the text after the program icon, which follows the
// buttons in the template; it has no id of its own.
const int kTitleAfterCancel = 2;

// The input a dialog that waits does not take: keys and every mouse press,
// on the client area and on the frame.
const UINT kUserInput[][2] = {
    {WM_KEYFIRST, WM_KEYLAST},
    {WM_LBUTTONDOWN, WM_MOUSEHWHEEL},
    {WM_NCLBUTTONDOWN, WM_NCXBUTTONDBLCLK},
};

// The wait under way: only one at a time, on the dialog's thread.
struct Wait {
  int abandon;
  HWND title;
  wchar_t shown[kWaitTextCap];   // what the title line says now; empty: its own text
  wchar_t ownTitle[kWaitTextCap * 2];
};

Wait g_wait;

DWORD WINAPI RunJob(void* param) {
  WorkerJob* job = static_cast<WorkerJob*>(param);
  job->run(job);
  // Nobody waits for an abandoned job any more: its record is this thread's.
  if (!EndJob(job)) free(job);
  return 0;
}

int IsUserInput(UINT message) {
  for (const UINT* range : kUserInput) {
    if (message >= range[0] && message <= range[1]) return 1;
  }
  return 0;
}

// Presses of the left button on the dialog's own surface start and end a
// drag; they reach no control.
int IsDragInput(HWND dialog, const MSG& m) {
  return m.hwnd == dialog && (m.message == WM_LBUTTONDOWN || m.message == WM_LBUTTONUP || m.message == WM_LBUTTONDBLCLK);
}

int AsksToAbandon(HWND dialog, const MSG& m) {
  return ((m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) && m.wParam == VK_ESCAPE) ||
         (m.message == WM_LBUTTONDOWN && m.hwnd == GetDlgItem(dialog, IDCANCEL));
}

void PumpWhileWaiting(HWND dialog) {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      // Left for the modal loop, which ends on it.
      PostQuitMessage(static_cast<int>(m.wParam));
      g_wait.abandon = 1;
      return;
    }
    if (AsksToAbandon(dialog, m)) g_wait.abandon = 1;
    else if (!IsUserInput(m.message) || IsDragInput(dialog, m)) DispatchMessageW(&m);
  }
}

HWND TitleLine(HWND dialog) {
  HWND title = GetDlgItem(dialog, IDCANCEL);
  for (int i = 0; i < kTitleAfterCancel && title; ++i) title = GetWindow(title, GW_HWNDNEXT);
  return title;
}

// Shows line in the title line, or its own text back for an empty line.
void ShowTitleLine(const wchar_t* line) {
  if (!g_wait.title || !lstrcmpW(line, g_wait.shown)) return;
  if (!g_wait.shown[0]) GetWindowTextW(g_wait.title, g_wait.ownTitle, kWaitTextCap * 2);
  SetWindowTextW(g_wait.title, line[0] ? line : g_wait.ownTitle);
  CopyBounded(g_wait.shown, kWaitTextCap, line);
}

}  // namespace

int WaitOnWorker(HWND dialog, WorkerJob* job, DWORD boundMs) {
  HANDLE thread = CreateThread(nullptr, 0, RunJob, job, 0, nullptr);
  if (!thread) {
    // Without a thread of its own the work waits here, as it always did.
    job->run(job);
    return 1;
  }
  g_wait.abandon = 0;
  g_wait.title = TitleLine(dialog);
  DWORD start = GetTickCount();
  int ended = 1;
  for (;;) {
    if (MsgWaitForMultipleObjectsEx(1, &thread, kWaitTickMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0) break;
    PumpWhileWaiting(dialog);
    DWORD elapsed = GetTickCount() - start;
    if (g_wait.abandon || (boundMs && elapsed >= boundMs)) {
      if (AbandonJob(job)) {
        // Where the system can, the worker's wait on a network ends now.
        CancelSynchronousIo(thread);
        ended = 0;
      } else {
        // The worker claimed its end a moment ago: its result stands.
        WaitForSingleObject(thread, INFINITE);
      }
      break;
    }
    wchar_t line[kWaitTextCap] = L"";
    WaitText(job->phase.load(), job->percent.load(), elapsed, line, kWaitTextCap);
    ShowTitleLine(line);
  }
  ShowTitleLine(L"");
  g_wait.title = nullptr;
  CloseHandle(thread);
  return ended;
}

void AbandonWait() { g_wait.abandon = 1; }

void DropQueuedInput() {
  MSG message;
  for (const UINT* range : kUserInput) {
    while (PeekMessageW(&message, nullptr, range[0], range[1], PM_REMOVE)) {
    }
  }
}
