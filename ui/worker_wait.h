// Waiting on the file system without freezing the insert dialog: the work
// runs on a worker thread while the dialog's thread keeps it alive.
#pragma once
#include <windows.h>

#include "base/worker_job.h"

// Runs job on a worker thread. Meanwhile dialog repaints, answers the
// system, can be dragged and takes no other input; after half a second its
// title line says what it waits for. Esc, the Cancel button or boundMs (0:
// none) abandon the wait. Returns 1 when the work ended: the record is the
// caller's again, to read and free; 0 when it was abandoned: the worker
// frees the record when it ends, and its result counts for nothing.
int WaitOnWorker(HWND dialog, WorkerJob* job, DWORD boundMs);

// Abandons the wait under way, if any: Cancel reached the dialog by a way
// other than its button or Esc (a close from the taskbar).
void AbandonWait();

// Drops the keys and mouse presses queued for this thread: made while it
// could not take them, they were meant for a dialog that did not answer, and
// read later they would close a box unseen or press OK again.
void DropQueuedInput();
