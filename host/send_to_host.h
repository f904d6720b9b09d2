// Handing the chosen MP3 to the host.
#pragma once

#include "host/send_result.h"

// How long the host may take to answer the editing probe, and to take the
// insert notification (a host busy saving a large notebook reads no messages
// for a while, and only this bound ends the wait for it).
enum { kHostReplyTimeoutMs = 10000, kHostNoticeTimeoutMs = 60000 };

// Checks the host, copies sourcePath over the drop file and notifies the host
// with the option bits of flags. Returns kSendDone, or kSendNoHost when the
// host is not running, kSendNotEditing when it is not editing (or not
// answering the probe in time, or not taking the notice within its bound),
// kSendCannotCreate when the drop file cannot be created.
int SendToHost(const wchar_t* sourcePath, int flags);
