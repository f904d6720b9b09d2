#include "ui/drop_choice.h"

namespace {

int Fits(const DropCandidate& item, size_t cap) {
  // A shortcut's own bytes are no MP3: a shell link counts by its target,
  // and an Internet shortcut names no file to send.
  if (item.shortcut == kInternetShortcut) return 0;
  if (item.shortcut == kShellLink) return item.targetIsFile && item.targetLength != 0 && item.targetLength < cap;
  return item.isFile && item.length < cap;
}

}  // namespace

int ChooseDroppedFile(const DropCandidate* candidates, int count, size_t cap) {
  for (int i = 0; i < count; ++i) {
    if (Fits(candidates[i], cap)) return i;
  }
  return kNoDroppedFile;
}
