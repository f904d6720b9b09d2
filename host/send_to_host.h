// Handing the chosen MP3 to the host.
#pragma once

#include "host/send_result.h"

// How long the host may take to answer each insert message.
enum { kHostReplyTimeoutMs = 10000 };

// Checks the host, copies sourcePath over the drop file and notifies the host
// with the option bits of flags. Returns kSendDone, or kSendNoHost when the
// host is not running, kSendNotEditing when it is not editing (or not
// answering in time), kSendCannotCreate when the drop file cannot be created.
int SendToHost(const wchar_t* sourcePath, int flags);
