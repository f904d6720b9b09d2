#include "host/tool_list_entry.h"

#include <windows.h>

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <wchar.h>

#include "base/data_folder.h"
#include "base/network_path.h"
#include "base/path_text.h"
#include "host/list_in_place.h"
#include "host/tool_list.h"

namespace {

enum {
  kListPathCap = 256,             // list path, NUL included
  kWideCap = MAX_PATH + 1,        // program paths as the caller may hand them
  kNarrowCap = 2 * kWideCap,      // room for any of them in code page 932
};
const size_t kChunk = 1 << 20;    // bytes per low-level read call
// Each piece of the list goes out in one call (this is far beyond any list
// kept here): every call is a trip through the run-time library and the system.
const size_t kMostPerWrite = 1u << 30;
// A list this large cannot be a tool list the host keeps; it is left alone
// rather than read into memory.
const long long kMostListBytes = 1LL << 28;

const wchar_t kListName[] = L"$exec-list.txt";

// Converts wide to code page 932 only when every character has an exact form
// there: no best-fit look-alike, no default character, and the bytes read back
// as the same text. Returns the byte count with the NUL, or 0.
int ExactCodePage932(const wchar_t* wide, char out[kNarrowCap]) {
  BOOL usedDefault = FALSE;
  int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, -1, out, kNarrowCap, nullptr,
                              &usedDefault);
  if (n <= 0 || usedDefault) return 0;
  wchar_t back[kNarrowCap];
  if (MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, out, -1, back, kNarrowCap) <= 0) return 0;
  return wcscmp(back, wide) == 0 ? n : 0;
}

// The program path as the host can read it: its code page 932 form, or that
// of its 8.3 form when some character has none. Returns 1 with path filled;
// 0 when neither form exists or the path does not fit in kToolListPathCap.
int ProgramPathForList(const wchar_t* programPath, char path[kToolListPathCap]) {
  wchar_t wide[kWideCap];
  if (!CopyBounded(wide, kWideCap, programPath) || wide[0] == L'\0') return 0;
  char narrow[kNarrowCap];
  int n = ExactCodePage932(wide, narrow);
  if (n == 0) {
    wchar_t shortPath[kWideCap];
    DWORD got = GetShortPathNameW(wide, shortPath, kWideCap);
    if (got == 0 || got >= static_cast<DWORD>(kWideCap)) return 0;
    n = ExactCodePage932(shortPath, narrow);
    if (n == 0) return 0;
  }
  // A cut path would send the host to some other program: no entry instead.
  if (n > kToolListPathCap) return 0;
  memcpy(path, narrow, static_cast<size_t>(n));
  return 1;
}

// Reads the whole list into *content (free it). Returns 1 with the bytes, or
// with none when there is no list; 0 when a list exists but cannot be read
// whole (locked, unreadable, cut short, growing, too large, no memory).
int ReadList(const wchar_t* path, char** content, size_t* size) {
  *content = nullptr;
  *size = 0;
  int fd = _wopen(path, _O_RDONLY | _O_BINARY);
  if (fd < 0) return errno == ENOENT;
  long long end = _lseeki64(fd, 0, SEEK_END);
  if (end < 0 || end > kMostListBytes || _lseeki64(fd, 0, SEEK_SET) != 0) {
    _close(fd);
    return 0;
  }
  size_t want = static_cast<size_t>(end);
  char* bytes = want != 0 ? static_cast<char*>(malloc(want)) : nullptr;
  if (want != 0 && bytes == nullptr) {
    _close(fd);
    return 0;
  }
  size_t got = 0;
  while (got < want) {
    size_t left = want - got;
    int r = _read(fd, bytes + got, static_cast<unsigned>(left < kChunk ? left : kChunk));
    if (r <= 0) break;
    got += static_cast<size_t>(r);
  }
  // A byte beyond the size seen means the host is writing the list right now;
  // a rewrite from this copy would drop what it added.
  char extra;
  int more = got == want ? _read(fd, &extra, 1) : -1;
  _close(fd);
  if (got != want || more != 0) {
    free(bytes);
    return 0;
  }
  *content = bytes;
  *size = want;
  return 1;
}

// "~<process id, 8 hex digits>.tmp" beside the list. The name is shorter
// than the list's own, so it fits whenever the list's path does, however long
// the folder; the process id keeps two sessions of one user (sharing the
// roaming folder) apart. Returns 0 when it does not fit.
int TempPathFor(const wchar_t* list, wchar_t out[MAX_PATH]) {
  static const wchar_t kHex[] = L"0123456789ABCDEF";
  wchar_t name[16] = L"~";
  DWORD pid = GetCurrentProcessId();
  for (int i = 8; i >= 1; --i, pid >>= 4) name[i] = kHex[pid & 0xF];
  name[9] = L'\0';
  if (!AppendBounded(name, 16, L".tmp")) return 0;
  size_t listLen = wcslen(list), nameLen = wcslen(kListName);
  if (listLen < nameLen || listLen - nameLen >= MAX_PATH) return 0;
  size_t folderLen = listLen - nameLen;
  wmemcpy(out, list, folderLen);
  out[folderLen] = L'\0';
  return AppendBounded(out, MAX_PATH, name);
}

// Attributes of the list when it exists and may be replaced, else 0; and
// kNoList when there is none yet. A read-only list, or one that cannot be
// opened for writing (another program keeps it), stays as it is. The attribute
// is tested as well as the open because a read-only file still opens for
// writing under Wine when the process runs as root.
const DWORD kNoList = 0xFFFFFFFF;
DWORD ReplaceableList(const wchar_t* list) {
  DWORD attr = GetFileAttributesW(list);
  if (attr == INVALID_FILE_ATTRIBUTES) {
    DWORD err = GetLastError();
    return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND ? kNoList : 0;
  }
  if (attr & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return 0;
  int fd = _wopen(list, _O_WRONLY | _O_BINARY);
  if (fd < 0) return 0;
  _close(fd);
  return attr != 0 ? attr : FILE_ATTRIBUTE_NORMAL;
}

// Writes n bytes to fd; 1 when all of them went out.
int WriteAll(int fd, const char* bytes, size_t n) {
  while (n != 0) {
    unsigned part = static_cast<unsigned>(n < kMostPerWrite ? n : kMostPerWrite);
    int w = _write(fd, bytes, part);
    if (w <= 0) return 0;
    bytes += w;
    n -= static_cast<size_t>(w);
  }
  return 1;
}

int EmptyFile(void* ctx) {
  int fd = *static_cast<int*>(ctx);
  return _chsize(fd, 0) == 0 && _lseek(fd, 0, SEEK_SET) == 0;
}

long long WritePart(void* ctx, const char* bytes, size_t n) {
  return _write(*static_cast<int*>(ctx), bytes, static_cast<unsigned>(n < kMostPerWrite ? n : kMostPerWrite));
}

int FlushFile(void* ctx) { return _commit(*static_cast<int*>(ctx)) == 0; }

// Rewrites the list where it lies: opened for writing, cut to nothing and
// given the whole new content in one write, joined first so that a reader
// never finds it half written by more than one call. A write that fails or
// falls short (a full quota, a lost share) puts the old bytes back rather than
// leave the list cut. Without memory for the joined content nothing is touched.
// Returns 1 when the list holds the new content.
int WriteListInPlace(const wchar_t* list, const ToolListEdit* edit, const char* old, size_t oldSize) {
  char* joined = static_cast<char*>(malloc(edit->size));
  if (joined == nullptr) return 0;
  JoinToolListEdit(edit, joined);
  int written = 0;
  int fd = _wopen(list, _O_WRONLY | _O_BINARY);
  if (fd >= 0) {
    const InPlaceOps ops = {&fd, EmptyFile, WritePart, FlushFile};
    written = RewriteInPlace(&ops, joined, edit->size, old, oldSize) == kInPlaceWritten;
    if (_close(fd) != 0) written = 0;
  }
  free(joined);
  return written;
}

// Puts the edited list in place of the list, whole or not at all: its pieces
// go straight from the old content to a temporary file that is flushed and
// then moved over the list, so neither a failed write nor a crash can leave
// the host a cut list. A list that another program holds open (the host,
// reading it) cannot be replaced; it is rewritten in place instead, which its
// sharing allows, or the entry would never be made. On any other failure the
// list stays as it was. The edit points into old (oldSize bytes), the list as read.
// Returns 1 when the list holds the new content.
int WriteList(const wchar_t* list, const ToolListEdit* edit, const char* old, size_t oldSize) {
  DWORD attr = ReplaceableList(list);
  if (attr == 0) return 0;
  wchar_t temp[MAX_PATH];
  if (!TempPathFor(list, temp)) return 0;
  int fd = _wopen(temp, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) return 0;
  int whole = 1;
  for (int i = 0; i < edit->count && whole; ++i) {
    whole = WriteAll(fd, edit->pieces[i].bytes, edit->pieces[i].size);
  }
  // The flush comes before the move: a crash must find either the old list or
  // the whole new one under the list's name, never a cut one.
  whole = whole && _commit(fd) == 0;
  if (_close(fd) != 0) whole = 0;
  if (!whole) {
    _wunlink(temp);
    return 0;
  }
  if (!MoveFileExW(temp, list, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DWORD err = GetLastError();
    _wunlink(temp);
    int inUse = err == ERROR_SHARING_VIOLATION || err == ERROR_ACCESS_DENIED;
    return inUse && attr != kNoList && WriteListInPlace(list, edit, old, oldSize);
  }
  // Rewriting in place would have kept a hidden or system list so; the moved
  // file should look the same to the host.
  DWORD keep = attr == kNoList ? 0 : attr & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  if (keep != 0) SetFileAttributesW(list, keep | FILE_ATTRIBUTE_ARCHIVE);
  return 1;
}

// What the entry and the mend start from: the list's path, the own path and
// line, and the list as read (old, oldSize bytes; none when there is no list).
struct ListAtHand {
  wchar_t list[kListPathCap];
  char path[kToolListPathCap];
  char line[kToolListLineCap];
  size_t lineSize;
  char* old;
  size_t oldSize;
};

// Fills at; 1 done, with at->old to be freed. 0 when there is no data folder,
// the list path or own line cannot be formed, or the list cannot be read.
int TakeList(const wchar_t* programPath, ListAtHand* at) {
  at->old = nullptr;
  at->oldSize = 0;
  if (programPath == nullptr) return 0;
  wchar_t folder[kDataFolderCap];
  if (!GetDataFolder(folder) || !PathExists(folder)) return 0;
  if (!CopyBounded(at->list, kListPathCap, folder) || !AppendBounded(at->list, kListPathCap, kListName)) {
    return 0;
  }
  at->lineSize = ProgramPathForList(programPath, at->path) ? FormatToolListLine(at->path, at->line) : 0;
  return at->lineSize != 0 && ReadList(at->list, &at->old, &at->oldSize);
}

// 1 when path (size bytes of code page 932, from the list) is not the own
// path and names nothing the host could start: no such file, folder or
// drive, or a folder. A path that does not read back as text, or that
// cannot be looked up for another reason (no access, a busy network), is
// taken as a program still there: a line is only mended when it surely dangles.
int NamesNoProgram(const char* path, size_t size, const char* own) {
  if (size == strlen(own) && memcmp(path, own, size) == 0) return 0;
  wchar_t wide[kWideCap];
  int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, path, static_cast<int>(size), wide, kWideCap - 1);
  if (n <= 0) return 0;
  wide[n] = L'\0';
  // A share whose server does not answer holds the lookup for the network's
  // time-out, tens of seconds before the dialog appears, at every start. A
  // path that may lie on a network is taken as a program still there.
  if (LookupMayWaitOnNetwork(wide)) return 0;
  DWORD attr = GetFileAttributesW(wide);
  if (attr != INVALID_FILE_ATTRIBUTES) return (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_NAME:
      return 1;
    default:
      return 0;
  }
}

}  // namespace

int WriteToolListEntry(const wchar_t* programPath) {
  ListAtHand at;
  if (!TakeList(programPath, &at)) return 0;
  // The edit points into old, so old lives until the new list is written.
  ToolListEdit edit;
  int outcome = RewriteToolList(at.old, at.oldSize, at.line, at.lineSize, &edit);
  int entered = 0;
  if (outcome == kToolListReplaced || outcome == kToolListAppended) {
    // A list that already holds the own line is not touched: not even its
    // time changes, and a read-only or held list counts as entered.
    entered = !ToolListEditChanges(&edit, at.old, at.oldSize) || WriteList(at.list, &edit, at.old, at.oldSize);
  }
  free(at.old);
  return entered;
}

int MendToolListEntry(const wchar_t* programPath) {
  ListAtHand at;
  if (!TakeList(programPath, &at)) return 0;
  size_t start = 0, end = 0, pathStart = 0, pathSize = 0;
  int mended = 0;
  // No line of its own (the user took it out) or one that still names a
  // program: the list is the user's and the host's, and stays as it is.
  if (FindOwnToolListLine(at.old, at.oldSize, &start, &end) == kToolListReplaced &&
      ReadToolListPath(at.old + start, end - start, &pathStart, &pathSize) &&
      NamesNoProgram(at.old + start + pathStart, pathSize, at.path)) {
    ToolListEdit edit;
    if (RewriteToolList(at.old, at.oldSize, at.line, at.lineSize, &edit) == kToolListReplaced) {
      mended = WriteList(at.list, &edit, at.old, at.oldSize);
    }
  }
  free(at.old);
  return mended;
}
