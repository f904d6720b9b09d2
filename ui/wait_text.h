// What the insert dialog says while it waits on the file system. Pure, so it
// is tested natively.
#pragma once
#include <stddef.h>
#include <stdint.h>

// A wait shorter than this shows nothing: most look-ups end at once.
enum { kWaitTextDelayMs = 500, kWaitTextCap = 32 };

// The line shown in place of the dialog's title while a worker has waited
// elapsedMs for phase (kJobLookingUp, or kJobCopying with percent done):
// "ファイルを確認しています…" or "コピーしています… 45 %". Returns 1 with the line in
// out (capacity cap, kWaitTextCap suffices); 0 while the wait is too short
// to tell of, out then unchanged.
int WaitText(int phase, int percent, uint32_t elapsedMs, wchar_t* out, size_t cap);
