// Handing the chosen MP3 to the host.
#pragma once
#include <windows.h>

#include "base/worker_job.h"
#include "host/send_result.h"

// How long the host may take to answer the editing probe, and how long it may
// read no messages while it has the insert notification (a host busy saving a
// large notebook reads none for a while, and only this bound ends the wait).
enum { kHostReplyTimeoutMs = 10000, kHostNoticeTimeoutMs = 60000 };

// How the window the user waits in waits for work that may block in the
// file system (looking the files up, copying): it runs job on a worker
// thread, within boundMs (0: as long as the user likes). 1 when the work
// ended, its record then the caller's to read and free; 0 when the user gave
// it up, the record then the worker's.
typedef int (*WorkerWaitFn)(HWND window, WorkerJob* job, DWORD boundMs);

// Checks the host, copies the file sourcePath names over the drop file (a
// shortcut's target, never the shortcut), waiting through waitOnWorker, and
// notifies the host with the option bits of flags. While the host has the
// notice, waiting (the window the user waits in) lies just below the host's
// foremost visible window, or below every window when the host shows none,
// and not topmost; the host may take the foreground, so that a box it shows
// is seen and can be answered. When this returns a failure after the notice,
// waiting is topmost again and at the top of every window. Returns
// kSendDone, kSendAbandoned when the user gave up waiting on the files
// (nothing is sent then), or the failure of host/send_result.h that tells
// the user what to do.
int SendToHost(const wchar_t* sourcePath, int flags, HWND waiting, WorkerWaitFn waitOnWorker);
