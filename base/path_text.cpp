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
