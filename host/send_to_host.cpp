#include "host/send_to_host.h"

#include <windows.h>

#include <stdlib.h>

#include "base/data_folder.h"
#include "base/path_text.h"
#include "base/shortcut.h"
#include "host/send_sequence.h"

namespace {

// The window the user waits in, how it waits on the files, and whether it
// gave up its place on top.
struct Waiting {
  HWND window;
  WorkerWaitFn waitOnWorker;
  int lowered;
};

// The foremost visible top-level window of process pid; null when it shows none.
HWND ForemostWindowOf(DWORD pid) {
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    DWORD owner = 0;
    if (IsWindowVisible(w) && GetWindowThreadProcessId(w, &owner) && owner == pid) return w;
  }
  return nullptr;
}

// A host that shows a box of its own while it handles the notice must be
// seen and answered, or both programs wait for good: Windows keeps a program
// that is not in the foreground from taking it, and the dialog, which cannot
// be moved meanwhile, must not cover the box. The leave to take the
// foreground ends at the user's next input (an Enter pressed again because
// nothing seems to happen), and the box may then open behind the foreground
// window. So the dialog goes just below the host's foremost visible window:
// the host and what it brings up lie above it, other programs below it, and
// it stays in sight. The window the notice goes to may be hidden, so it is
// no anchor. A host that shows no window at all leaves the dialog the bottom.
void LetHostToTheFront(Waiting* waiting, HWND host) {
  DWORD pid = 0;
  if (!GetWindowThreadProcessId(host, &pid) || !pid) return;
  AllowSetForegroundWindow(pid);
  if (!waiting->window) return;
  HWND anchor = ForemostWindowOf(pid);
  // Out of the topmost band first: placed after a window that is not
  // topmost, a topmost window would not be sure to leave it.
  SetWindowPos(waiting->window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(waiting->window, anchor ? anchor : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  waiting->lowered = 1;
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

// ---- On the worker: the file system's part, where any call may wait --------

int Exists(void*, const wchar_t* path) { return PathExists(path); }

int DataFolder(void*, wchar_t* out, size_t cap) {
  wchar_t folder[kDataFolderCap];
  if (!GetDataFolder(folder)) return 0;
  return CopyBounded(out, cap, folder);
}

size_t ReadShortcut(void*, const wchar_t* link, wchar_t* target, size_t cap) {
  return ReadShortcutTarget(link, target, cap);
}

// Attributes that stop a file from being replaced.
const DWORD kBlockingAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Clears the read-only, hidden and system attributes of the file at path,
// keeping the others.
void MakeReplaceable(const wchar_t* path) {
  DWORD attr = GetFileAttributesW(path);
  if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY) || !(attr & kBlockingAttributes)) return;
  attr &= ~kBlockingAttributes;
  SetFileAttributesW(path, attr != 0 ? attr : FILE_ATTRIBUTE_NORMAL);
}

// Big enough that a share is read at its pace, not one round trip per small
// piece; small enough that the percent of a song moves, and that a copy
// given up stops soon, on a slow link too.
enum { kCopyChunk = 256 * 1024 };

// Marks the file of handle to be deleted when its last handle closes (on),
// or no longer (off). 1 done.
int DeleteOnClose(HANDLE file, int on) {
  FILE_DISPOSITION_INFO disposition = {static_cast<BOOLEAN>(on)};
  return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

// Copies in to out to the end, telling job how far it got. 0 when a read or
// write fails or the job is abandoned.
int CopyBytes(HANDLE in, HANDLE out, WorkerJob* job) {
  LARGE_INTEGER size;
  void* buffer = malloc(kCopyChunk);
  int ok = buffer && GetFileSizeEx(in, &size);
  unsigned long long done = 0;
  while (ok) {
    DWORD got = 0, put = 0;
    ok = ReadFile(in, buffer, kCopyChunk, &got, nullptr);
    if (!ok || got == 0) break;
    ok = WriteFile(out, buffer, got, &put, nullptr) && put == got && !JobAbandoned(job);
    done += got;
    job->percent.store(CopyPercent(done, static_cast<unsigned long long>(size.QuadPart)));
  }
  free(buffer);
  return ok;
}

// Copies from over to in pieces, so that the user sees how far it got and
// can stop it. A drop file left read-only, hidden or system (from a CD, an
// archive or a USB stick, or an older run) would refuse to be replaced
// without the user knowing why: the drop file is the tool's own, so it is
// made plain first, and the copy is plain. Until the last byte is written
// and the user has not given up, the system is to delete the file when its
// handle closes: a copy stopped by a failure, by the user or by the end of
// the process leaves no half-written file for the host to take.
int Copy(void* ctx, const wchar_t* from, const wchar_t* to) {
  WorkerJob* job = static_cast<WorkerJob*>(ctx);
  job->phase.store(kJobCopying);
  MakeReplaceable(to);
  HANDLE in = CreateFileW(from, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (in == INVALID_HANDLE_VALUE) return 0;
  HANDLE out = CreateFileW(to, GENERIC_WRITE | DELETE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  int copied = 0;
  if (out != INVALID_HANDLE_VALUE) {
    int marked = DeleteOnClose(out, 1);
    copied = CopyBytes(in, out, job) && EndJob(job) && (!marked || DeleteOnClose(out, 0));
    CloseHandle(out);
    // Where the file system cannot mark it, what was written goes now.
    if (!copied && !marked) DeleteFileW(to);
  }
  CloseHandle(in);
  return copied;
}

// The drop file's placing, as one piece of work for a worker thread.
struct PlaceJob {
  WorkerJob job;  // first, so that the record is freed through it
  wchar_t source[MAX_PATH];
  int result;
};

void PlaceOnWorker(WorkerJob* job) {
  PlaceJob* place = reinterpret_cast<PlaceJob*>(job);
  const DropFileOps ops = {job, Exists, DataFolder, ReadShortcut, Copy};
  place->result = PlaceDropFile(&ops, place->source);
}

int PlaceDropFileOp(void* ctx, const wchar_t* source) {
  Waiting* waiting = static_cast<Waiting*>(ctx);
  PlaceJob* place = static_cast<PlaceJob*>(calloc(1, sizeof(PlaceJob)));
  if (!place) return kSendCannotCreate;
  if (!CopyBounded(place->source, MAX_PATH, source)) {
    free(place);
    return kSendCannotCreate;
  }
  // A shortcut is read on the worker, and what it needs is loaded here first.
  if (ShortcutKindOf(source) == kShellLink) ReadyShortcutReading();
  place->job.run = PlaceOnWorker;
  // How long the files may take is for the user to say.
  if (!waiting->waitOnWorker(waiting->window, &place->job, 0)) return kSendAbandoned;
  int result = place->result;
  free(place);
  return result;
}

}  // namespace

int SendToHost(const wchar_t* sourcePath, int flags, HWND waiting, WorkerWaitFn waitOnWorker) {
  Waiting wait = {waiting, waitOnWorker, 0};
  const HostLinkOps ops = {&wait, FindHost, SendProbe, SendNotice, PlaceDropFileOp};
  int result = RunSendSequence(&ops, sourcePath, flags);
  // After a success the dialog ends. Before a warning it is topmost again
  // and, as HWND_TOPMOST also moves it, at the top of every window, so that
  // the warning it owns shows over it with nothing between.
  if (wait.lowered && result != kSendDone) {
    SetWindowPos(waiting, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  return result;
}
