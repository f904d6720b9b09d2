// Handing the chosen MP3 to the host.
#pragma once

// How long the host may take to answer each insert message.
enum { kHostReplyTimeoutMs = 10000 };

// Checks the host, copies sourcePath over the drop file and notifies the host
// with the option bits of flags. Returns 0 when done, else the warning code:
// 3 host not running, 4 host not editing (or not answering in time),
// 5 the drop file cannot be created.
int SendToHost(const wchar_t* sourcePath, int flags);
