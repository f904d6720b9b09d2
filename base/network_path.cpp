#include "base/network_path.h"

#include <windows.h>

#include "base/path_text.h"

namespace {

// 1 for a drive letter that names a network drive (a mapped share).
int DriveIsRemote(wchar_t letter, void*) {
  const wchar_t root[] = {letter, L':', L'\\', L'\0'};
  return GetDriveTypeW(root) == DRIVE_REMOTE;
}

}  // namespace

int LookupMayWaitOnNetwork(const wchar_t* path) { return PathMayWaitOnNetwork(path, DriveIsRemote, nullptr); }
