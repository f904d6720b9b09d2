#include "base/system_library.h"

#include "base/path_text.h"

HMODULE LoadSystemLibrary(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  UINT n = GetSystemDirectoryW(path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  if (!AppendBounded(path, MAX_PATH, L"\\") || !AppendBounded(path, MAX_PATH, name)) return nullptr;
  // A full path picks the file; the altered search makes the DLLs that this
  // one loads by name come from its own folder, the system folder, before
  // anywhere a download may have put a namesake. It is no LOAD_LIBRARY_SEARCH_*
  // flag, so it works on every Windows, restricted search or not.
  return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
