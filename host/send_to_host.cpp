#include "host/send_to_host.h"

#include <windows.h>

#include "base/data_folder.h"
#include "base/path_text.h"
#include "host/send_sequence.h"

namespace {

// The window the user waits in, and whether it gave up its place on top.
struct Waiting {
  HWND window;
  int lowered;
};

// A host that shows a box of its own while it handles the notice must be
// seen and answered, or both programs wait for good: Windows keeps a program
// that is not in the foreground from taking it, and the dialog, which cannot
// be moved meanwhile, must not cover the box. The leave to take the
// foreground ends at the user's next input (an Enter pressed again because
// nothing seems to happen), and the box then opens behind the foreground
// window: so the dialog goes below every other window, which also ends its
// topmost state, rather than only to the top of the windows that are not
// topmost, where it would still lie over the box.
void LetHostToTheFront(Waiting* waiting, HWND host) {
  DWORD pid = 0;
  if (GetWindowThreadProcessId(host, &pid) && pid) AllowSetForegroundWindow(pid);
  if (waiting->window) {
    SetWindowPos(waiting->window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    waiting->lowered = 1;
  }
}

void* FindHost(void*) {
  return FindWindowA("Kobble API-kurasu", "Kobble TSR");
}

// The outcome of a bounded send, from what the system said. The error is
// read before anything else can replace it.
int Outcome(HWND host, LRESULT sent, DWORD_PTR result, long long* reply) {
  if (sent) {
    *reply = static_cast<long long>(result);
    return kMessageAnswered;
  }
  DWORD error = GetLastError();
  return FailedSendOutcome(error, IsWindow(host) ? 1 : 0);
}

int SendProbe(void*, void* host, unsigned wParam, long lParam, long long* reply) {
  // A hung host must not freeze the dialog: give up after a bound, or at once
  // when the system sees it hung.
  HWND window = static_cast<HWND>(host);
  DWORD_PTR result = 0;
  SetLastError(0);
  LRESULT sent = SendMessageTimeoutA(window, kInsertMessage, wParam, lParam, SMTO_ABORTIFHUNG, kHostReplyTimeoutMs,
                                     &result);
  return Outcome(window, sent, result, reply);
}

int SendNotice(void* ctx, void* host, unsigned wParam, long lParam, long long* reply) {
  // The host has just answered the probe. While it goes on reading messages
  // (it may show a box of its own about the file, open for as long as the
  // user takes) the wait goes on; only a host that stops reading them is
  // given up on, after the bound.
  HWND window = static_cast<HWND>(host);
  LetHostToTheFront(static_cast<Waiting*>(ctx), window);
  DWORD_PTR result = 0;
  SetLastError(0);
  LRESULT sent = SendMessageTimeoutA(window, kInsertMessage, wParam, lParam, SMTO_NOTIMEOUTIFNOTHUNG,
                                     kHostNoticeTimeoutMs, &result);
  return Outcome(window, sent, result, reply);
}

int Exists(void*, const wchar_t* path) { return PathExists(path); }

int DataFolder(void*, wchar_t* out, size_t cap) {
  wchar_t folder[kDataFolderCap];
  if (!GetDataFolder(folder)) return 0;
  return CopyBounded(out, cap, folder);
}

// Attributes that stop a file from being replaced by a copy.
const DWORD kBlockingAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Clears the read-only, hidden and system attributes of the file at path,
// keeping the others.
void MakeReplaceable(const wchar_t* path) {
  DWORD attr = GetFileAttributesW(path);
  if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY) || !(attr & kBlockingAttributes)) return;
  attr &= ~kBlockingAttributes;
  SetFileAttributesW(path, attr != 0 ? attr : FILE_ATTRIBUTE_NORMAL);
}

// The copy takes the source's attributes. A read-only drop file (from a CD,
// an archive, a read-only share, or an older run) would make every later
// insertion fail without the user knowing why, and so would a hidden or
// system one (files on a USB stick often are): the copy refuses to replace a
// hidden or system file. The drop file is the tool's own, so it is made
// plain before it is replaced and again once the copy is in place.
int Copy(void*, const wchar_t* from, const wchar_t* to) {
  MakeReplaceable(to);
  if (!CopyFileW(from, to, FALSE)) return 0;
  MakeReplaceable(to);
  return 1;
}

}  // namespace

int SendToHost(const wchar_t* sourcePath, int flags, HWND waiting) {
  Waiting wait = {waiting, 0};
  const HostLinkOps ops = {&wait, FindHost, SendProbe, SendNotice, Exists, DataFolder, Copy};
  int result = RunSendSequence(&ops, sourcePath, flags);
  // After a success the dialog ends. Before a warning it is topmost again
  // and, as HWND_TOPMOST also moves it, at the top of every window, so that
  // the warning it owns shows over it with nothing between.
  if (wait.lowered && result != kSendDone) {
    SetWindowPos(waiting, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  return result;
}
