#include "host/send_to_host.h"

#include <windows.h>

#include "base/data_folder.h"
#include "base/path_text.h"
#include "host/send_sequence.h"

namespace {

void* FindHost(void*) {
  return FindWindowA("Kobble API-kurasu", "Kobble TSR");
}

int SendInsert(void*, void* host, unsigned wParam, long lParam, long long* reply) {
  // A hung host must not freeze the dialog: give up after a bound.
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(static_cast<HWND>(host), kInsertMessage, wParam, lParam,
                           SMTO_ABORTIFHUNG, kHostReplyTimeoutMs, &result)) {
    return 0;
  }
  *reply = static_cast<long long>(result);
  return 1;
}

int Exists(void*, const wchar_t* path) { return PathExists(path); }

int DataFolder(void*, wchar_t* out, size_t cap) {
  wchar_t folder[kDataFolderCap];
  if (!GetDataFolder(folder)) return 0;
  return CopyBounded(out, cap, folder);
}

// Clears the read-only attribute of the file at path, keeping the others.
void MakeWritable(const wchar_t* path) {
  DWORD attr = GetFileAttributesW(path);
  if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY) || !(attr & FILE_ATTRIBUTE_READONLY)) return;
  attr &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW(path, attr != 0 ? attr : FILE_ATTRIBUTE_NORMAL);
}

// The copy takes the source's attributes. A read-only drop file (from a CD,
// an archive, a read-only share, or an older run) would make every later
// insertion fail without the user knowing why, so the drop file is made
// writable before it is replaced and again once the copy is in place.
int Copy(void*, const wchar_t* from, const wchar_t* to) {
  MakeWritable(to);
  if (!CopyFileW(from, to, FALSE)) return 0;
  MakeWritable(to);
  return 1;
}

}  // namespace

int SendToHost(const wchar_t* sourcePath, int flags) {
  const HostLinkOps ops = {nullptr, FindHost, SendInsert, Exists, DataFolder, Copy};
  return RunSendSequence(&ops, sourcePath, flags);
}
