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

// What became of a message sent to the host and waited for.
enum {
  kMessageAnswered = 0,    // the host handled it; its reply is set
  kMessageWindowGone = 1,  // the window closed before or while it waited
  kMessageRefused = 2,     // the system would not deliver it: the host runs with more rights
  kMessageNoAnswer = 3,    // not handled within its bound, or the host was seen hung
};

// The system's error codes that tell a failed send apart, spelled out so that
// this stays free of windows.h.
enum : unsigned long {
  kErrorAccessDenied = 5,           // a process of lower integrity sent to the window
  kErrorInvalidWindowHandle = 1400, // the window is gone
  kErrorTimeout = 1460,             // the bound passed
};

// What a failed, bounded send comes to, from the error it left and whether
// its window exists afterwards. A time-out and the abort of a hung receiver
// (which leaves ERROR_TIMEOUT, or 0 on older systems) are alike no answer.
int FailedSendOutcome(unsigned long lastError, int windowExists);

struct HostLinkOps {
  void* ctx;
  // The host's window, looked up afresh; null when there is none.
  void* (*findHost)(void* ctx);
  // Sends the editing probe and waits for the reply, within a bound or until
  // the host is seen hung. Returns a kMessage outcome; *reply set when answered.
  int (*sendProbe)(void* ctx, void* host, unsigned wParam, long lParam, long long* reply);
  // Sends the insert notification and waits for as long as the host goes on
  // reading messages, within a long bound when it does not. Returns a
  // kMessage outcome; *reply set when answered.
  int (*sendNotice)(void* ctx, void* host, unsigned wParam, long lParam, long long* reply);
  // Puts the file source names in place as the drop file, as PlaceDropFile
  // does, where the wait cannot freeze the dialog: kSendDone,
  // kSendCannotCreate, or kSendAbandoned when the user gave up the wait.
  int (*placeDropFile)(void* ctx, const wchar_t* source);
};

// Runs the send: kSendDone, also when the host is gone at the third look-up or
// closes while the notice waits, whatever it replies to the notice;
// kSendNoHost without a host window; kSendNotEditing when the host is gone at
// the second look-up or while the probe waits, or is not editing;
// kSendRefused when the system refuses either message (an elevated host);
// kSendNotAnswering when the probe is not answered; kSendCannotCreate or
// kSendAbandoned as the drop file's placing ends; kSendUnconfirmed when the
// file is in place and the notice was not confirmed by a host still there.
// Nothing done before a failure is undone.
int RunSendSequence(const HostLinkOps* ops, const wchar_t* source, int flags);

// The file system's part of the send: each call may wait on a network.
struct DropFileOps {
  void* ctx;
  // 1 when a file or folder exists at path.
  int (*pathExists)(void* ctx, const wchar_t* path);
  // Fills out with the data folder, trailing backslash kept; 0 when it cannot be had or does not fit.
  int (*dataFolder)(void* ctx, wchar_t* out, size_t cap);
  // The target the shell link at link stores, as ReadShortcutTarget reads it.
  size_t (*readShortcut)(void* ctx, const wchar_t* link, wchar_t* target, size_t cap);
  // Copies from over to, replacing it; 1 on success, and on failure nothing
  // half-written is left at to.
  int (*copyFile)(void* ctx, const wchar_t* from, const wchar_t* to);
};

// Copies the file that source names over the drop file: kSendDone, or
// kSendCannotCreate when source names a device, no file, or a shortcut whose
// target is no usable file (ShortcutTargetUsable), or when the data folder is
// missing, the drop path too long or the copy failed. A shell link stands
// for its target; its own bytes are never sent.
int PlaceDropFile(const DropFileOps* ops, const wchar_t* source);
