// The order of checks and hand-over steps when sending an MP3 to the host,
// over a table of platform operations so that it runs without Windows.
#pragma once
#include <stddef.h>

#include "host/send_result.h"

enum {
  kInsertMessage = 1061,  // WM_USER + 37, understood by the host window
  kProbeWParam = 1,
  kProbeLParam = 0,
  kNotifyLParam = 5,
  kHostOptionMask = 6,    // only the autoplay and loop bits reach the host
  kDropPathCap = 256,     // the drop path and its NUL
};

// The drop file's name inside the data folder.
extern const wchar_t kDropFileName[];

struct HostLinkOps {
  void* ctx;
  // The host's window, looked up afresh; null when there is none.
  void* (*findHost)(void* ctx);
  // Sends the editing probe and waits for the reply. Returns 1 and sets
  // *reply when the host answered, 0 when it did not (gone, hung, too slow).
  int (*sendProbe)(void* ctx, void* host, unsigned wParam, long lParam, long long* reply);
  // Sends the insert notification and waits, however busy the host is, until
  // it has taken it or a long bound has passed. Returns 1 and sets *reply when
  // taken, 0 when not.
  int (*sendNotice)(void* ctx, void* host, unsigned wParam, long lParam, long long* reply);
  // 1 while the window host (a handle found earlier) still exists.
  int (*hostAlive)(void* ctx, void* host);
  // 1 when a file or folder exists at path.
  int (*pathExists)(void* ctx, const wchar_t* path);
  // Fills out with the data folder, trailing backslash kept; 0 when it cannot be had or does not fit.
  int (*dataFolder)(void* ctx, wchar_t* out, size_t cap);
  // Copies from over to, replacing it; 1 on success.
  int (*copyFile)(void* ctx, const wchar_t* from, const wchar_t* to);
};

// Runs the send: kSendDone, also when the host is gone at the third look-up or
// closes while the notice waits, whatever it replies to the notice;
// kSendNoHost without a host window; kSendNotEditing when the host is gone at
// the second look-up, not editing or not answering, or has not taken the
// notice within its bound; kSendCannotCreate when the source or the data
// folder is missing, the drop path is too long or the copy failed. Nothing
// done before a failure is undone.
int RunSendSequence(const HostLinkOps* ops, const wchar_t* source, int flags);
