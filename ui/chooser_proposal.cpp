#include "ui/chooser_proposal.h"

#include <wchar.h>

#include "base/path_text.h"

int SplitChooserProposal(wchar_t* path, wchar_t folder[kChooserCap], wchar_t title[kChooserCap]) {
  folder[0] = L'\0';
  title[0] = L'\0';
  // Cut first, copy after: a folder that fits is used even when the whole
  // proposal does not.
  const wchar_t* cut = wcsrchr(path, L'\\');
  if (!cut) {
    CopyBounded(title, kChooserCap, path);
  } else {
    CopyBounded(title, kChooserCap, cut + 1);
    const wchar_t* end = cut > path && cut[-1] == L':' ? cut + 1 : cut;
    size_t length = static_cast<size_t>(end - path);
    if (length < kChooserCap) {
      wmemcpy(folder, path, length);
      folder[length] = L'\0';
    }
  }
  if (wcslen(path) >= kChooserCap) path[0] = L'\0';
  return folder[0] != L'\0';
}
