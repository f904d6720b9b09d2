#include "host/send_to_host.h"

#include <windows.h>

#include "app/data_folder.h"
#include "app/path_text.h"
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

int Copy(void*, const wchar_t* from, const wchar_t* to) {
  return CopyFileW(from, to, FALSE) != 0;
}

}  // namespace

int SendToHost(const wchar_t* sourcePath, int flags) {
  const HostLinkOps ops = {nullptr, FindHost, SendInsert, Exists, DataFolder, Copy};
  return RunSendSequence(&ops, sourcePath, flags);
}
