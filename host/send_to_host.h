// Handing the chosen MP3 to the host.
#pragma once
#include <windows.h>

#include "host/send_result.h"

// How long the host may take to answer the editing probe, and how long it may
// read no messages while it has the insert notification (a host busy saving a
// large notebook reads none for a while, and only this bound ends the wait).
enum { kHostReplyTimeoutMs = 10000, kHostNoticeTimeoutMs = 60000 };

// Checks the host, copies sourcePath over the drop file and notifies the host
// with the option bits of flags. While the host has the notice, waiting (the
// window the user waits in) lies below every other window, not topmost, and
// the host may take the foreground, so that a box it shows is seen and can be
// answered; when this returns a failure after the notice, waiting is topmost
// again and at the top of every window. Returns kSendDone, or the failure of
// host/send_result.h that tells the user what to do.
int SendToHost(const wchar_t* sourcePath, int flags, HWND waiting);
