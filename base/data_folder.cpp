#include "base/data_folder.h"

#include <shlobj.h>

#include "base/path_text.h"

int GetDataFolder(wchar_t out[kDataFolderCap]) {
  // The shell writes up to MAX_PATH characters, so it gets a buffer of its own.
  wchar_t appData[MAX_PATH + 1] = L"";
  out[0] = L'\0';
  if (!SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, FALSE) || appData[0] == L'\0') return 0;
  if (!CopyBounded(out, kDataFolderCap, appData) || !AppendBounded(out, kDataFolderCap, L"\\Kx\\")) {
    out[0] = L'\0';
    return 0;
  }
  return 1;
}

int PathExists(const wchar_t* path) {
  return path[0] != L'\0' && GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}
