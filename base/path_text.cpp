#include "base/path_text.h"

#include <wchar.h>

int AppendBounded(wchar_t* buf, size_t cap, const wchar_t* tail) {
  size_t have = wcslen(buf);
  size_t add = wcslen(tail);
  if (have >= cap || add >= cap - have) return 0;
  wmemcpy(buf + have, tail, add + 1);
  return 1;
}

int CopyBounded(wchar_t* buf, size_t cap, const wchar_t* src) {
  if (cap == 0) return 0;
  buf[0] = L'\0';
  return AppendBounded(buf, cap, src);
}

int PathLiesUnder(const wchar_t* path, const wchar_t* folder) {
  size_t n = wcslen(folder);
  // No folder at all (its lookup failed) must not hold every path.
  if (n == 0) return 0;
  if (folder[n - 1] == L'\\') --n;
  return wcsncmp(path, folder, n) == 0 && path[n] == L'\\' && path[n + 1] != L'\0';
}
